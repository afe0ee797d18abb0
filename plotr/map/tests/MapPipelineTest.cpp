#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <memory>

#include "navdb/tests/support/NavdbFixture.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/DatabaseAccess.h"

namespace {

using gdi::Op;
using gdi::Point;
using gdi::Rect;

// Records which layers ran; one layer may stop the chain, one may walk the VORs.
struct PipelineLog {
  std::vector<MapLayer> order;
  std::vector<std::pair<float, float>> visited;
  int records = 0;
  bool lockHeldElsewhere = false;
};

class FakePainter : public MapLayerPainter {
 public:
  FakePainter(MapLayer layer, PipelineLog& log, bool result = true) : m_layer(layer), m_log(log), m_result(result) {}
  bool Paint(CMapRenderer&, MapDrawContext& ctx) override {
    m_log.order.push_back(m_layer);
    // Leave the DC changed: the pipeline must still hand back the objects it was given.
    ctx.dc.SelectPen(gdi::Pen::Geometric(30, 0x123456));
    ctx.dc.SetROP2(gdi::R2_NOTXORPEN);
    m_log.lockHeldElsewhere = std::async(std::launch::async, [] {
                                return DatabaseLease::IsFree();
                              }).get() == false;
    return m_result;
  }

 private:
  MapLayer m_layer;
  PipelineLog& m_log;
  bool m_result;
};

// Walks the VORs; after `abortAfter` records it asks for a newer picture.
class WalkingPainter : public MapLayerPainter {
 public:
  WalkingPainter(PipelineLog& log, int abortAfter = -1) : m_log(log), m_abortAfter(abortAfter) {}
  bool Paint(CMapRenderer& r, MapDrawContext& ctx) override {
    m_log.order.push_back(MapLayer::Vors);
    gdi::DcStateGuard guard(ctx.dc);
    ctx.dc.SelectPen(gdi::Pen::Cosmetic(0xFF0000));
    const bool done = r.WalkPoints(ctx, kArrayVor, [&](const NavPoint& p, int x, int y) {
      const float lat = p.latitude, lon = p.longitude;
      m_log.visited.emplace_back(lat, lon);
      ctx.dc.SetPixel(x, y, 0);
      if (ctx.abort && static_cast<int>(m_log.visited.size()) == m_abortAfter) ctx.abort->Set();
    });
    m_log.records = ctx.visited;
    return done;
  }

 private:
  PipelineLog& m_log;
  int m_abortAfter;
};

CMapRenderer FakeRenderer(PipelineLog& log, int zoom, MapLayer stopAt = MapLayer::Count) {
  CMapRenderer r;
  r.MapRoundWorld = 0;
  r.PushZoom(zoom, 47, 8);
  for (int i = 0; i < kMapLayerCount; ++i) {
    const MapLayer layer = static_cast<MapLayer>(i);
    r.SetPainter(layer, std::make_shared<FakePainter>(layer, log, layer != stopAt));
  }
  return r;
}

std::vector<MapLayer> Expected(const auto& chain, size_t count) {
  std::vector<MapLayer> v{MapLayer::Background, MapLayer::GlobeOutline, MapLayer::Grid};
  v.insert(v.end(), chain.begin(), chain.begin() + count);
  return v;
}

TEST(MapPipeline, SliverWindowGetsOnlyTheBackground) {
  PipelineLog log;
  CMapRenderer r = FakeRenderer(log, 10);
  gdi::RecordingDc dc;
  r.DrawMapLayers(dc, 500, 40, nullptr, nullptr);
  EXPECT_EQ(log.order, std::vector<MapLayer>{MapLayer::Background});
  log.order.clear();
  r.DrawMapLayers(dc, 0, 400, nullptr, nullptr);
  EXPECT_TRUE(log.order.empty());
}

TEST(MapPipeline, ZoomChoosesTheChainAndTheFirstFalseStopsIt) {
  struct Case {
    const char* name;
    int zoom;
    MapLayer stopAt;
    std::vector<MapLayer> expected;
  } cases[] = {
      {"BelowDetailZoomShortChain", 63, MapLayer::Count, Expected(kMapChainA, kMapChainA.size())},
      {"DetailZoomLongChain", 64, MapLayer::Count, Expected(kMapChainB, kMapChainB.size())},
      {"StoppedAtVors", 63, MapLayer::Vors, Expected(kMapChainA, 7)},
      {"StoppedAtRunways", 100, MapLayer::Runways, Expected(kMapChainB, 12)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PipelineLog log;
    CMapRenderer r = FakeRenderer(log, c.zoom, c.stopAt);
    gdi::RecordingDc dc;
    const gdi::Pen pen = dc.GetPen();
    const bool complete = r.DrawMapLayers(dc, 8000, 6000, nullptr, nullptr);
    EXPECT_EQ(complete, c.stopAt == MapLayer::Count);
    EXPECT_EQ(log.order, c.expected);
    EXPECT_TRUE(log.lockHeldElsewhere);
    EXPECT_EQ(dc.GetPen(), pen);
    EXPECT_EQ(dc.GetROP2(), gdi::R2_COPYPEN);
    EXPECT_EQ(dc.SaveDepth(), 0);
  }
}

TEST(MapPipeline, TextColourAndFontFollowSchemeAndPrinting) {
  struct Case {
    int scheme;
    bool printing;
    gdi::ColorRef text;
  } cases[] = {{kSchemeWhite, false, 0x000000}, {kSchemeBlue, false, 0xC0C0C0}, {kSchemeBlack, true, 0x000000}};
  for (const Case& c : cases) {
    CMapRenderer r;
    r.ColorScheme = c.scheme;
    gdi::ColorRef seen = 1;
    int height = 0;
    struct Probe : MapLayerPainter {
      gdi::ColorRef* seen;
      int* height;
      bool Paint(CMapRenderer&, MapDrawContext& ctx) override {
        *seen = ctx.dc.GetTextColor();
        *height = ctx.dc.GetFont().height;
        return true;
      }
    };
    auto probe = std::make_shared<Probe>();
    probe->seen = &seen;
    probe->height = &height;
    r.SetPainter(MapLayer::Background, probe);
    gdi::RecordingDc dc;
    dc.SetPrinting(c.printing);
    r.DrawMapLayers(dc, 1000, 1000, nullptr, nullptr);
    EXPECT_EQ(seen, c.text);
    EXPECT_EQ(height, r.MapFont.height * 15);
  }
}

// Thirty VORs around Zurich in one file (one hidden) with three far south of them, ten more
// near Sydney in another.
class MapWalkTest : public testing::Test {
 protected:
  void SetUp() override {
    m_db.AddArea("Scenery\\Swiss", nullptr);
    navdbtest::AddFile(m_db, "scenery", "swiss.bgl");
    const VorRecord vor = navdbtest::Vor("ZUE", 110.05f);
    for (int i = 0; i < 30; ++i) {
      ASSERT_TRUE(navdbtest::AddPointAt(m_db, 47 + 0.02 * i, 8 + 0.03 * i, kKindVor, &vor));
    }
    // Far south in the same file: the file meets the view, this tile does not.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(navdbtest::AddPointAt(m_db, 10 + 0.1 * i, 8.5, kKindVor, &vor));
    m_db.m_vors[5].SetShown(false);
    m_db.AddArea("Scenery\\Oz", nullptr);
    navdbtest::AddFile(m_db, "scenery", "oz.bgl");
    for (int i = 0; i < 10; ++i) {
      ASSERT_TRUE(navdbtest::AddPointAt(m_db, -33.9 + 0.01 * i, 151.2, kKindVor, &vor));
    }
  }

  CMapRenderer Renderer(PipelineLog& log, int abortAfter = -1) {
    CMapRenderer r;
    r.MapRoundWorld = 0;
    r.PushZoom(32, 47.3, 8.4);
    r.SetDatabase(&m_db);
    r.SetPainter(MapLayer::Vors, std::make_shared<WalkingPainter>(log, abortAfter));
    for (MapLayer later : {MapLayer::AirportSymbols, MapLayer::AirwayIds}) {
      r.SetPainter(later, std::make_shared<FakePainter>(later, log));
    }
    return r;
  }

  CSceneryDatabase m_db;
};

TEST_F(MapWalkTest, VisitsOnlyShownPointsOfFilesInView) {
  PipelineLog log;
  CMapRenderer r = Renderer(log);
  gdi::RecordingDc dc;
  EXPECT_TRUE(r.DrawMapLayers(dc, 14400, 10800, nullptr, nullptr));
  EXPECT_EQ(log.records, 30);  // the far file and the far tile are never entered
  EXPECT_EQ(log.visited.size(), 29u);
  const float hidden = m_db.m_vors[5].latitude;
  for (const auto& [lat, lon] : log.visited) {
    EXPECT_GT(lat, 40);
    EXPECT_NE(lat, hidden);
  }
  EXPECT_EQ(dc.CallsOf(Op::SetPixel).size(), 29u);
}

TEST_F(MapWalkTest, AbortStopsTheWalkWithinTenRecordsAndTheChainWithIt) {
  PipelineLog log;
  CMapRenderer r = Renderer(log, 3);
  win::AutoResetEvent abort;
  gdi::RecordingDc dc;
  const gdi::Pen pen = dc.GetPen();
  EXPECT_FALSE(r.DrawMapLayers(dc, 14400, 10800, nullptr, &abort));
  EXPECT_EQ(log.records, 10);
  EXPECT_LE(log.visited.size(), 10u);
  EXPECT_EQ(log.order, (std::vector<MapLayer>{MapLayer::Vors}));  // airport symbols never ran
  EXPECT_EQ(dc.GetPen(), pen);
  EXPECT_EQ(dc.SaveDepth(), 0);
  EXPECT_FALSE(abort.Wait(0));  // the test consumed the request
}

TEST(MapLabels, PlaceLabelTriesFortyCandidatesRingByRing) {
  CMapRenderer r;
  struct Case {
    const char* name;
    std::vector<Rect> occupied;
    bool placed;
    Rect result;
  } cases[] = {
      {"FirstLabelKeepsItsCornerOnTheAnchor", {}, true, Rect{1000, 1000, 1100, 1040}},
      {"FirstCandidateIsCentredBelow", {Rect{0, 0, 10, 10}}, true, Rect{950, 1075, 1050, 1115}},
      {"DirectionTwoGoesBelowShiftedRight",
       {Rect{0, 0, 10, 10}, Rect{950, 1075, 1000, 1115}, Rect{1100, 990, 1110, 1000}},
       true,
       Rect{1025, 1075, 1125, 1115}},
      {"NoFreeCandidateDropsTheLabel", {Rect{-10000, -10000, 10000, 10000}}, false, Rect{1000, 1000, 1100, 1040}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Rect> labels = c.occupied;
    Rect rect{1000, 1000, 1100, 1040};
    EXPECT_EQ(r.PlaceLabel(rect, 1000, 1000, 75, &labels), c.placed);
    EXPECT_EQ(rect, c.result);
    EXPECT_EQ(labels.size(), c.occupied.size() + (c.placed ? 1 : 0));
  }
}

TEST(MapLines, GreatCircleAcrossTheDateLineSplitsOnTheFlatMap) {
  CMapRenderer r;
  r.MapRoundWorld = 0;
  gdi::RecordingDc dc;
  r.DrawClippedGreatCircle(dc, 14400, 7200, 0, 170, 0, -170, 8);
  const auto lines = dc.CallsOf(Op::Polyline);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_GT(lines[0].points.back().x, 14000);
  EXPECT_LT(lines[1].points.front().x, 400);
}

TEST(MapLines, LineReturningFromTheFarSideIsWalkedAgainFinely) {
  CMapRenderer r;
  r.MapRoundWorld = 1;
  gdi::RecordingDc dc;
  r.DrawClippedGreatCircle(dc, 14400, 14400, 0, -130, 0, 40, 8);
  const auto lines = dc.CallsOf(Op::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  // The polyline starts at the globe's rim, not a jump further in.
  EXPECT_LT(lines[0].points.front().x, 7200 - 7200 * 97 / 100);
  EXPECT_NEAR(lines[0].points.back().x, 7200 + 7200 * 40 / 90, 2);
}

TEST(MapLines, ShortLineIsOneSegment) {
  CMapRenderer r;
  r.PushZoom(64, 47, 8);
  gdi::RecordingDc dc;
  r.DrawClippedRhumbLine(dc, 14400, 14400, 47, 8, 47.5, 8.5, 8);
  ASSERT_EQ(dc.Calls().size(), 1u);
  EXPECT_EQ(dc.Calls()[0].points.size(), 2u);
}

TEST(MapGeometry, RhumbLineInterpolation) {
  double lat = 0, lon = 0;
  InterpolateRhumbLine(lat, lon, 10, 20, 30, 40, 1.5);
  EXPECT_NEAR(lat, 30, 1e-9);
  EXPECT_NEAR(lon, 40, 1e-9);
  InterpolateRhumbLine(lat, lon, 40, 0, 40, 10, 0.5);  // along a parallel
  EXPECT_NEAR(lat, 40, 1e-9);
  EXPECT_NEAR(lon, 5, 1e-9);
  InterpolateRhumbLine(lat, lon, 0, 170, 0, -170, 0.5);  // the short way, over the date line
  EXPECT_NEAR(std::fabs(lon), 180, 1e-9);
}

TEST(MapGeometry, RegionTestWrapsTheDateLine) {
  BglFileRecord f;
  f.latMin = -20;
  f.latMax = -10;
  f.lonMin = 175;
  f.lonMax = -175;
  EXPECT_TRUE(RegionIntersectsView(f, MapViewExtents{-15, -5, -179, -170}));
  EXPECT_FALSE(RegionIntersectsView(f, MapViewExtents{-15, -5, 10, 20}));
  EXPECT_TRUE(RegionIntersectsView(f, MapViewExtents{-90, 90, 0, 0}));  // every longitude
  EXPECT_TRUE(ShapeIntersectsView(-12, -18, 176, 178, MapViewExtents{-15, -5, 170, 180}));
}

TEST(MapPlanRows, BearingRowsHangOffTheLastFlownPoint) {
  auto row = [](double lat, int kind) {
    PlanRow r;
    r.latitude = lat;
    r.rowKind = kind;
    return r;
  };
  const std::vector<PlanRow> rows = {row(1, kRowDeparture), row(2, kRowEnRoute), row(3, kRowBearing),
                                     row(4, kRowBearing),   row(5, kRowDeparture), row(6, kRowDestination)};
  std::vector<std::pair<int, double>> legs;
  WalkPlanRows(rows, [&](int i, const PlanRow&, double fromLat, double) {
    legs.emplace_back(i, fromLat);
    return true;
  });
  EXPECT_EQ(legs, (std::vector<std::pair<int, double>>{{1, 1}, {2, 2}, {3, 2}, {5, 5}}));
}

}  // namespace
