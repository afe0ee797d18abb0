#include <gtest/gtest.h>

#include <algorithm>

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

class AirportLayersTest : public ::testing::Test {
 protected:
  AirportLayersTest() {
    maptest::AddSwissFile(db);
    r.SetDatabase(&db);
    r.MapRoundWorld = 1;  // discs are round: east-west radius = north-south radius
    r.ColorScheme = kSchemeWhite;
    r.MapAirport = 1;
  }
  void AddAirport(double lat, double lon, const std::vector<ParkingEntry>& parkings = {}) {
    AirportRecord header{};
    std::memcpy(header.ident, "LSZH", 4);
    const navdbtest::PayloadBytes bytes = navdbtest::Airport(header, {}, parkings);
    ASSERT_TRUE(navdbtest::AddPointAt(db, lat, lon, kKindAirport, bytes.data()));
  }
  // A runway along the meridian, `feet` long, with an ILS at its first end when asked.
  void AddRunway(double lat, double lon, uint16_t feet, bool ils) {
    RunwayRecord a = navdbtest::Runway("16", 0);
    RunwayRecord b = navdbtest::Runway("34", 32768);
    a.length = b.length = feet;
    if (ils) {
      const IlsRecord localizer = navdbtest::Ils("IZH", 110.5f, 0, 100);
      ASSERT_TRUE(navdbtest::AddPointAt(db, lat, lon, kKindIls, &localizer));
      a.SetIlsIndex(db.m_ils.GetSize() - 1);
      db.m_ils[db.m_ils.GetSize() - 1].SetShown(false);  // only the runway's disc is measured
    }
    ASSERT_TRUE(navdbtest::AddPointAt(db, lat + 0.01, lon, kKindRunway, &a));
    ASSERT_TRUE(navdbtest::AddPointAt(db, lat - 0.01, lon, kKindRunway, &b));
  }
  std::vector<RecordedCall> Run(bool (CMapRenderer::*draw)(MapDrawContext&), int zoom, bool printing = false) {
    r.PushZoom(zoom, 47, 8);
    return maptest::RunLayer(r, draw, {&db, nullptr, printing});
  }
  std::vector<int> Radii(const std::vector<RecordedCall>& calls) {
    std::vector<int> radii;
    for (const RecordedCall& c : calls) {
      if (c.op == Op::Ellipse) radii.push_back(c.rect.Height() / 2);
    }
    return radii;
  }
  int Scale(double metres) { return r.GetMapScale(kCx, kCy, metres); }

  CSceneryDatabase db;
  CMapRenderer r;
};

TEST_F(AirportLayersTest, CrossesBelowTheDetailZoomAndDiscsFromIt) {
  AddAirport(47, 8);
  AddRunway(47.05, 8, 2000, false);
  const IlsRecord ils = navdbtest::Ils("IZH", 110.5f, 160, 300);
  ASSERT_TRUE(navdbtest::AddPointAt(db, 47.1, 8, kKindIls, &ils));
  std::vector<RecordedCall> calls = Run(&CMapRenderer::DrawAirportSymbols, 63);
  EXPECT_EQ(calls.size(), 4u);  // airport and runway: two strokes each, no ILS
  for (const RecordedCall& c : calls) {
    EXPECT_EQ(c.op, Op::Polyline);
    EXPECT_EQ(c.pen, mappens::PenRed);
  }
  r.PushZoom(64, 47, 8);
  const std::vector<int> want = {Scale(1500), Scale(600), Scale(500)};  // ILS, runway, airport
  calls = Run(&CMapRenderer::DrawAirportSymbols, 64);
  EXPECT_EQ(Radii(calls), want);
  EXPECT_EQ(calls[0].brush, mappens::BrushOchre);
  EXPECT_EQ(calls[0].pen.style, gdi::PenStyle::Null);
}

TEST_F(AirportLayersTest, RunwayDiscGrowsWithLengthAndIls) {
  struct Case {
    uint16_t feet;
    bool ils;
    double metres;
  } cases[] = {{2000, false, 600}, {10000, true, 1984}, {10000, false, 1584}};
  r.PushZoom(64, 47, 8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.feet);
    for (int i = 0; i < db.m_runways.GetSize(); ++i) db.m_runways[i].SetShown(false);  // earlier cases
    AddRunway(47, 8, c.feet, c.ils);
    EXPECT_EQ(Radii(Run(&CMapRenderer::DrawAirportSymbols, 64)), std::vector<int>{Scale(c.metres)});
  }
}

TEST_F(AirportLayersTest, ParkingDiscsKeepAMinimumAndPrintoutsHaveNoDetails) {
  AddAirport(47, 8, {{47.001f, 8.0f, 0}, {47.0f, 8.001f, 0}});
  r.PushZoom(256, 47, 8);
  std::vector<int> radii = Radii(Run(&CMapRenderer::DrawAirportDetails, 256));
  ASSERT_EQ(radii.size(), 3u);
  EXPECT_EQ(radii[0], Scale(100));
  EXPECT_EQ(radii[1], std::max(30, Scale(20)));
  EXPECT_EQ(radii[1], 30);  // 20 m are fewer units than that at zoom 256
  EXPECT_TRUE(Run(&CMapRenderer::DrawAirportDetails, 255).empty());
  EXPECT_TRUE(Run(&CMapRenderer::DrawAirportDetails, 256, true).empty());
}

}  // namespace
