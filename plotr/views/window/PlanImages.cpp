#include "plotr/views/window/PlanImages.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <algorithm>

namespace planimages {

wxBitmap DrawnWithAlpha(int width, int height, const std::function<void(wxDC&)>& draw) {
  const auto render = [&](const wxColour& back) {
    wxBitmap bitmap(width, height, 24);
    {
      wxMemoryDC dc(bitmap);
      dc.SetBackground(wxBrush(back));
      dc.Clear();
      draw(dc);
    }
    return bitmap.ConvertToImage();
  };
  // Drawn on black and on white: the picture's own pixels come out alike on both, and how far
  // a pixel differs is how much background an antialiased edge lets through. No colour is given
  // up to stand for "transparent".
  const wxImage onBlack = render(*wxBLACK);
  const wxImage onWhite = render(*wxWHITE);
  wxImage image(width, height);
  image.InitAlpha();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int black[3] = {onBlack.GetRed(x, y), onBlack.GetGreen(x, y), onBlack.GetBlue(x, y)};
      const int white[3] = {onWhite.GetRed(x, y), onWhite.GetGreen(x, y), onWhite.GetBlue(x, y)};
      int through = 0;
      for (int c = 0; c < 3; ++c) through += std::clamp(white[c] - black[c], 0, 255);
      const int alpha = 255 - (through + 1) / 3;
      int colour[3] = {0, 0, 0};
      if (alpha > 0) {
        for (int c = 0; c < 3; ++c) colour[c] = std::min(255, (black[c] * 255 + alpha / 2) / alpha);
      }
      image.SetRGB(x, y, static_cast<unsigned char>(colour[0]), static_cast<unsigned char>(colour[1]),
                   static_cast<unsigned char>(colour[2]));
      image.SetAlpha(x, y, static_cast<unsigned char>(alpha));
    }
  }
  return wxBitmap(image);
}

namespace {

constexpr int kOverlays = 3;
constexpr int kComposed = kIconCount * kOverlays * 2;

void Icon(wxDC& dc, int icon) {
  const wxColour navy(0, 0, 128), green(0, 128, 0), brown(128, 64, 0), blue(0, 64, 192), red(192, 0, 0);
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  switch (icon) {
    case 3:  // NDB: a dotted ring round a dot
      dc.SetPen(wxPen(brown, 1, wxPENSTYLE_DOT));
      dc.DrawCircle(8, 7, 6);
      dc.DrawCircle(8, 7, 4);
      dc.SetBrush(wxBrush(brown));
      dc.SetPen(wxPen(brown));
      dc.DrawCircle(8, 7, 1);
      break;
    case 4: {  // ILS: a feather
      dc.SetPen(wxPen(navy));
      dc.SetBrush(wxBrush(wxColour(128, 128, 255)));
      const wxPoint feather[] = {{2, 7}, {14, 2}, {11, 7}, {14, 12}};
      dc.DrawPolygon(4, feather);
      break;
    }
    case 5:
    case 6:
    case 7: {  // VOR hexagon, DME square, VOR/DME or VORTAC both
      dc.SetPen(wxPen(blue));
      if (icon != 5) dc.DrawRectangle(2, 1, 13, 13);
      if (icon != 6) {
        const wxPoint hexagon[] = {{5, 2}, {11, 2}, {14, 7}, {11, 12}, {5, 12}, {2, 7}};
        dc.DrawPolygon(6, hexagon);
      }
      dc.SetBrush(wxBrush(blue));
      dc.DrawCircle(8, 7, 1);
      break;
    }
    case 8:  // airport: a disc with a runway
      dc.SetPen(wxPen(green));
      dc.SetBrush(wxBrush(wxColour(160, 220, 160)));
      dc.DrawCircle(8, 7, 6);
      dc.SetPen(wxPen(green, 2));
      dc.DrawLine(4, 11, 12, 3);
      break;
    case 9:  // runway end
      dc.SetPen(wxPen(*wxBLACK, 3));
      dc.DrawLine(3, 12, 13, 2);
      dc.SetPen(wxPen(*wxWHITE, 1, wxPENSTYLE_DOT));
      dc.DrawLine(4, 11, 12, 3);
      break;
    case 10: {  // intersection: a triangle
      dc.SetPen(wxPen(navy));
      const wxPoint triangle[] = {{8, 2}, {14, 12}, {2, 12}};
      dc.DrawPolygon(3, triangle);
      break;
    }
    case 11:  // user point: a cross in a diamond
      dc.SetPen(wxPen(red));
      dc.DrawLine(8, 1, 14, 7);
      dc.DrawLine(14, 7, 8, 13);
      dc.DrawLine(8, 13, 2, 7);
      dc.DrawLine(2, 7, 8, 1);
      dc.DrawLine(8, 4, 8, 11);
      dc.DrawLine(5, 7, 12, 7);
      break;
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17: {  // climb and descent points: the slope they begin or end
      dc.SetPen(wxPen(navy, 2));
      const bool climbFirst = icon == 12 || icon == 13 || icon == 16;
      const bool level = icon == 13 || icon == 15;
      if (icon == 16 || icon == 17) {
        const int y = icon == 16 ? 3 : 11;
        dc.DrawLine(1, icon == 16 ? 11 : 3, 5, y);
        dc.DrawLine(5, y, 10, y);
        dc.DrawLine(10, y, 14, icon == 16 ? 11 : 3);
      } else if (level) {
        const int y = icon == 13 ? 3 : 11;
        dc.DrawLine(1, icon == 13 ? 11 : 3, 7, y);
        dc.DrawLine(7, y, 14, y);
      } else {
        const int y = climbFirst ? 11 : 3;
        dc.DrawLine(1, y, 7, y);
        dc.DrawLine(7, y, 14, climbFirst ? 3 : 11);
      }
      break;
    }
    default: break;
  }
}

void Overlay(wxDC& dc, int overlay) {
  if (overlay == 1) {  // the row being flown to: a red arrow at the lower left
    dc.SetPen(wxPen(wxColour(192, 0, 0)));
    dc.SetBrush(wxBrush(wxColour(255, 0, 0)));
    const wxPoint arrow[] = {{0, 8}, {6, 11}, {0, 14}};
    dc.DrawPolygon(3, arrow);
  } else if (overlay == 2) {  // a bearing point: a small open circle
    dc.SetPen(wxPen(wxColour(128, 0, 128), 2));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawCircle(3, 11, 3);
  }
}

wxBitmap Composed(int icon, int overlay, bool procedure) {
  return DrawnWithAlpha(kWidth, kHeight, [&](wxDC& dc) {
    Icon(dc, icon);
    Overlay(dc, overlay);
    if (procedure) {  // the procedure mark, four pixels wide at the right edge
      dc.SetPen(*wxTRANSPARENT_PEN);
      dc.SetBrush(wxBrush(wxColour(0, 160, 0)));
      dc.DrawRectangle(kWidth - 4, 0, 4, kHeight);
    }
  });
}

wxBitmap Triangle(const wxColour& colour) {
  return DrawnWithAlpha(kWidth, kHeight, [&](wxDC& dc) {
    dc.SetPen(wxPen(colour));
    dc.SetBrush(wxBrush(colour));
    const wxPoint triangle[] = {{0, 4}, {0, kHeight - 4}, {5, kHeight / 2}};
    dc.DrawPolygon(3, triangle);
  });
}

}  // namespace

int ComposedIndex(int icon, int overlay, bool procedure) {
  if (icon < 0 || icon >= kIconCount) icon = 2;
  if (overlay < 0 || overlay >= kOverlays) overlay = 0;
  return icon + kIconCount * (overlay + kOverlays * (procedure ? 1 : 0));
}

int TriangleIndex(bool highlight) { return kComposed + (highlight ? 1 : 0); }

wxImageList* BuildImageList(const wxColour& text, const wxColour& highlight) {
  // No mask: the images carry their own alpha, and a list with a mask would make one from light
  // grey, the colour the triangles take on the dark schemes.
  auto* list = new wxImageList(kWidth, kHeight, false, kComposed + 2);
  for (int procedure = 0; procedure < 2; ++procedure) {
    for (int overlay = 0; overlay < kOverlays; ++overlay) {
      for (int icon = 0; icon < kIconCount; ++icon) list->Add(Composed(icon, overlay, procedure != 0));
    }
  }
  list->Add(Triangle(text));
  list->Add(Triangle(highlight));
  return list;
}

void SetTriangleColours(wxImageList& list, const wxColour& text, const wxColour& highlight) {
  list.Replace(TriangleIndex(false), Triangle(text));
  list.Replace(TriangleIndex(true), Triangle(highlight));
}

}  // namespace planimages
