#include "plotr/views/window/SidStarImages.h"

#include <wx/dcmemory.h>

#include <array>
#include <cmath>

#include "plotr/views/window/PlanImages.h"

namespace sidstarwx {

namespace {

const wxColour kBlue(0, 0, 0xC0);
const wxColour kGreen(0, 0x80, 0);
const wxColour kRed(0xC0, 0, 0);
const wxColour kDark(0x40, 0x40, 0x40);
const wxColour kYellow(0xF0, 0xC0, 0);

void Pen(wxDC& dc, const wxColour& colour, int width = 1) { dc.SetPen(wxPen(colour, width)); }
void Fill(wxDC& dc, const wxColour& colour) { dc.SetBrush(wxBrush(colour)); }

// An arrow from the centre towards `degrees` (clockwise from north).
void Arrow(wxDC& dc, double degrees, const wxColour& colour) {
  const double a = degrees * M_PI / 180.0;
  const double dx = std::sin(a), dy = -std::cos(a);
  const wxPoint tip(8 + static_cast<int>(std::lround(6 * dx)), 8 + static_cast<int>(std::lround(6 * dy)));
  const wxPoint tail(8 - static_cast<int>(std::lround(5 * dx)), 8 - static_cast<int>(std::lround(5 * dy)));
  Pen(dc, colour, 2);
  dc.DrawLine(tail, tip);
  const auto barb = [&](double turn) {
    const double b = a + M_PI + turn;
    return wxPoint(tip.x + static_cast<int>(std::lround(4 * std::sin(b))),
                   tip.y - static_cast<int>(std::lround(4 * std::cos(b))));
  };
  dc.DrawLine(tip, barb(0.6));
  dc.DrawLine(tip, barb(-0.6));
}

void VerticalPoint(wxDC& dc, bool up, bool down) {
  Pen(dc, kDark);
  dc.DrawLine(1, 13, 15, 13);
  Pen(dc, kBlue, 2);
  if (up) dc.DrawLine(2, 12, 8, 4);
  if (down) dc.DrawLine(8, 4, 14, 12);
  if (!up && !down) dc.DrawLine(2, 8, 14, 8);
}

void DrawImage(wxDC& dc, int i) {
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  switch (i) {
    case 0:  // active leg
      Pen(dc, kGreen);
      Fill(dc, kGreen);
      dc.DrawPolygon(3, std::array<wxPoint, 3>{wxPoint(2, 2), wxPoint(8, 7), wxPoint(2, 12)}.data());
      break;
    case 1:  // bearing row, hidden waypoint
      Pen(dc, kRed, 2);
      dc.DrawLine(9, 9, 15, 15);
      dc.DrawLine(15, 9, 9, 15);
      break;
    case 2:
      Pen(dc, kDark);
      Fill(dc, kDark);
      dc.DrawCircle(8, 8, 2);
      break;
    case 3:  // NDB
      Pen(dc, wxColour(0x80, 0, 0x80));
      for (int r = 2; r <= 7; r += 2) dc.DrawCircle(8, 8, r);
      break;
    case 4:  // ILS
      Pen(dc, kBlue);
      Fill(dc, wxColour(0x80, 0x80, 0xFF));
      dc.DrawPolygon(3, std::array<wxPoint, 3>{wxPoint(8, 1), wxPoint(3, 15), wxPoint(13, 15)}.data());
      break;
    case 5:
    case 6:
    case 7: {  // VOR, DME, VOR/DME
      Pen(dc, kBlue);
      const wxPoint hex[6] = {{5, 3}, {11, 3}, {14, 8}, {11, 13}, {5, 13}, {2, 8}};
      dc.DrawPolygon(6, hex);
      if (i != 5) dc.DrawRectangle(1, 1, 15, 15);
      if (i != 6) dc.DrawCircle(8, 8, 1);
      break;
    }
    case 8:  // airport
      Pen(dc, kBlue);
      Fill(dc, wxColour(0x80, 0xA0, 0xFF));
      dc.DrawCircle(8, 8, 6);
      Pen(dc, *wxWHITE, 2);
      dc.DrawLine(4, 8, 13, 8);
      break;
    case 9:  // runway
      Pen(dc, kDark);
      Fill(dc, wxColour(0x60, 0x60, 0x60));
      dc.DrawRectangle(6, 1, 5, 15);
      Pen(dc, *wxWHITE);
      dc.DrawLine(8, 3, 8, 6);
      dc.DrawLine(8, 9, 8, 12);
      break;
    case 10:  // intersection
      Pen(dc, kGreen);
      Fill(dc, kGreen);
      dc.DrawPolygon(3, std::array<wxPoint, 3>{wxPoint(8, 2), wxPoint(2, 13), wxPoint(14, 13)}.data());
      break;
    case 11:  // user fix
      Pen(dc, kRed, 2);
      dc.DrawLine(3, 3, 13, 13);
      dc.DrawLine(13, 3, 3, 13);
      break;
    case 12: VerticalPoint(dc, true, false); break;
    case 13: VerticalPoint(dc, false, false); break;
    case 14: VerticalPoint(dc, false, true); break;
    case 15: VerticalPoint(dc, false, false); Pen(dc, kGreen); dc.DrawLine(2, 13, 14, 13); break;
    case 16: VerticalPoint(dc, true, true); break;
    case 17:
      Pen(dc, kBlue, 2);
      dc.DrawLine(2, 4, 8, 12);
      dc.DrawLine(8, 12, 14, 4);
      break;
    case 18:  // catalogue
      Pen(dc, kDark);
      Fill(dc, kYellow);
      dc.DrawRectangle(1, 4, 14, 10);
      dc.DrawRectangle(1, 2, 6, 3);
      break;
    case 19:  // SID: up and away
      Arrow(dc, 45, kGreen);
      break;
    case 20:  // STAR: in and down
      Arrow(dc, 135, kRed);
      break;
    case 21:
    case 38: {  // authors
      const wxColour c = i == 21 ? kBlue : kDark;
      Pen(dc, c);
      Fill(dc, c);
      dc.DrawCircle(8, 5, 3);
      dc.DrawEllipticArc(3, 9, 10, 10, 0, 180);
      break;
    }
    case 34:  // changed here
      Pen(dc, kRed);
      Fill(dc, kRed);
      dc.DrawRectangle(10, 10, 6, 6);
      break;
    case 35:  // region
      Pen(dc, kBlue);
      Fill(dc, wxColour(0xA0, 0xD0, 0xFF));
      dc.DrawCircle(8, 8, 7);
      Pen(dc, kGreen, 2);
      dc.DrawLine(4, 6, 9, 6);
      dc.DrawLine(7, 10, 12, 10);
      break;
    case 36:  // country
      Pen(dc, kDark);
      dc.DrawLine(3, 1, 3, 15);
      Fill(dc, kRed);
      dc.DrawRectangle(4, 2, 10, 7);
      break;
    case 37:  // date
      Pen(dc, kDark);
      Fill(dc, *wxWHITE);
      dc.DrawRectangle(2, 2, 12, 12);
      Fill(dc, kRed);
      dc.DrawRectangle(2, 2, 12, 4);
      break;
    default:
      if (i >= 22 && i <= 33) Arrow(dc, (i - 22) * 30.0, kDark);
      break;
  }
}

wxBitmap StripImage(int i, int overlay) {
  return planimages::DrawnWithAlpha(16, 16, [&](wxDC& dc) {
    DrawImage(dc, i);
    if (overlay >= 0) DrawImage(dc, overlay);
  });
}

}  // namespace

wxImageList* CreateBrowserImages(int overlay) {
  auto* list = new wxImageList(16, 16, false, overlay >= 0 ? 2 * kStripImages : kStripImages);
  for (int i = 0; i < kStripImages; ++i) list->Add(StripImage(i, -1));
  if (overlay >= 0) {
    for (int i = 0; i < kStripImages; ++i) list->Add(StripImage(i, overlay));
  }
  return list;
}

wxBitmap TabBitmap(int tab) {
  return planimages::DrawnWithAlpha(14, 14, [&](wxDC& dc) {
    if (tab == 0) {
      DrawImage(dc, 8);
    } else {
      Arrow(dc, 45, kGreen);
    }
  });
}

}  // namespace sidstarwx
