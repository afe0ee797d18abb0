#include <gtest/gtest.h>

#include "platform/gdi/RecordingDc.h"

namespace {

using namespace gdi;

TEST(RecordingDc, LogsCallsWithTheObjectsInForce) {
  RecordingDc dc;
  dc.SelectPen(Pen::Geometric(30, 0x606060));
  dc.SetROP2(R2_NOTXORPEN);
  dc.MoveTo(10, 20);
  dc.LineTo(30, 40);
  dc.SelectBrush(Brush::None());
  dc.Ellipse(-75, -75, 75, 75);
  ASSERT_EQ(dc.Calls().size(), 2u);
  const RecordedCall& line = dc.Calls()[0];
  EXPECT_EQ(line.op, Op::Polyline);
  EXPECT_EQ(line.points, (std::vector<Point>{{10, 20}, {30, 40}}));
  EXPECT_EQ(line.pen, Pen::Geometric(30, 0x606060));
  EXPECT_EQ(line.rop2, R2_NOTXORPEN);
  EXPECT_EQ(dc.Calls()[1].rect, (Rect{-75, -75, 75, 75}));
  EXPECT_EQ(dc.Calls()[1].brush.style, BrushStyle::Null);
  EXPECT_EQ(dc.GetCurrentPosition(), (Point{30, 40}));
}

TEST(RecordingDc, MeasuresTextWithFixedMetrics) {
  RecordingDc dc;
  dc.SelectFont(Font{"Arial", -150, 400});
  EXPECT_EQ(dc.GetTextExtent("ABCD"), (Size{4 * 75, 150}));
  const TextMetrics m = dc.GetTextMetrics();
  EXPECT_EQ(m.height, 150);
  EXPECT_EQ(m.aveCharWidth, 75);
  dc.TextOut(5, 6, "AB");
  EXPECT_EQ(dc.Calls().back().rect, (Rect{5, 6, 155, 156}));
}

TEST(RecordingDc, RestoreBringsBackEveryObjectModeAndClip) {
  RecordingDc dc;
  const Pen pen = dc.GetPen();
  const int saved = dc.SaveDC();
  dc.SelectPen(Pen::None());
  dc.SetTextColor(0xC0C0C0);
  dc.SetBkMode(TRANSPARENT);
  dc.SetClipRect(Rect{0, 0, 10, 10});
  dc.SaveDC();
  dc.SelectBrush(Brush::Solid(1));
  EXPECT_TRUE(dc.RestoreDC(saved));
  EXPECT_EQ(dc.GetPen(), pen);
  EXPECT_EQ(dc.GetTextColor(), 0u);
  EXPECT_EQ(dc.GetBkMode(), OPAQUE);
  EXPECT_FALSE(dc.HasClip());
  EXPECT_EQ(dc.SaveDepth(), 0);
  EXPECT_FALSE(dc.RestoreDC(1));
}

TEST(RecordingDc, MapsLogicalUnitsToDevicePixels) {
  RecordingDc dc;
  dc.SetResolution(192, 96);
  dc.SetViewportOrigin(Point{10, 20});
  EXPECT_EQ(dc.LPtoDP(Point{1440, 1440}), (Point{202, 116}));
  EXPECT_EQ(dc.DPtoLP(Point{202, 116}), (Point{1440, 1440}));
  EXPECT_EQ(dc.DeviceToLogicalX(2), 15);
}

}  // namespace
