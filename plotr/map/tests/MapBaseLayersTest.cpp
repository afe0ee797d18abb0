#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using gdi::Op;
using gdi::Point;
using gdi::RecordedCall;

constexpr int kCx = 8000;
constexpr int kCy = 6000;

// A step byte: latitude step in the low nibble, longitude step in the high one.
uint8_t Step(int dLat, int dLon) { return static_cast<uint8_t>((dLat & 15) | ((dLon & 15) << 4)); }

WorldShape Shape(float lat, float lon, int32_t end, uint16_t divisor = 10) {
  WorldShape s{};
  s.south = -90;
  s.north = 90;
  s.west = -180;
  s.east = 180;
  s.startLatitude = lat;
  s.startLongitude = lon;
  s.latitudeDivisor = divisor;
  s.longitudeDivisor = divisor;
  s.endIndex = end;
  return s;
}

// Adds a coastline of `count` identical steps to the world map.
void AddCoast(CWorldMap& world, float lat, float lon, int count, uint8_t step, uint16_t divisor = 10) {
  world.m_coastSteps.insert(world.m_coastSteps.end(), count, step);
  world.m_coastShapes.push_back(Shape(lat, lon, static_cast<int32_t>(world.m_coastSteps.size()), divisor));
}

struct Picture {
  gdi::RecordingDc dc;
  MapViewExtents view;
};

class BaseLayersTest : public ::testing::Test {
 protected:
  BaseLayersTest() {
    plan.ClearWorldMap();
    r.MapRoundWorld = 0;
    r.ColorScheme = kSchemeWhite;
  }
  // Runs one drawer into a fresh recording; checks it handed the DC back as it found it.
  template <class Draw>
  std::vector<RecordedCall> Run(Draw draw, bool printing = false) {
    gdi::RecordingDc dc;
    dc.SetPrinting(printing);
    const gdi::Pen pen = dc.GetPen();
    const gdi::ColorRef text = dc.GetTextColor();
    MapDrawContext ctx{dc, kCx, kCy, {}, &plan, nullptr, nullptr};
    r.GetViewExtents(kCx, kCy, ctx.view);
    draw(ctx);
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.GetPen(), pen);
    EXPECT_EQ(dc.GetTextColor(), text);
    return dc.Calls();
  }
  std::vector<RecordedCall> Continents() { return Run([&](MapDrawContext& c) { r.DrawContinents(c); }); }

  plantest::ScopedPlanFolder folder{"map-base"};
  CFlightPlanCore plan;
  CMapRenderer r;
};

int CountOps(const std::vector<RecordedCall>& calls, Op op) {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const RecordedCall& c) { return c.op == op; }));
}

size_t PolylinePoints(const std::vector<RecordedCall>& calls) {
  size_t n = 0;
  for (const RecordedCall& c : calls) {
    if (c.op == Op::Polyline) n += c.points.size();
  }
  return n;
}

TEST_F(BaseLayersTest, ZoomSetsWhichShapesAndWhichOfTheirPointsAreDrawn) {
  AddCoast(plan, 10, 0, 100, Step(1, 0));   // too short for zoom 1
  AddCoast(plan, -10, 0, 256, Step(1, 0));  // every 128th point at zoom 1
  r.PushZoom(1, 0, 0);
  std::vector<RecordedCall> calls = Continents();
  ASSERT_EQ(CountOps(calls, Op::Polyline), 1);
  EXPECT_EQ(calls[0].pen, mappens::PenCoastDay);
  EXPECT_EQ(PolylinePoints(calls), 3u);  // start, 128th and last

  r.PushZoom(4, 0, 0);  // 32 steps a point: both shapes
  calls = Continents();
  EXPECT_EQ(CountOps(calls, Op::Polyline), 2);
  EXPECT_EQ(PolylinePoints(calls), (1u + 3 + 1) + (1u + 8));
}

TEST_F(BaseLayersTest, RiversFromZoomEightAndSchemePens) {
  plan.m_riverSteps.assign(200, Step(1, 1));
  plan.m_riverShapes.push_back(Shape(0, 0, 200));
  struct Case {
    int zoom;
    int scheme;
    bool printing;
    int lines;
    gdi::Pen pen;
  } cases[] = {
      {7, kSchemeWhite, false, 0, {}},
      {8, kSchemeWhite, false, 1, mappens::PenRiverDay},
      {8, 2, false, 1, mappens::PenRiverNight},
      {8, 2, true, 1, mappens::PenRiverPrint},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom * 10 + c.scheme);
    r.PushZoom(c.zoom, 0, 0);
    r.ColorScheme = c.scheme;
    const std::vector<RecordedCall> calls = Run([&](MapDrawContext& ctx) { r.DrawRivers(ctx); }, c.printing);
    ASSERT_EQ(CountOps(calls, Op::Polyline), c.lines);
    if (c.lines) {
      EXPECT_EQ(calls[0].pen, c.pen);
    }
  }
}

TEST_F(BaseLayersTest, StepNibblesAreSignedEachOnItsOwn) {
  // 40 steps of divisor 10 from the equator: the shape ends 4 degrees along each step's signs.
  struct Case {
    int dLat, dLon;
  } cases[] = {{1, -1}, {-1, 1}, {3, -2}, {-8, 7}, {0, -8}, {7, 0}};
  r.PushZoom(16, 0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dLat) + "/" + std::to_string(c.dLon));
    plan.ClearWorldMap();
    AddCoast(plan, 0, 0, 40, Step(c.dLat, c.dLon));
    const std::vector<RecordedCall> calls = Continents();
    ASSERT_EQ(CountOps(calls, Op::Polyline), 1);
    int x = 0, y = 0;
    ASSERT_TRUE(r.LatLonToPixel(x, y, 4.0 * c.dLat, 4.0 * c.dLon, kCx, kCy, 2));
    EXPECT_NEAR(calls[0].points.back().x, x, 2);
    EXPECT_NEAR(calls[0].points.back().y, y, 2);
  }
}

TEST_F(BaseLayersTest, CoastlineAcrossTheDateLineIsBrokenThere) {
  // From 178.4 E eastwards over the date line at the flat map's edge: points every 0.8
  // degrees, two pieces, none spanning the window.
  AddCoast(plan, 0, 178.4f, 64, Step(0, 1), 20);
  r.PushZoom(8, 0, 0);
  const std::vector<RecordedCall> calls = Continents();
  ASSERT_EQ(CountOps(calls, Op::Polyline), 2);
  for (const RecordedCall& c : calls) {
    for (size_t i = 1; i < c.points.size(); ++i) EXPECT_LT(std::abs(c.points[i].x - c.points[i - 1].x), kCx / 2);
  }
}

TEST_F(BaseLayersTest, ShapesTheFileCannotHoldDrawNothing) {
  struct Case {
    const char* what;
    int32_t end;
    uint16_t divisor;
    float lat;
  } cases[] = {
      {"end past the steps", 300, 10, 0},
      {"end falls back", -1, 10, 0},
      {"zero divisor", 200, 0, 0},
      {"start at the pole", 200, 10, 90},
  };
  r.PushZoom(8, 0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    plan.ClearWorldMap();
    plan.m_coastSteps.assign(200, Step(1, 1));
    plan.m_coastShapes.push_back(Shape(c.lat, 0, c.end, c.divisor));
    EXPECT_EQ(CountOps(Continents(), Op::Polyline), 0);
  }
}

TEST_F(BaseLayersTest, GlobeGridCoversEveryLongitudeAndSkipsThePoles) {
  r.MapRoundWorld = 1;
  r.PushZoom(1, 0, 0);
  const std::vector<RecordedCall> calls = Run([&](MapDrawContext& c) { r.DrawGrid(c); });
  // Zoom 1: 30-degree parallels -60..60 traced round the whole globe (each in two strokes,
  // either side of the far half), and the near half of the meridians every 30 degrees.
  int minX = kCx, maxX = 0;
  for (const RecordedCall& c : calls) {
    ASSERT_EQ(c.op, Op::Polyline);
    for (const Point& p : c.points) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
    }
  }
  EXPECT_GE(CountOps(calls, Op::Polyline), 5 * 2 + 6);
  // The grid reaches both edges of the globe, not just one meridian and stubs.
  EXPECT_LT(minX, kCx / 2 - kCy / 2 + 200);
  EXPECT_GT(maxX, kCx / 2 + kCy / 2 - 200);

  // A parallel near the pole is drawn, the pole itself never.
  r.PushZoom(1000, 89.9, 0);
  gdi::RecordingDc dc;
  MapDrawContext ctx{dc, kCx, kCy, {}, &plan, nullptr, nullptr};
  r.GetViewExtents(kCx, kCy, ctx.view);
  r.DrawGrid(ctx);
  bool nearPole = false;
  for (const RecordedCall& c : dc.Calls()) {
    for (const Point& p : c.points) ASSERT_TRUE(std::abs(p.x) < 1e6 && std::abs(p.y) < 1e6);
    nearPole |= c.points.size() > 2 && c.points.front().y == c.points.back().y;
  }
  EXPECT_TRUE(nearPole);
}

TEST_F(BaseLayersTest, FlatGridLabelsAndSpacing) {
  r.PushZoom(64, 47, 8);  // 0.6-degree spacing
  const std::vector<RecordedCall> calls = Run([&](MapDrawContext& c) { r.DrawGrid(c); });
  ASSERT_GT(CountOps(calls, Op::TextOut), 2);
  bool latitude = false;
  for (const RecordedCall& c : calls) {
    if (c.op == Op::TextOut) latitude |= c.text == "N47\xB0" "24.00'";
    if (c.op == Op::Polyline) {
      EXPECT_EQ(c.pen, mappens::PenGreyLight);
    }
  }
  EXPECT_TRUE(latitude);
  r.MapGrid = 0;
  EXPECT_TRUE(Run([&](MapDrawContext& c) { r.DrawGrid(c); }).empty());
}

TEST_F(BaseLayersTest, BackgroundAndOutlineFollowSchemeAndPrinting) {
  r.PushZoom(2, 0, 0);
  r.ColorScheme = 1;
  std::vector<RecordedCall> calls = Run([&](MapDrawContext& c) { r.DrawBackground(c); });
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].brush.color, 0x400000u);
  EXPECT_TRUE(Run([&](MapDrawContext& c) { r.DrawBackground(c); }, true).empty());

  r.MapRoundWorld = 1;
  calls = Run([&](MapDrawContext& c) { r.DrawGlobeOutline(c); }, true);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].op, Op::Ellipse);
  EXPECT_EQ(calls[0].pen, mappens::PenPrintBlack);
  EXPECT_EQ(calls[0].rect, (gdi::Rect{-2000, -3000, 10000, 9000}));
}

TEST_F(BaseLayersTest, PeaksBySymbolSizeWithLabelsOnlyFromZoom64) {
  plan.m_peaks.push_back({46.5f, 8.0f, 4158});
  plan.m_peaks.push_back({46.6f, 8.1f, 3970});
  plan.m_mountainGroups.push_back({45, 47, 7, 9, 2});
  struct Case {
    int zoom;
    Op op;
    int labels;
  } cases[] = {{8, Op::SetPixel, 0}, {32, Op::Polyline, 0}, {64, Op::Polyline, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    r.PushZoom(c.zoom, 46.5, 8);
    r.Labels().clear();
    const std::vector<RecordedCall> calls = Run([&](MapDrawContext& ctx) { r.DrawMountains(ctx); });
    EXPECT_EQ(CountOps(calls, c.op), 2);
    EXPECT_EQ(CountOps(calls, Op::TextOut), c.labels);
    if (c.labels) {
      EXPECT_EQ(calls.back().text, "3970");
      EXPECT_EQ(calls[1].op, Op::FillRect);
      EXPECT_EQ(r.Labels().size(), 4u);  // two symbols, two labels
    }
  }
  // A group whose end runs past the peaks draws nothing.
  plan.m_mountainGroups[0].endIndex = 3;
  r.PushZoom(64, 46.5, 8);
  EXPECT_TRUE(Run([&](MapDrawContext& ctx) { r.DrawMountains(ctx); }).empty());
}

}  // namespace
