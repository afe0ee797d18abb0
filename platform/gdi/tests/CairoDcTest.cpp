#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "platform/gdi/CairoDc.h"

namespace {

using namespace gdi;

constexpr ColorRef kWhite = 0xFFFFFF;

// A small image surface filled white, drawn through a CairoDc at a chosen resolution.
class Canvas {
 public:
  Canvas(int w, int h, double dpi = 96)
      : m_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)), m_w(w), m_h(h) {
    cairo_t* cr = cairo_create(m_surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    m_dc = std::make_unique<CairoDc>(cr, Size{w, h}, dpi, dpi);
    cairo_destroy(cr);
  }
  ~Canvas() {
    m_dc.reset();
    cairo_surface_destroy(m_surface);
  }
  CairoDc& dc() { return *m_dc; }
  // The pixel as 0x00BBGGRR.
  ColorRef At(int x, int y) {
    cairo_surface_flush(m_surface);
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    const uint32_t px = *reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(m_surface) + 4 * x);
    return Rgb((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
  }
  int CountInColumn(int x, ColorRef not_) {
    int n = 0;
    for (int y = 0; y < m_h; ++y) n += At(x, y) != not_ ? 1 : 0;
    return n;
  }
  int CountAll(ColorRef not_) {
    int n = 0;
    for (int y = 0; y < m_h; ++y)
      for (int x = 0; x < m_w; ++x) n += At(x, y) != not_ ? 1 : 0;
    return n;
  }
  int w() const { return m_w; }
  int h() const { return m_h; }

 private:
  cairo_surface_t* m_surface;
  int m_w, m_h;
  std::unique_ptr<CairoDc> m_dc;
};

// Logical units of a device pixel count at 96 dpi.
int L(int px) { return px * 15; }

struct Probe {
  const char* name;
  double dpi;
  std::function<void(Canvas&)> check;
};

const Probe kProbes[] = {
    {"ColourRefIsBlueGreenRed", 96,
     [](Canvas& c) {
       c.dc().FillRect(Rect{0, 0, L(10), L(10)}, Brush::Solid(0x0000FF));
       const ColorRef px = c.At(5, 5);
       EXPECT_EQ(px, 0x0000FFu);  // red 255 in the low byte
     }},
    {"CosmeticPenIsOnePixelAt96Dpi", 96,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::Cosmetic(0));
       c.dc().MoveTo(0, L(10));
       c.dc().LineTo(L(30), L(10));
       EXPECT_EQ(c.CountInColumn(15, kWhite), 1);
     }},
    {"CosmeticPenIsOnePixelAt192Dpi", 192,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::Cosmetic(0));
       c.dc().MoveTo(0, 150);
       c.dc().LineTo(600, 150);
       EXPECT_EQ(c.CountInColumn(15, kWhite), 1);
     }},
    {"GeometricPenHasLogicalWidth", 96,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::Geometric(L(6), 0, LineJoin::Bevel, LineCap::Flat));
       c.dc().MoveTo(0, L(20));
       c.dc().LineTo(L(40), L(20));
       EXPECT_EQ(c.CountInColumn(20, kWhite), 6);
     }},
    {"HatchRepeatsEveryEightPixelsWithClearGaps", 96,
     [](Canvas& c) {
       c.dc().FillRect(Rect{0, 0, L(40), L(40)}, Brush::Solid(0xFF0000));
       c.dc().SetBkMode(TRANSPARENT);
       c.dc().FillRect(Rect{0, 0, L(40), L(40)}, Brush::Hatched(Hatch::FDiagonal, 0));
       int black = 0, blue = 0;
       for (int x = 0; x < 32; ++x) {
         const ColorRef px = c.At(x, 3);
         black += px == 0 ? 1 : 0;
         blue += px == 0xFF0000 ? 1 : 0;
       }
       EXPECT_EQ(black, 4);
       EXPECT_EQ(blue, 28);
       EXPECT_EQ(c.At(3, 3), 0u);
       EXPECT_EQ(c.At(11, 3), 0u);
       EXPECT_EQ(c.At(11, 11), 0u);
     }},
    {"OpaqueHatchFillsGapsWithBackground", 96,
     [](Canvas& c) {
       c.dc().SetBkMode(OPAQUE);
       c.dc().SetBkColor(0x00FF00);
       c.dc().FillRect(Rect{0, 0, L(16), L(16)}, Brush::Hatched(Hatch::Cross, 0));
       EXPECT_EQ(c.At(0, 0), 0u);
       EXPECT_EQ(c.At(3, 3), 0x00FF00u);
     }},
    {"ArcFromEastToNorthLiesUpperRight", 96,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::Cosmetic(0));
       c.dc().Arc(L(10), L(10), L(50), L(50), L(50), L(30), L(30), L(10));
       int upperRight = 0, elsewhere = 0;
       for (int y = 0; y < c.h(); ++y)
         for (int x = 0; x < c.w(); ++x)
           if (c.At(x, y) != kWhite) (x >= 29 && y <= 31 ? upperRight : elsewhere)++;
       EXPECT_GT(upperRight, 20);
       EXPECT_EQ(elsewhere, 0);
     }},
    {"ArcWithEqualRadialsIsWholeEllipse", 96,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::Cosmetic(0));
       c.dc().Arc(L(10), L(10), L(50), L(50), L(50), L(30), L(50), L(30));
       EXPECT_NE(c.At(10, 30), kWhite);  // west
       EXPECT_NE(c.At(30, 49), kWhite);  // south
     }},
    {"OpaqueTextHasBackgroundBox", 96,
     [](Canvas& c) {
       c.dc().SelectFont(Font{"Sans", -L(12), 400});
       c.dc().SetBkMode(OPAQUE);
       c.dc().SetBkColor(0x00FFFF);
       c.dc().TextOut(L(2), L(2), "Wi");
       const Size size = c.dc().GetTextExtent("Wi");
       EXPECT_GT(size.cx, 0);
       EXPECT_EQ(c.At(2, 2), 0x00FFFFu);
       c.dc().SetBkMode(TRANSPARENT);
       c.dc().TextOut(L(2), L(40), "Wi");
       EXPECT_EQ(c.At(2, 40), kWhite);
     }},
    {"DrawTextAlignsInItsRectangle", 96,
     [](Canvas& c) {
       c.dc().SelectFont(Font{"Sans", -L(10), 700});
       c.dc().SetBkMode(TRANSPARENT);
       auto inkColumns = [&](int top, int bottom) {
         int first = c.w(), last = -1;
         for (int y = top; y < bottom; ++y)
           for (int x = 0; x < c.w(); ++x)
             if (c.At(x, y) != kWhite) {
               first = std::min(first, x);
               last = std::max(last, x);
             }
         return std::pair{first, last};
       };
       c.dc().DrawText("II", Rect{0, 0, L(64), L(20)}, Align::Left);
       c.dc().DrawText("II", Rect{0, L(22), L(64), L(42)}, Align::Right);
       c.dc().DrawText("II", Rect{0, L(44), L(64), L(64)}, Align::Center);
       const auto left = inkColumns(0, 20), right = inkColumns(22, 42), centre = inkColumns(44, 64);
       EXPECT_LT(left.first, 4);
       EXPECT_GT(right.second, 58);
       EXPECT_NEAR((centre.first + centre.second) / 2.0, 32, 3);
       const auto rows = [&](int top, int bottom) {
         int first = -1, last = -1;
         for (int y = top; y < bottom; ++y)
           for (int x = 0; x < c.w(); ++x)
             if (c.At(x, y) != kWhite) {
               if (first < 0) first = y;
               last = y;
             }
         return (first + last) / 2.0 - top;
       };
       EXPECT_NEAR(rows(0, 20), 10, 3);  // vertically centred
     }},
    {"HugeLineStillCrossesTheSurface", 96,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::Cosmetic(0));
       c.dc().MoveTo(-(1 << 30), L(20));
       c.dc().LineTo(1 << 30, L(20));
       EXPECT_EQ(c.At(1, 20), 0u);
       EXPECT_EQ(c.At(50, 20), 0u);
     }},
    {"HugePolygonFillsTheSurface", 96,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::None());
       c.dc().SelectBrush(Brush::Solid(0xFF0000));
       const Point tri[3] = {{-(1 << 30), -(1 << 30)}, {1 << 30, -(1 << 30)}, {0, 1 << 30}};
       c.dc().Polygon(tri);
       EXPECT_EQ(c.At(30, 30), 0xFF0000u);
     }},
    {"NullPenLeavesNoOutline", 96,
     [](Canvas& c) {
       c.dc().SelectPen(Pen::None());
       c.dc().SelectBrush(Brush::None());
       c.dc().Rectangle(L(5), L(5), L(40), L(40));
       c.dc().Ellipse(L(5), L(5), L(40), L(40));
       EXPECT_EQ(c.CountAll(kWhite), 0);
     }},
    {"NotXorPenDrawnTwiceRestores", 96,
     [](Canvas& c) {
       c.dc().FillRect(Rect{0, 0, L(30), L(60)}, Brush::Solid(0x336699));
       c.dc().SetROP2(R2_NOTXORPEN);
       c.dc().SelectPen(Pen::Geometric(L(4), 0));
       c.dc().MoveTo(0, L(20));
       c.dc().LineTo(L(60), L(20));
       EXPECT_EQ(c.At(10, 20), 0x336699u ^ 0xFFFFFFu);  // black inverts
       EXPECT_EQ(c.At(40, 20), 0x000000u);              // white becomes black
       c.dc().MoveTo(0, L(20));
       c.dc().LineTo(L(60), L(20));
       EXPECT_EQ(c.At(10, 20), 0x336699u);
       EXPECT_EQ(c.At(40, 20), kWhite);
     }},
    {"ClipRectKeepsDrawingInside", 96,
     [](Canvas& c) {
       c.dc().SetClipRect(Rect{0, 0, L(10), L(10)});
       c.dc().FillRect(Rect{0, 0, L(40), L(40)}, Brush::Solid(0));
       EXPECT_EQ(c.At(5, 5), 0u);
       EXPECT_EQ(c.At(20, 20), kWhite);
       const int saved = c.dc().SaveDC();
       c.dc().ClearClip();
       c.dc().RestoreDC(saved);
       c.dc().FillRect(Rect{0, 0, L(40), L(40)}, Brush::Solid(0xFF));
       EXPECT_EQ(c.At(20, 20), kWhite);
     }},
    {"ViewportOriginShiftsLogicalZero", 96,
     [](Canvas& c) {
       c.dc().SetViewportOrigin(Point{20, 10});
       c.dc().SetPixel(0, 0, 0);
       EXPECT_EQ(c.At(20, 10), 0u);
       EXPECT_EQ(c.dc().LPtoDP(Point{L(3), L(4)}), (Point{23, 14}));
       EXPECT_EQ(c.dc().DPtoLP(Point{23, 14}), (Point{L(3), L(4)}));
     }},
    // Whatever starts outside the clip but reaches into it is drawn there.
    {"WideLineBesideTheClipReachesIn", 96,
     [](Canvas& c) {
       c.dc().SetClipRect(Rect{L(10), L(10), L(50), L(50)});
       c.dc().SelectPen(Pen::Geometric(L(10), 0));
       c.dc().MoveTo(L(6), 0);
       c.dc().LineTo(L(6), L(64));
       EXPECT_EQ(c.At(10, 30), 0u);
       EXPECT_EQ(c.At(5, 30), kWhite);
     }},
    {"RingAroundAnOutsideCentreReachesIn", 96,
     [](Canvas& c) {
       c.dc().SetClipRect(Rect{L(10), L(10), L(50), L(50)});
       c.dc().SelectPen(Pen::Cosmetic(0));
       c.dc().SelectBrush(Brush::None());
       c.dc().Ellipse(-L(30), L(20), L(20), L(40));
       EXPECT_GT(c.CountAll(kWhite), 0);
     }},
    {"TextFromLeftOfTheWindowReachesIn", 96,
     [](Canvas& c) {
       c.dc().SelectFont(Font{"Sans", -L(14), 400});
       c.dc().SetBkMode(OPAQUE);
       c.dc().SetBkColor(0);
       c.dc().TextOut(-L(30), L(20), "WWWWWWWW");
       EXPECT_EQ(c.At(1, 25), 0u);
     }},
    {"ShapesWhollyOutsideTheClipLeaveItAlone", 96,
     [](Canvas& c) {
       c.dc().SetClipRect(Rect{L(20), L(20), L(40), L(40)});
       c.dc().SelectPen(Pen::Geometric(L(3), 0));
       c.dc().SelectBrush(Brush::Solid(0));
       c.dc().Ellipse(0, 0, L(15), L(15));
       c.dc().Rectangle(L(45), L(45), L(60), L(60));
       c.dc().MoveTo(0, L(60));
       c.dc().LineTo(L(60), L(60));
       c.dc().TextOut(L(45), L(2), "W");
       c.dc().ClearClip();
       EXPECT_EQ(c.CountAll(kWhite), 0);
     }},
};

class CairoDcProbe : public testing::TestWithParam<Probe> {};

TEST_P(CairoDcProbe, DrawsPixelsAsWindowsWould) {
  Canvas canvas(64, 64, GetParam().dpi);
  GetParam().check(canvas);
}

INSTANTIATE_TEST_SUITE_P(Pixels, CairoDcProbe, testing::ValuesIn(kProbes),
                         [](const testing::TestParamInfo<Probe>& info) { return info.param.name; });

TEST(CairoDcText, ExtentAndMetricsGrowWithTheFont) {
  Canvas canvas(64, 64);
  canvas.dc().SelectFont(Font{"Sans", -L(10), 400});
  const Size small = canvas.dc().GetTextExtent("ABC");
  const TextMetrics m = canvas.dc().GetTextMetrics();
  canvas.dc().SelectFont(Font{"Sans", -L(20), 700});
  const Size big = canvas.dc().GetTextExtent("ABC");
  EXPECT_GT(big.cx, small.cx);
  EXPECT_GT(big.cy, small.cy);
  EXPECT_GT(m.aveCharWidth, 0);
  EXPECT_EQ(m.height, m.ascent + m.descent);
}

// Metrics and layouts are kept between calls: each must follow the font and the text.
TEST(CairoDcText, MetricsFollowTheFontAndWritingFollowsTheText) {
  Canvas canvas(64, 64);
  CairoDc& dc = canvas.dc();
  dc.SelectFont(Font{"Sans", -L(10), 400});
  const TextMetrics small = dc.GetTextMetrics();
  dc.SelectFont(Font{"Sans", -L(30), 400});
  EXPECT_GT(dc.GetTextMetrics().height, small.height);
  dc.SelectFont(Font{"Sans", -L(10), 400});
  EXPECT_EQ(dc.GetTextMetrics().height, small.height);

  dc.SetBkMode(TRANSPARENT);
  const Size wide = dc.GetTextExtent("WWW");
  dc.TextOut(L(2), L(2), ".");
  EXPECT_LT(canvas.CountAll(kWhite), 10);
  EXPECT_EQ(dc.GetTextExtent("WWW"), wide);
  dc.TextOut(L(2), L(30), "WWW");
  EXPECT_GT(canvas.CountAll(kWhite), 30);
}

TEST(CairoDcText, Cp1252TextIsDrawn) {
  Canvas canvas(64, 64);
  canvas.dc().SelectFont(Font{"Sans", -L(14), 400});
  canvas.dc().SetBkMode(TRANSPARENT);
  canvas.dc().TextOut(L(2), L(2), "\xC4\xE9");  // two accented letters in code page 1252
  EXPECT_GT(canvas.CountAll(kWhite), 10);
  EXPECT_GT(canvas.dc().GetTextExtent("\xC4\xE9").cx, 0);
}

}  // namespace
