#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapPens.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/map/tests/support/MapLayerTest.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using gdi::Op;
using gdi::Point;
using gdi::RecordedCall;

using maptest::kCx;
using maptest::kCy;

PlanRow Row(double lat, double lon, int32_t rowKind, uint32_t kind = 0, double course = 90, double nm = 40) {
  PlanRow r;
  r.latitude = lat;
  r.longitude = lon;
  r.rowKind = rowKind;
  r.kind = kind;
  r.course = course;
  r.legDistance = nm;
  return r;
}

class PlanTrackTest : public ::testing::Test {
 protected:
  PlanTrackTest() {
    r.MapRoundWorld = 0;
    r.ColorScheme = kSchemeWhite;
    r.MapRouteLabels = 1;
    r.PushZoom(64, 47, 10);
    // Departure, W, two bearing points off W, on, a second flight starting mid-plan, EOC/BOD.
    plan.m_rows = {Row(47, 8, kRowDeparture),
                   Row(47, 9, kRowEnRoute),
                   Row(47.5, 9, kRowBearing, 0, 0, 30),
                   Row(46.5, 9, kRowBearing, 0, 270, 30),
                   Row(47, 10, kRowEnRoute),
                   Row(47, 11, kRowDeparture),
                   Row(47, 12, kRowEnRoute),
                   Row(47, 12.5, kRowEnRoute, kPseudoClimbMeetsDescent)};
  }
  Point At(double lat, double lon) {
    Point p;
    r.LatLonToPixel(p.x, p.y, lat, lon, kCx, kCy, 0);
    return p;
  }
  std::vector<RecordedCall> Run(bool (CMapRenderer::*draw)(MapDrawContext&), bool printing = false) {
    return maptest::RunLayer(r, draw, {nullptr, &plan, printing});
  }

  plantest::ScopedPlanFolder folder{"map-track"};
  CFlightPlanCore plan;
  CMapRenderer r;
};

TEST_F(PlanTrackTest, BearingsHangOffTheLastFlownPointAndDeparturesStartNewPieces) {
  const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawPlanTrack);
  std::vector<std::pair<Point, Point>> bearings, track;
  int diamonds = 0;
  for (const RecordedCall& c : calls) {
    ASSERT_EQ(c.op, Op::Polyline);
    if (c.points.size() == 5) {
      ++diamonds;
      EXPECT_EQ(c.points[0], (Point{At(47, 12.5).x, At(47, 12.5).y + 45}));
      continue;
    }
    (c.pen == mappens::PenTrackLightWide ? bearings : track).emplace_back(c.points.front(), c.points.back());
  }
  EXPECT_EQ(diamonds, 1);
  const Point w = At(47, 9);
  ASSERT_EQ(bearings.size(), 2u);
  for (const auto& [from, to] : bearings) EXPECT_EQ(from, w);
  EXPECT_EQ(bearings[1].second, At(46.5, 9));
  ASSERT_EQ(track.size(), 4u);
  EXPECT_EQ(track[1].first, w);  // on from W, not from the second bearing point
  for (const auto& [from, to] : track) EXPECT_NE(to, At(47, 11));
  EXPECT_EQ(track[2].first, At(47, 11));
  EXPECT_EQ(r.Labels().size(), 1u);

  r.ColorScheme = 2;
  const std::vector<RecordedCall> night = Run(&CMapRenderer::DrawPlanTrack);
  EXPECT_EQ(night.front().pen, mappens::PenTrackDarkWide);
  EXPECT_EQ(night.back().pen, mappens::PenTrackLightWide);
  EXPECT_EQ(Run(&CMapRenderer::DrawPlanTrack, true).back().pen, mappens::PenTrackDarkWide);
}

TEST_F(PlanTrackTest, RouteLabelsOfLegsBearingsAndPseudoPoints) {
  std::vector<std::string> texts;
  for (const RecordedCall& c : Run(&CMapRenderer::DrawRouteLabels)) {
    if (c.op == Op::TextOut) texts.push_back(c.text);
  }
  for (const char* want : {"40.0nm 90", "30.0nm", "0/180", "270/90", "EOC, BOD"}) {
    EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
  }
  // Legs W, on, after the second departure and into EOC/BOD; two bearings; one pseudo name.
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "40.0nm 90"), 4);
  r.MapRouteLabels = 0;
  EXPECT_TRUE(Run(&CMapRenderer::DrawRouteLabels).empty());
}

}  // namespace
