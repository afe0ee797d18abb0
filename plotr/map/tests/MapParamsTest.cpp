#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plotr/map/MapParams.h"

namespace {

CMapParams Flat(double lat = 0, double lon = 0, int zoom = 1) {
  CMapParams p;
  p.MapRoundWorld = 0;
  p.SetCenter(lat, lon, true);
  if (zoom > 1) p.PushZoom(zoom, lat, lon);
  return p;
}

CMapParams Globe(double lat = 0, double lon = 0, int zoom = 1) {
  CMapParams p = Flat(lat, lon, zoom);
  p.MapRoundWorld = 1;
  return p;
}

TEST(MapZoomStack, PushKeepsZoomsIncreasingWithinBounds) {
  struct Case {
    const char* name;
    std::vector<int> before;
    int push;
    int stored;
    size_t depth;
  } cases[] = {
      {"JumpFromBelowDetailStopsAt64", {32}, 100, 64, 3},
      {"FromDetailZoomGoesOn", {64}, 100, 100, 3},
      {"ZeroBecomesOne", {8}, 0, 1, 1},
      {"CappedAt9999", {}, 20000, 9999, 2},
      {"EqualZoomReplacesItAndDropsAbove", {4, 16, 32}, 16, 16, 3},
      {"DetailJumpAboveRangeIsKept", {32}, 128, 128, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMapParams p;
    for (int z : c.before) p.PushZoom(z, 1, 2);
    EXPECT_EQ(p.PushZoom(c.push, 5, 6), c.stored);
    EXPECT_EQ(p.GetZoom(), c.stored);
    EXPECT_EQ(p.ZoomStack().size(), c.depth);
    EXPECT_EQ(p.Current().latitude, 5);
  }
}

TEST(MapZoomStack, PopNeverRemovesTheFirstEntry) {
  CMapParams p;
  p.PushZoom(8, 10, 20);
  EXPECT_EQ(p.PopZoom(), 1);
  EXPECT_EQ(p.PopZoom(), 1);
  EXPECT_EQ(p.ZoomStack().size(), 1u);
}

TEST(MapZoomStack, CentreMovesOneOrEveryEntry) {
  CMapParams p;
  p.PushZoom(8, 10, 20);
  p.SetCenter(30, 40, false);
  EXPECT_EQ(p.ZoomStack()[0].latitude, 0);
  p.SetCenter(30, 40, true);
  EXPECT_EQ(p.ZoomStack()[0].longitude, 40);
}

TEST(MapParamsCompare, AircraftSwitchesDoNotChangeThePicture) {
  CMapParams a = Flat(), b = Flat();
  b.MapShowAircraft = !a.MapShowAircraft;
  b.MapMultiplayerAircraft = !a.MapMultiplayerAircraft;
  EXPECT_TRUE(a == b);
  b.MapPlanWaypointsOnly = !a.MapPlanWaypointsOnly;
  EXPECT_FALSE(a == b);
  CMapParams c = Flat();
  c.PushZoom(2, 0, 0);
  EXPECT_FALSE(a == c);
  CMapParams d = Flat();
  d.MapFont.faceName[0] = 'X';
  EXPECT_FALSE(a == d);
}

TEST(MapProjection, FlatWorldSpansThreeHundredSixtyDegreesAtZoomOne) {
  const CMapParams p = Flat(0, 10);
  int x = 0, y = 0;
  ASSERT_TRUE(p.LatLonToPixel(x, y, 0, 10 - 180, 360, 180, 2));
  EXPECT_EQ(x, 0);
  ASSERT_TRUE(p.LatLonToPixel(x, y, 0, 10 + 180, 360, 180, 2));
  EXPECT_EQ(x, 360);
  // 190 degrees east of the centre is 170 degrees west of it
  ASSERT_TRUE(p.LatLonToPixel(x, y, 0, 10 + 190, 360, 180, 2));
  EXPECT_EQ(x, 180 - 170);
  ASSERT_TRUE(p.LatLonToPixel(x, y, 45, 10, 360, 180, 2));
  EXPECT_EQ(y, 90 - 45);
}

TEST(MapProjection, GlobeShowsOnlyTheNearHemisphere) {
  const CMapParams p = Globe(0, 0);
  int x = 0, y = 0;
  EXPECT_TRUE(p.LatLonToPixel(x, y, 0, 89, 1000, 1000, 2));
  EXPECT_GT(x, 990);
  EXPECT_LE(x, 1000);
  EXPECT_FALSE(p.LatLonToPixel(x, y, 0, 91, 1000, 1000, 2));
  EXPECT_TRUE(p.LatLonToPixel(x, y, 60, 0, 1000, 1000, 2));
  EXPECT_LT(y, 500);  // north is up
}

TEST(MapProjection, ModesTestTheGrownAndShrunkWindow) {
  const CMapParams p = Flat();
  // 1000 x 1000: s = 1000, x = 500 + 1000 * lon / 180
  struct Case {
    const char* name;
    double lat, lon;
    int mode;
    bool visible;
  } cases[] = {
      {"ModeZeroAcceptsAFifthBeyondTheRightEdge", 0, 126, 0, true},
      {"ModeZeroRejectsJustPastIt", 0, 126.5, 0, false},
      {"ModeOneAcceptsATenthBelowTheTop", 72, 0, 1, true},
      {"ModeOneRejectsJustAboveThat", 72.5, 0, 1, false},
      {"ModeOneAcceptsTheInnerPart", 0, 72, 1, true},
      {"ModeOneRejectsNearTheEdge", 0, 72.5, 1, false},
      {"ModeTwoAcceptsAnyFlatPoint", 89, 179, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int x = 0, y = 0;
    EXPECT_EQ(p.LatLonToPixel(x, y, c.lat, c.lon, 1000, 1000, c.mode), c.visible);
  }
}

TEST(MapProjection, RefusesNonFiniteAndOverflowingPoints) {
  CMapParams p = Flat();
  p.PushZoom(9999, 0, 0);
  int x = 7, y = 7;
  EXPECT_FALSE(p.LatLonToPixel(x, y, std::numeric_limits<double>::quiet_NaN(), 0, 100, 100, 2));
  EXPECT_FALSE(p.LatLonToPixel(x, y, 0, std::numeric_limits<double>::infinity(), 100, 100, 2));
  EXPECT_FALSE(p.LatLonToPixel(x, y, 0, 170, 2000000, 1000000, 2));  // beyond int
  EXPECT_EQ(x, 7);
}

TEST(MapProjection, InverseFailsOffTheMapAndCentresAnEmptyWindow) {
  const CMapParams globe = Globe(20, 30);
  double lat = 0, lon = 0;
  EXPECT_FALSE(globe.PixelToLatLon(lat, lon, 0, 0, 1000, 1000));  // corner outside the disc
  EXPECT_TRUE(globe.PixelToLatLon(lat, lon, 10, 10, 0, 1000));
  EXPECT_EQ(lat, 20);
  EXPECT_EQ(lon, 30);
  const CMapParams flat = Flat();
  EXPECT_FALSE(flat.PixelToLatLon(lat, lon, 500, -10, 1000, 500));  // above 90 degrees
  EXPECT_TRUE(flat.PixelToLatLon(lat, lon, 500, 10, 1000, 500));
}

TEST(MapProjection, PixelRoundTripWithinOneUnit) {
  for (bool round : {false, true}) {
    CMapParams p = round ? Globe(47, 8, 64) : Flat(47, 8, 64);
    for (int x : {3, 250, 517, 996}) {
      for (int y : {5, 333, 590}) {
        SCOPED_TRACE(testing::Message() << (round ? "globe " : "flat ") << x << "," << y);
        double lat = 0, lon = 0;
        ASSERT_TRUE(p.PixelToLatLon(lat, lon, x, y, 1000, 600));
        int bx = 0, by = 0;
        ASSERT_TRUE(p.LatLonToPixel(bx, by, lat, lon, 1000, 600, 2));
        EXPECT_NEAR(bx, x, 1);
        EXPECT_NEAR(by, y, 1);
      }
    }
  }
}

TEST(MapScale, FollowsZoomAndProjection) {
  const CMapParams flat = Flat();
  EXPECT_EQ(flat.GetMapScale(800, 300, 40007000), 800);
  const CMapParams globe = Globe();
  EXPECT_EQ(globe.GetMapScale(800, 600, 40007000), 1200);
  EXPECT_NEAR(flat.MetresPerPixel(800, 300, 800), 40007000, 1);
  EXPECT_NEAR(globe.MetresPerPixel(800, 600, 1200), 40007000, 1);
}

TEST(MapViewExtents, FlatViewCrossingTheDateLineHasMinAboveMax) {
  const CMapParams p = Flat(0, 175, 8);
  MapViewExtents e;
  p.GetViewExtents(1000, 500, e);
  EXPECT_GT(e.lonMin, e.lonMax);
  EXPECT_LT(e.latMin, 0);
  EXPECT_GT(e.latMax, 0);
}

TEST(MapViewExtents, GlobeWithThePoleInViewCoversEveryLongitude) {
  MapViewExtents e;
  Globe(80, 0, 2).GetViewExtents(1000, 1000, e);
  EXPECT_EQ(e.lonMin, 0);
  EXPECT_EQ(e.lonMax, 0);
  EXPECT_EQ(e.latMax, 90);
  Globe(0, 0, 1).GetViewExtents(1000, 1000, e);  // corners off the globe
  EXPECT_EQ(e.latMin, -90);
  EXPECT_EQ(e.latMax, 90);
  Globe(45, 10, 32).GetViewExtents(1000, 1000, e);
  EXPECT_LT(e.lonMin, 10);
  EXPECT_GT(e.lonMax, 10);
  EXPECT_LT(e.latMin, 45);
  EXPECT_GT(e.latMax, 45);
}

TEST(MapVisibleLayers, PickableKindsFollowZoomAndSwitches) {
  CMapParams p;
  for (uint8_t* flag : {&p.MapAirwayL, &p.MapAirwayH, &p.MapIsec, &p.MapNdb, &p.MapVor, &p.MapCom,
                        &p.MapMarker, &p.MapAirport, &p.MapAirspaceArtcc, &p.MapAirspaceFir}) {
    *flag = 1;
  }
  p.MapAirspaceAboveTransition = 0;
  p.PushZoom(10, 0, 0);
  EXPECT_EQ(p.GetVisibleLayers(0xF3FF), 0xE084D040u);
  p.MapAirspaceAboveTransition = 1;
  EXPECT_EQ(p.GetVisibleLayers(0xF3FF) & 0xFFFF, 0xE040u);

  p.PushZoom(64, 0, 0);
  p.MapIsec = 0;
  p.MapAirwayL = 1;
  p.MapAirwayH = 0;
  const uint32_t v = p.GetVisibleLayers(0xF3FF);
  EXPECT_EQ(v & 5, 1u);         // a fix of kind 5 stays, kind 4 does not
  EXPECT_NE(v & 0x20, 0u);      // ILS is never switched off here
  p.PopZoom();
  EXPECT_EQ(p.GetVisibleLayers(0xF3FF) & 5, 0u);
}

}  // namespace
