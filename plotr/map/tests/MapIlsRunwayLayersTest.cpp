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

class IlsRunwayLayersTest : public ::testing::Test {
 protected:
  IlsRunwayLayersTest() {
    maptest::AddSwissFile(db);
    r.SetDatabase(&db);
    r.MapRoundWorld = 1;
    r.ColorScheme = kSchemeWhite;
    r.MapAirport = r.MapIls = r.MapBcIls = 1;
    r.MapName = r.MapId = r.MapFreq = 1;
    r.MapPlanWaypointsOnly = 0;
  }
  // An ILS due north (course 0) at (47, 8); returns its index.
  int AddIls(int16_t glideSlope, uint8_t range = 10) {
    IlsRecord ils = navdbtest::Ils("IZH", 110.5f, 0, glideSlope);
    ils.range = range;
    EXPECT_TRUE(navdbtest::AddPointAt(db, 47, 8, kKindIls, &ils));
    return db.m_ils.GetSize() - 1;
  }
  // A runway along the meridian from (lat1, 8) to (lat2, 8), the first end with `ils`.
  void AddRunway(double lat1, double lat2, int16_t feet, uint8_t surface = 0, int ils = -1) {
    RunwayRecord a = navdbtest::Runway("16", 0);
    RunwayRecord b = navdbtest::Runway("34", 32768);
    a.width = b.width = feet;
    a.surface = b.surface = surface;
    if (ils >= 0) a.SetIlsIndex(ils);
    ASSERT_TRUE(navdbtest::AddPointAt(db, lat1, 8, kKindRunway, &a));
    ASSERT_TRUE(navdbtest::AddPointAt(db, lat2, 8, kKindRunway, &b));
  }
  std::vector<RecordedCall> Run(bool (CMapRenderer::*draw)(MapDrawContext&), int zoom) {
    r.PushZoom(zoom, 47, 8);
    return maptest::RunLayer(r, draw, {&db});
  }
  // The feather's far end below (47, 8): the largest y of the lines drawn.
  int FeatherLength(const std::vector<RecordedCall>& calls) {
    int x = 0, y = 0, far = 0;
    r.LatLonToPixel(x, y, 47, 8, kCx, kCy, 0);
    for (const RecordedCall& c : calls) {
      if (c.op != Op::Polyline || c.pen != mappens::PenAmber) continue;
      for (const gdi::Point& p : c.points) far = std::max(far, p.y - y);
    }
    return far;
  }

  CSceneryDatabase db;
  CMapRenderer r;
};

TEST_F(IlsRunwayLayersTest, BackCourseHiddenWithoutItsSwitch) {
  const int ils = AddIls(-1);
  AddRunway(47.01, 47.03, 150, 0, ils);
  EXPECT_FALSE(Run(&CMapRenderer::DrawIls, 64).empty());
  r.MapBcIls = 0;
  EXPECT_TRUE(Run(&CMapRenderer::DrawIls, 64).empty());
  EXPECT_TRUE(Run(&CMapRenderer::DrawIlsRunways, 64).empty());
  r.MapIls = 0;
  EXPECT_EQ(Run(&CMapRenderer::DrawRunways, 64).size(), 1u);  // the line, no mark
}

TEST_F(IlsRunwayLayersTest, FeatherOrTriangleBySwitch) {
  AddIls(100, 0);  // range 0 counts as 16
  r.PushZoom(64, 47, 8);
  const int half = r.GetMapScale(kCx, kCy, 16 * 2048 * 0.5);
  std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawIls, 64);
  const auto label = std::find_if(calls.begin(), calls.end(), [](const RecordedCall& c) { return c.op == Op::TextOut; });
  ASSERT_NE(label, calls.end());
  EXPECT_EQ(label->text, "110.50 IZH");
  r.MapName = r.MapId = r.MapFreq = 0;  // the feather alone
  calls = Run(&CMapRenderer::DrawIls, 64);
  EXPECT_EQ(FeatherLength(calls), half);  // the far corners lie at the full length
  // Zoomed far in the feather is halved until it fits the coordinate range.
  calls = Run(&CMapRenderer::DrawIls, 4096);
  EXPECT_LT(FeatherLength(calls), 16384 + 16384 / 30 + 1);
  EXPECT_GT(FeatherLength(calls), 8192);

  r.MapIls = 0;
  EXPECT_TRUE(Run(&CMapRenderer::DrawIls, 63).empty());
  calls = Run(&CMapRenderer::DrawIls, 64);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].op, Op::Polygon);
  int x = 0, y = 0;
  r.LatLonToPixel(x, y, 47, 8, kCx, kCy, 0);
  EXPECT_EQ(calls[0].points[1].y, y + r.GetMapScale(kCx, kCy, 400));
}

TEST_F(IlsRunwayLayersTest, RunwayWidthsColoursAndEnds) {
  struct Case {
    const char* what;
    int16_t feet;
    uint8_t surface;
    double lat2;  // the second end; 50 is far outside the window
    gdi::ColorRef colour;
    double metres;  // 0: the 15-unit minimum
  } cases[] = {
      {"water runway capped at 150 ft", 300, 9, 47.02, 0xFF0000, 150 / kFeetPerMetre},
      {"wide runway", 200, 1, 47.02, 0x000000, 200 / kFeetPerMetre},
      {"narrow runway", 1, 1, 47.02, 0x000000, 0},
      {"one end outside", 200, 1, 50, 0x000000, 200 / kFeetPerMetre},
  };
  r.PushZoom(4096, 47, 8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int i = 0; i < db.m_runways.GetSize(); ++i) db.m_runways[i].SetShown(false);
    AddRunway(47, c.lat2, c.feet, c.surface);
    const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawRunways, 4096);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].pen.color, c.colour);
    EXPECT_EQ(calls[0].pen.width, c.metres ? r.GetMapScale(kCx, kCy, c.metres) : 15);
  }
}

TEST_F(IlsRunwayLayersTest, IlsIndexOutsideTheArrayIsNoIls) {
  AddIls(100);
  AddRunway(47.01, 47.03, 150, 0, 5);
  EXPECT_TRUE(Run(&CMapRenderer::DrawIlsRunways, 64).empty());
  AddRunway(47.01, 47.03, 150, 0, 0);
  EXPECT_FALSE(Run(&CMapRenderer::DrawIlsRunways, 64).empty());
}

TEST_F(IlsRunwayLayersTest, AirportLabelsCentredBelowAndNamedWithoutIdentifier) {
  AirportRecord header{};
  header.nameText = db.AddString("Kloten");
  header.size = 0;
  const navdbtest::PayloadBytes bytes = navdbtest::Airport(header, {}, {});
  ASSERT_TRUE(navdbtest::AddPointAt(db, 47, 8, kKindAirport, bytes.data()));
  r.MapAirportName = 0;
  r.MapAirportId = 1;
  const std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirportLabels, 64);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text, "Kloten");
  EXPECT_EQ(calls[0].bkMode, gdi::OPAQUE);
  int x = 0, y = 0;
  r.LatLonToPixel(x, y, 47, 8, kCx, kCy, 0);
  EXPECT_EQ(calls[0].rect.top, y + 30);
  EXPECT_NEAR((calls[0].rect.left + calls[0].rect.right) / 2.0, x, calls[0].rect.Height());
}

}  // namespace
