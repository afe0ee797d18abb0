#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "navdb/tests/support/NavdbFixture.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/map/tests/support/MapLayerTest.h"

namespace {

using gdi::Op;
using gdi::RecordedCall;

using maptest::kCx;
using maptest::kCy;

// Two intersections on one airway segment, A at (47, 8) and B `nm` east, with its label point.
class AirwayLayersTest : public ::testing::Test {
 protected:
  void Build(double nm, uint16_t forwardFlags, uint16_t backwardFlags, uint8_t type = 0) {
    maptest::AddSwissFile(*db);
    const double lonB = 8 + nm / 60 / std::cos(47 * 3.14159265358979 / 180);
    AirwaySegment a = navdbtest::Segment("UN871", 1, 0, -1, 0);
    a.name[7] = static_cast<char>(type);
    a.half[0].flags = forwardFlags;
    AirwaySegment b = navdbtest::Segment("UN871", -1, 0, 0, 0);
    b.half[1].flags = backwardFlags;
    AddIntersection(47, 8, a, "AAAAA");
    AddIntersection(47, lonB, b, "BBBBB");
    maptest::AddBoxNavaid(*db, 47, 8);
    LabelPoint label;
    label.word = LabelPoint::MakeWord(0, 0, true);
    label.latitude = 47;
    label.longitude = static_cast<float>((8 + lonB) / 2);
    db->AddLabelPoint(label.latitude, label.longitude, label);
    r.SetDatabase(db.get());
    r.MapRoundWorld = 0;
    r.ColorScheme = kSchemeWhite;
    r.MapAirwayL = 1;
    r.MapAirwayH = 0;
    r.MapAirwayId = 1;
    r.MapPlanWaypointsOnly = 0;
  }
  void AddIntersection(double lat, double lon, const AirwaySegment& segment, const char* ident) {
    IntersectionRecord header{};
    std::memcpy(header.ident, ident, 5);
    const navdbtest::PayloadBytes bytes = navdbtest::Intersection(header, {segment});
    ASSERT_TRUE(navdbtest::AddPointAt(*db, lat, lon, kKindIntersection + 1, bytes.data()));
  }
  std::vector<RecordedCall> Run(bool (CMapRenderer::*draw)(MapDrawContext&), int zoom, bool printing = false) {
    r.PushZoom(zoom, 47, 8.2);
    return maptest::RunLayer(r, draw, {db.get(), nullptr, printing});
  }

  std::unique_ptr<CSceneryDatabase> db = std::make_unique<CSceneryDatabase>();
  CMapRenderer r;
};

TEST_F(AirwayLayersTest, DottedStubAtTheEndTheFlagsMark) {
  struct Case {
    double nm;
    uint16_t forward, backward;
    double dottedNm;    // length of the dotted piece
    bool dottedFirst;
  } cases[] = {
      {20, 2, 1, 5, true},     // A's way forward not flyable
      {100, 2, 1, 10, true},
      {100, 3, 0, 10, false},  // B's way back not flyable
      {100, 3, 1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nm * 100 + c.forward * 10 + c.backward);
    db = std::make_unique<CSceneryDatabase>();
    Build(c.nm, c.forward, c.backward);
    const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirways, 16);
    if (c.dottedNm == 0) {
      ASSERT_EQ(calls.size(), 1u);
      EXPECT_EQ(calls[0].pen, mappens::PenAirway(0));
      continue;
    }
    ASSERT_EQ(calls.size(), 2u);
    const RecordedCall& dotted = c.dottedFirst ? calls[0] : calls[1];
    const RecordedCall& solid = c.dottedFirst ? calls[1] : calls[0];
    EXPECT_EQ(dotted.pen, mappens::PenAirwayDotted(0));
    EXPECT_EQ(solid.pen, mappens::PenAirway(0));
    const double dx = std::abs(dotted.points.back().x - dotted.points.front().x);
    const double sx = std::abs(solid.points.back().x - solid.points.front().x);
    EXPECT_NEAR(dx / (dx + sx) * c.nm, c.dottedNm, 0.2);  // x along a bent great circle
  }
}

TEST_F(AirwayLayersTest, LevelSwitchesAndPlanOnly) {
  Build(50, 2 | 4 | 1, 1, 2);  // low and high
  r.MapAirwayH = 1;
  std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirways, 16);
  ASSERT_EQ(calls.size(), 1u);  // once, with both switches on
  EXPECT_EQ(calls[0].pen, mappens::PenAirway(2));
  r.ColorScheme = 2;
  EXPECT_EQ(Run(&CMapRenderer::DrawAirways, 16)[0].pen, mappens::PenAirway(6));
  r.MapAirwayL = 0;
  EXPECT_EQ(Run(&CMapRenderer::DrawAirways, 16).size(), 1u);
  r.MapPlanWaypointsOnly = 1;
  EXPECT_TRUE(Run(&CMapRenderer::DrawAirways, 16).empty());
  EXPECT_TRUE(Run(&CMapRenderer::DrawAirwayIds, 64).empty());
}

TEST_F(AirwayLayersTest, IdentifiersFromZoom32OnOpaqueBoxes) {
  Build(50, 3, 1);
  EXPECT_TRUE(Run(&CMapRenderer::DrawAirwayIds, 31).empty());
  struct Case {
    int scheme;
    bool printing;
    gdi::ColorRef box, text;
  } cases[] = {{kSchemeWhite, false, 0xFFFFFF, 0x32AF46}, {2, false, 0x000000, 0x469646}, {2, true, 0xFFFFFF, 0x32AF46}};
  for (const Case& c : cases) {
    r.ColorScheme = c.scheme;
    const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirwayIds, 32, c.printing);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "UN871");
    EXPECT_EQ(calls[0].bkMode, gdi::OPAQUE);
    EXPECT_EQ(calls[0].bkColor, c.box);
    EXPECT_EQ(calls[0].textColor, c.text);
  }
}

TEST_F(AirwayLayersTest, LabelPointsOutsideTheirArraysAreSkipped) {
  Build(50, 3, 1);
  struct Case {
    const char* what;
    uint32_t word;
  } cases[] = {
      {"intersection beyond the array", LabelPoint::MakeWord(7, 0, true)},
      {"slot beyond the segments", LabelPoint::MakeWord(0, 3, true)},
      {"intersection without a neighbour", LabelPoint::MakeWord(1, 0, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    db->m_labelPoints[0].word = c.word;
    EXPECT_TRUE(Run(&CMapRenderer::DrawAirways, 16).empty());
    EXPECT_TRUE(Run(&CMapRenderer::DrawAirwayIds, 64).empty());
  }
}

}  // namespace
