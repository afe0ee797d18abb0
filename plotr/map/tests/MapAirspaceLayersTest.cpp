#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "navdb/Geodesy.h"
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

struct Corner {
  double lat, lon;
  uint8_t edge;
};

class AirspaceLayersTest : public ::testing::Test {
 protected:
  AirspaceLayersTest() {
    maptest::AddSwissFile(db);
    maptest::AddBoxNavaid(db, 47, 8);
    r.SetDatabase(&db);
    r.MapRoundWorld = 0;
    r.ColorScheme = kSchemeWhite;
    r.MapAirport = r.MapAirportZone = r.MapAirspaceArtcc = r.MapAirspaceFir = 1;
    r.MapAirspaceAboveTransition = 0;
  }
  void AddShape(uint16_t flags, const std::vector<Corner>& corners, double radiusNm = 0, double cLat = 0, double cLon = 0) {
    AirspaceShape shape;
    shape.flags = flags;
    const int s = db.m_airspaceShapes.Add(shape, &db.m_files[file].airspaceShapeEnd);
    for (const Corner& c : corners) {
      AirspaceVertex v;
      v.latitude = static_cast<float>(c.lat);
      v.longitude = static_cast<float>(c.lon);
      v.edge = c.edge;
      if (radiusNm > 0) {
        VertexExtra e;
        e.centreLatitude = static_cast<float>(cLat);
        e.centreLongitude = static_cast<float>(cLon);
        e.radiusNm = static_cast<float>(radiusNm);
        db.AddVertexExtra(v, e);
      }
      db.m_airspaceVertices.Add(v);
      ++db.m_airspaceShapes[s].vertexEnd;
    }
  }
  std::vector<Corner> Square(double lat, double lon, double half, uint8_t edge = kEdgeGreatCircle) {
    return {{lat - half, lon - half, edge}, {lat - half, lon + half, edge}, {lat + half, lon + half, edge}, {lat + half, lon - half, edge}};
  }
  std::vector<RecordedCall> Run(bool (CMapRenderer::*draw)(MapDrawContext&), int zoom) {
    r.PushZoom(zoom, 47, 8);
    return maptest::RunLayer(r, draw, {&db});
  }

  CSceneryDatabase db;
  int file = 0;  // the only file
  CMapRenderer r;
};

TEST_F(AirspaceLayersTest, WhichShapesShowByZoomSwitchesAndLevel) {
  AddShape(3 | 0x40, Square(47, 8, 0.5));         // ARTCC below the transition only
  AddShape(3 | 0x80, Square(47, 8, 0.6));         // ARTCC above it only
  AddShape(1 | 0x10 | 0x40, Square(47, 8, 0.1));  // hatched zone
  struct Case {
    int zoom;
    uint8_t above, zoneSwitch;
    int outlines, fills;  // wide outline edges, filled polygons
  } cases[] = {
      {1, 0, 1, 0, 0},    // nothing at zoom 1
      {8, 0, 1, 4, 0},    // zones only from 16
      {16, 0, 1, 4, 1},
      {16, 1, 1, 4, 1},   // above the transition the other ARTCC
      {16, 0, 0, 4, 0},   // zone switch off
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom * 100 + c.above * 10 + c.zoneSwitch);
    r.MapAirspaceAboveTransition = c.above;
    r.MapAirportZone = c.zoneSwitch;
    const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirspaces, c.zoom);
    int outlines = 0;
    int width = 0;
    for (const RecordedCall& call : calls) {
      if (call.op == Op::Polyline && call.pen == mappens::PenAirspaceLightWide) {
        ++outlines;
        width = std::max(width, std::abs(call.points.back().x - call.points.front().x));
      }
    }
    EXPECT_EQ(outlines, c.outlines);
    EXPECT_EQ(static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const RecordedCall& k) { return k.op == Op::Polygon; })), c.fills);
    if (c.outlines) {
      int x0 = 0, x1 = 0, y = 0;
      r.LatLonToPixel(x0, y, 47, 8 - (c.above ? 0.6 : 0.5), kCx, kCy, 2);
      r.LatLonToPixel(x1, y, 47, 8 + (c.above ? 0.6 : 0.5), kCx, kCy, 2);
      EXPECT_NEAR(width, x1 - x0, 2);
    }
  }
}

TEST_F(AirspaceLayersTest, TinyZoneEdgesStayFiniteAndFarSideZonesAreNotFilled) {
  // 50 m across at zoom 16: edges shorter than a unit.
  AddShape(11 | 0x40, Square(47, 8, 0.00025));
  std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirspaces, 16);
  for (const RecordedCall& c : calls) {
    for (const gdi::Point& p : c.points) EXPECT_LT(std::abs(p.x) + std::abs(p.y), 100000);
  }
  // On the globe a zone with a vertex on the far side is not filled at all.
  AddShape(11 | 0x40, {{47, 8, kEdgeGreatCircle}, {47, 9, kEdgeGreatCircle}, {-47, -172, kEdgeGreatCircle}});
  r.MapRoundWorld = 1;
  calls = Run(&CMapRenderer::DrawAirspaces, 16);
  EXPECT_LE(std::count_if(calls.begin(), calls.end(), [](const RecordedCall& k) { return k.op == Op::Polygon; }), 1);
}

TEST_F(AirspaceLayersTest, ArcThroughNorthRunsTheShortWayInItsDirection) {
  // Clockwise from bearing 350 to bearing 10 about (47, 8): points near north only.
  double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
  DestinationPoint(lat1, lon1, 47, 8, 350, 10 * kMetresPerNm);
  DestinationPoint(lat2, lon2, 47, 8, 10, 10 * kMetresPerNm);
  AddShape(11 | 0x40, {{lat1, lon1, kEdgeArcClockwise}, {lat2, lon2, kEdgeGreatCircle}}, 10, 47, 8);
  const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirspaces, 16);
  ASSERT_EQ(calls.size(), 1u);
  int x = 0, y = 0;
  r.LatLonToPixel(x, y, 47, 8, kCx, kCy, 0);
  for (const gdi::Point& p : calls[0].points) EXPECT_LT(p.y, y);  // all north of the centre
}

TEST_F(AirspaceLayersTest, ReferencePointsByKindLevelAndZoom) {
  AirspaceRecord h{};
  h.classWord = 4;
  std::memcpy(h.ident, "ZURCH", 5);  // all five bytes, no terminator
  const navdbtest::PayloadBytes bytes = navdbtest::Airspace(h, {});
  ASSERT_TRUE(navdbtest::AddPointAt(db, 47.0, 8.0, 4096, bytes.data()));
  ASSERT_TRUE(navdbtest::AddPointAt(db, 47.2, 8.0, 8192, bytes.data()));
  ASSERT_TRUE(navdbtest::AddPointAt(db, 47.4, 8.0, 16384, bytes.data()));
  auto squares = [](const std::vector<RecordedCall>& calls) {
    return std::count_if(calls.begin(), calls.end(), [](const RecordedCall& k) { return k.op == Op::FillRect; });
  };
  EXPECT_TRUE(Run(&CMapRenderer::DrawAirspaceLabels, 1).empty());
  r.MapAirspaceAboveTransition = 0;
  EXPECT_EQ(squares(Run(&CMapRenderer::DrawAirspaceLabels, 8)), 2);  // 4096 and 16384
  r.MapAirspaceAboveTransition = 1;
  std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirspaceLabels, 8);
  EXPECT_EQ(squares(calls), 2);  // 8192 and 16384
  const auto text = std::find_if(calls.begin(), calls.end(), [](const RecordedCall& k) { return k.op == Op::TextOut; });
  ASSERT_NE(text, calls.end());
  EXPECT_EQ(text->text, "ZURCH");
  for (int zoom : {2, 64}) {
    calls = Run(&CMapRenderer::DrawAirspaceLabels, zoom);
    EXPECT_EQ(squares(calls), 2);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const RecordedCall& k) { return k.op == Op::TextOut; }), 0);
  }
}

}  // namespace
