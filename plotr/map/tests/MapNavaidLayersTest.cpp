#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "navdb/tests/support/NavdbFixture.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/map/tests/support/MapLayerTest.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using gdi::Op;
using gdi::RecordedCall;

using maptest::Count;
using maptest::FirstOf;
using maptest::kCx;
using maptest::kCy;

class NavaidLayersTest : public ::testing::Test {
 protected:
  NavaidLayersTest() {
    maptest::AddSwissFile(db);
    r.SetDatabase(&db);
    r.MapRoundWorld = 0;
    r.ColorScheme = kSchemeWhite;
    r.MapName = r.MapId = r.MapFreq = 1;
    r.MapNdb = r.MapVor = r.MapIsec = r.MapMarker = 1;
    r.MapAirwayL = r.MapAirwayH = 0;
    r.MapPlanWaypointsOnly = 0;
  }
  void Add(double lat, double lon, uint16_t kind, const void* payload) {
    ASSERT_TRUE(navdbtest::AddPointAt(db, lat, lon, kind, payload));
  }
  void AddIntersection(double lat, double lon, uint16_t kind, uint8_t type, const char* ident) {
    IntersectionRecord header{};
    header.type = type;
    std::memcpy(header.ident, ident, std::min<size_t>(6, std::strlen(ident)));
    const navdbtest::PayloadBytes bytes = navdbtest::Intersection(header, {});
    Add(lat, lon, kind, bytes.data());
  }
  // Draws one layer at a zoom over (47, 8); the drawer must hand the DC back as it found it.
  std::vector<RecordedCall> Run(bool (CMapRenderer::*draw)(MapDrawContext&), int zoom) {
    r.PushZoom(zoom, 47, 8);
    return maptest::RunLayer(r, draw, {&db, &plan});
  }

  plantest::ScopedPlanFolder folder{"map-navaids"};
  CSceneryDatabase db;
  CFlightPlanCore plan;
  CMapRenderer r;
};

TEST_F(NavaidLayersTest, NdbSymbolAndLabelStepByZoom) {
  const NdbRecord ndb = navdbtest::Ndb("ZH", 316.0f, db.AddString("ZURICH"));
  Add(47, 8, kKindNdb, &ndb);
  int x = 0, y = 0;
  struct Case {
    int zoom;
    int lines;
    int radius;
  } cases[] = {{63, 2, 0}, {64, 0, 105}, {128, 0, 150}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawNdbs, c.zoom);
    r.LatLonToPixel(x, y, 47, 8, kCx, kCy, 0);
    EXPECT_EQ(Count(calls, Op::Polyline, 2), c.lines);
    if (!c.radius) continue;
    ASSERT_EQ(Count(calls, Op::Ellipse), 2);
    EXPECT_EQ(FirstOf(calls, Op::Ellipse)->rect, (gdi::Rect{x - c.radius, y - c.radius, x + c.radius, y + c.radius}));
    EXPECT_EQ(FirstOf(calls, Op::Ellipse)->pen, mappens::PenLime);
    // The label hangs below the symbol one step (radius + 45) away.
    const RecordedCall* box = FirstOf(calls, Op::Rectangle);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->rect.top, y + c.radius + 45);
    std::vector<std::string> texts;
    for (const RecordedCall& call : calls) {
      if (call.op == Op::TextOut) texts.push_back(call.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"ZURICH", "316.0 ZH"}));
  }
}

TEST_F(NavaidLayersTest, AirwaySwitchesAndPlanOnlyChooseTheNdbs) {
  const NdbRecord ndb = navdbtest::Ndb("AA", 300.0f);
  Add(47.0, 8.0, kKindNdb, &ndb);        // on no airway
  Add(47.1, 8.0, kKindNdb + 1, &ndb);    // low
  Add(47.2, 8.0, kKindNdb + 2, &ndb);    // high
  const MarkerRecord marker = navdbtest::Marker(0);
  Add(47.0, 8.1, kKindMarker, &marker);
  r.MapNdb = 0;
  r.MapAirwayL = 1;
  EXPECT_EQ(Count(Run(&CMapRenderer::DrawNdbs, 32), Op::Polyline), 2);  // one cross
  r.MapNdb = 1;
  EXPECT_EQ(Count(Run(&CMapRenderer::DrawNdbs, 32), Op::Polyline), 6);
  r.MapPlanWaypointsOnly = 1;
  EXPECT_EQ(Count(Run(&CMapRenderer::DrawNdbs, 32), Op::Polyline), 0);
  EXPECT_EQ(Count(Run(&CMapRenderer::DrawMarkers, 64), Op::Rectangle), 1);
}

TEST_F(NavaidLayersTest, DmeOnlyStationHasSquareAndPlainCircle) {
  const VorRecord dme = navdbtest::Vor("KLO", 114.85f, -1, 9);
  Add(47, 8, kKindVor, &dme);
  std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawVors, 128);
  EXPECT_EQ(Count(calls, Op::Polyline, 7), 0);
  EXPECT_EQ(Count(calls, Op::Polyline, 5), 1);
  EXPECT_EQ(Count(calls, Op::Polyline, 2), 0);  // neither north line nor ticks
  ASSERT_EQ(Count(calls, Op::Ellipse), 1);
  EXPECT_EQ(FirstOf(calls, Op::Ellipse)->rect.Width(), 960);

  // A VOR/DME gets the hexagon, the square, the north line and 6 x 2 ticks every 30 degrees
  // below zoom 128 ... from 128 on, 18 x 2 every 10 degrees.
  db.m_vors[0].SetShown(false);
  const VorRecord vordme = navdbtest::Vor("ZUE", 110.05f, -1, 1);
  Add(47, 8, kKindVor, &vordme);
  calls = Run(&CMapRenderer::DrawVors, 128);
  EXPECT_EQ(Count(calls, Op::Polyline, 7), 1);
  EXPECT_EQ(Count(calls, Op::Polyline, 5), 1);
  EXPECT_EQ(Count(calls, Op::Polyline, 2), 1 + 36);
  const RecordedCall* label = nullptr;
  for (const RecordedCall& c : calls) {
    if (c.op == Op::TextOut) label = &c;
  }
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text, "110.05 ZUE");
}

TEST_F(NavaidLayersTest, IntersectionsByZoomTypeAndAirway) {
  maptest::AddBoxNavaid(db, 47.1, 8.1);
  AddIntersection(47.0, 8.0, kKindIntersection, 13, "4708N");  // coordinate name
  AddIntersection(47.1, 8.0, kKindIntersection + 1, 3, "ABC");  // on a low airway
  AddIntersection(47.2, 8.0, kKindIntersection, 3, "DEF");      // plain
  struct Case {
    int zoom;
    int pixels;
    int outlines;
    int filled;
  } cases[] = {{1, 0, 0, 0}, {4, 1, 0, 0}, {8, 0, 2, 0}, {64, 0, 1, 2}, {256, 0, 0, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawIntersections, c.zoom);
    EXPECT_EQ(Count(calls, Op::SetPixel), c.pixels);
    EXPECT_EQ(Count(calls, Op::Polyline, 4), c.outlines);
    EXPECT_EQ(Count(calls, Op::Polygon), c.filled);
    if (c.zoom == 256) {
      EXPECT_EQ(FirstOf(calls, Op::TextOut)->text, "4708n");
    }
  }
}

TEST_F(NavaidLayersTest, LabelWithNameOnlyIsOneLineHigh) {
  const NdbRecord ndb = navdbtest::Ndb("ZH", 316.0f, db.AddString("ZURICH"));
  Add(47, 8, kKindNdb, &ndb);
  r.MapId = r.MapFreq = 0;
  const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawNdbs, 64);
  const RecordedCall* box = FirstOf(calls, Op::Rectangle);
  ASSERT_NE(box, nullptr);
  gdi::RecordingDc measure;
  measure.SelectFont(r.ScaledMapFont());
  EXPECT_EQ(box->rect.Height(), measure.GetTextMetrics().height);
  EXPECT_EQ(Count(calls, Op::TextOut), 1);
}

TEST_F(NavaidLayersTest, MarkerPensByType) {
  for (uint8_t type : {0, 1, 2}) {
    const MarkerRecord marker = navdbtest::Marker(type);
    Add(47.0 + 0.01 * type, 8, kKindMarker, &marker);
  }
  const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawMarkers, 64);
  ASSERT_EQ(Count(calls, Op::Rectangle), 3);
  std::vector<gdi::ColorRef> colours;
  for (const RecordedCall& c : calls) colours.push_back(c.pen.color);
  std::sort(colours.begin(), colours.end());
  EXPECT_EQ(colours, (std::vector<gdi::ColorRef>{0x0000FF, 0x00AADC, 0x00FF00}));
  EXPECT_TRUE(Run(&CMapRenderer::DrawMarkers, 63).empty());
}

}  // namespace

namespace {

TEST_F(NavaidLayersTest, UserFixesKeepTheirCaseAndGrowWithZoom) {
  CRoute& route = *plan.GetCurrent();
  NavPoint fix(47, 8, kKindUserPoint, 1);
  route.m_fixNames.Add(fix, MakeFixName("MyFix"));
  route.m_userFixes.push_back(fix);
  struct Case {
    int zoom;
    Op op;
    int half;  // of the triangle
  } cases[] = {{8, Op::SetPixel, 0}, {16, Op::Polyline, 15}, {32, Op::Polyline, 30}, {64, Op::Polygon, 60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom);
    const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawUserFixes, c.zoom);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].op, c.op);
    if (c.half) {
      EXPECT_EQ(calls[0].points[0].y + c.half, calls[0].points[1].y - c.half);
    }
  }
  const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawUserFixes, 64);
  ASSERT_NE(FirstOf(calls, Op::TextOut), nullptr);
  EXPECT_EQ(FirstOf(calls, Op::TextOut)->text, "MyFix");
}

}  // namespace
