#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "navdb/Geodesy.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapRenderer.h"

namespace {

using gdi::Op;
using gdi::Point;

constexpr int kCx = 14400;  // ten inches square
constexpr int kCy = 14400;
constexpr Point kCentre{kCx / 2, kCy / 2};

CMapRenderer Renderer(int zoom = 256) {
  CMapRenderer r;
  r.MapRoundWorld = 1;
  r.ColorScheme = kSchemeWhite;
  r.PushZoom(zoom, 47, 8);
  return r;
}

double Length(const gdi::RecordedCall& line) {
  const Point a = line.points.front(), b = line.points.back();
  return std::hypot(b.x - a.x, b.y - a.y);
}

HoldingDefinition Holding(int segmentKind, double length) {
  HoldingDefinition h;
  h.defined = 1;
  h.latitude = 47;
  h.longitude = 8;
  h.heading = 360;
  h.segmentKind = segmentKind;
  h.segmentLength = length;
  return h;
}

TEST(MapOverlays, TimedHoldingOnTheGroundHasThreeMileLegs) {
  CMapRenderer r = Renderer();
  SimSnapshot sim{};
  sim.onGround = true;
  sim.trueAirspeed = 240;
  gdi::RecordingDc dc;
  r.DrawOverlayArcs(dc, kCx, kCy, sim, Holding(0, 1));
  const auto lines = dc.CallsOf(Op::Polyline);
  ASSERT_EQ(lines.size(), 5u);  // two legs, three entry lines
  EXPECT_EQ(dc.CallsOf(Op::Arc).size(), 2u);
  const int legUnits = r.GetMapScale(kCx, kCy, 3 * kMetresPerNm);
  EXPECT_NEAR(Length(lines[0]), legUnits, 2);
  EXPECT_EQ(lines[0].points.back(), kCentre);  // the inbound leg ends at the fix
  EXPECT_GT(lines[0].points.front().y, kCentre.y);  // flown northbound: it comes from the south
  EXPECT_EQ(lines[0].rop2, gdi::R2_NOTXORPEN);

  sim.onGround = false;  // airborne at 240 kt: one minute is four miles
  dc.Clear();
  r.DrawOverlayArcs(dc, kCx, kCy, sim, Holding(0, 1));
  EXPECT_NEAR(Length(dc.CallsOf(Op::Polyline)[0]), r.GetMapScale(kCx, kCy, 4 * kMetresPerNm), 2);
  // right turns: the outbound leg lies east of the inbound one
  EXPECT_GT(dc.CallsOf(Op::Polyline)[1].points.front().x, kCentre.x);
}

TEST(MapOverlays, HoldingBeyondTheCoordinateRangeShowsOnlyEntryLines) {
  CMapRenderer r = Renderer(9999);
  SimSnapshot sim{};
  gdi::RecordingDc dc;
  r.DrawOverlayArcs(dc, kCx, kCy, sim, Holding(1, 20000));
  EXPECT_EQ(dc.CallsOf(Op::Polyline).size(), 3u);
  EXPECT_TRUE(dc.CallsOf(Op::Arc).empty());
  // A holding wider than a window of 1,092 pixels is still drawn whole.
  dc.Clear();
  CMapRenderer wide = Renderer(64);
  wide.DrawOverlayArcs(dc, 40000, 20000, sim, Holding(1, 10));
  EXPECT_EQ(dc.CallsOf(Op::Arc).size(), 2u);
}

TEST(MapOverlays, TargetCirclesAroundTheFlyToPoint) {
  CMapRenderer r = Renderer();
  MapGuidanceOverlay g;
  g.targetLatitude = 47;
  g.targetLongitude = 8;
  gdi::RecordingDc dc;
  r.DrawTargetCircles(dc, kCx, kCy, g);
  EXPECT_TRUE(dc.Calls().empty());  // no guidance running
  g.guidanceFlags = kGuidanceFlyTo;
  r.DrawTargetCircles(dc, kCx, kCy, g);
  const auto circles = dc.CallsOf(Op::Ellipse);
  ASSERT_EQ(circles.size(), 2u);
  EXPECT_EQ(circles[0].rect, (gdi::Rect{kCentre.x - 75, kCentre.y - 75, kCentre.x + 75, kCentre.y + 75}));
  EXPECT_EQ(circles[1].rect, (gdi::Rect{kCentre.x - 150, kCentre.y - 150, kCentre.x + 150, kCentre.y + 150}));
  EXPECT_EQ(circles[0].brush.style, gdi::BrushStyle::Null);
  EXPECT_EQ(circles[0].rop2, gdi::R2_NOTXORPEN);
}

TEST(MapOverlays, OwnAircraftStrokes) {
  CMapRenderer r = Renderer();
  SimSnapshot sim{};
  sim.latitude = 47;
  sim.longitude = 8;
  sim.trueHeading = 90;
  gdi::RecordingDc dc;
  r.DrawOwnAircraft(dc, kCx, kCy, sim);
  const auto lines = dc.CallsOf(Op::Polyline);
  ASSERT_EQ(lines.size(), 4u);
  auto at = [](int dx, int dy) { return Point{kCentre.x + dx, kCentre.y + dy}; };
  EXPECT_EQ(lines[0].points, (std::vector<Point>{at(140, 0), at(1000, 0)}));  // heading line
  EXPECT_EQ(lines[0].pen, gdi::StockPen(gdi::Stock::BlackPen));
  EXPECT_EQ(lines[1].points, (std::vector<Point>{at(140, 0), at(-240, 0)}));  // fuselage
  EXPECT_EQ(lines[1].pen, gdi::Pen::Geometric(60, 0));
  EXPECT_EQ(lines[2].points, (std::vector<Point>{at(0, -195), at(0, 195)}));  // wings
  EXPECT_EQ(lines[3].points, (std::vector<Point>{at(-200, -60), at(-200, 60)}));  // tail
  dc.Clear();
  r.MapShowAircraft = 0;
  r.DrawOwnAircraft(dc, kCx, kCy, sim);
  EXPECT_TRUE(dc.Calls().empty());
}

TEST(MapOverlays, TopOfDescentArrowStandsLeftOfTheTrack) {
  CMapRenderer r = Renderer();
  MapGuidanceOverlay g;
  g.levelOffValid = 1;
  g.levelOffLatitude = 47;
  g.levelOffLongitude = 8;
  g.levelOffCourse = 0;  // northbound: left is west
  gdi::RecordingDc dc;
  r.DrawTopOfClimbDescentMarker(dc, kCx, kCy, g);
  const auto lines = dc.CallsOf(Op::Polyline);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].points.front(), (Point{kCentre.x - 30, kCentre.y}));
  EXPECT_EQ(lines[0].points.back(), (Point{kCentre.x - 330, kCentre.y}));
  EXPECT_EQ(lines[0].pen.join, gdi::LineJoin::Bevel);
}

TEST(MapOverlays, EveryOverlayHandsBackTheDcAsItFoundIt) {
  CMapRenderer r = Renderer();
  MapOverlayState s;
  s.sim.latitude = 47;
  s.sim.longitude = 8;
  s.holding = Holding(1, 4);
  s.guidance.guidanceFlags = 1;
  s.guidance.targetLatitude = 47;
  s.guidance.targetLongitude = 8;
  s.guidance.levelOffValid = 1;
  s.guidance.levelOffLatitude = 47;
  s.guidance.levelOffLongitude = 8.1;
  MpPlayerEntry p{};
  p.hasPosition = 1;
  p.latitude = 47.01f;
  p.longitude = 8.01f;
  p.speed = 120;
  std::strcpy(p.callSign, "HB-ABC");
  s.players.push_back(p);
  gdi::RecordingDc dc;
  const gdi::Pen pen = dc.GetPen();
  const gdi::Brush brush = dc.GetBrush();
  const gdi::Font font = dc.GetFont();
  r.DrawOverlays(dc, kCx, kCy, s, 0);
  EXPECT_GT(dc.Calls().size(), 15u);
  EXPECT_EQ(dc.GetPen(), pen);
  EXPECT_EQ(dc.GetBrush(), brush);
  EXPECT_EQ(dc.GetFont(), font);
  EXPECT_EQ(dc.GetROP2(), gdi::R2_COPYPEN);
  EXPECT_EQ(dc.GetBkMode(), gdi::OPAQUE);
  EXPECT_FALSE(dc.HasClip());
  EXPECT_EQ(dc.SaveDepth(), 0);
}

MpPlayerEntry Player(int id, double lat, double lon, float speed = 150) {
  MpPlayerEntry p{};
  p.playerId = id;
  p.hasPosition = 1;
  p.latitude = static_cast<float>(lat);
  p.longitude = static_cast<float>(lon);
  p.speed = speed;
  p.altitude = 5000;
  std::snprintf(p.callSign, sizeof p.callSign, "P%02d", id);
  return p;
}

TEST(MapOverlays, TrailsGrowEveryFiveHundredMetresAndBreakOnJumps) {
  CMapRenderer r = Renderer();
  MapOverlayState s;
  gdi::RecordingDc dc;
  auto step = [&](double metres) {
    s.players[0].latitude += static_cast<float>(metres * kDegPerMetre);
    r.DrawAircraftSymbols(dc, kCx, kCy, s, 0);
    return r.Trails().at(1).count;
  };
  s.players = {Player(1, 47, 8), Player(2, 47.1, 8.1, 0)};
  r.DrawAircraftSymbols(dc, kCx, kCy, s, 0);
  EXPECT_EQ(r.Trails().at(1).count, 1);
  EXPECT_EQ(r.Trails().count(2), 0u);  // standing still: no trail
  EXPECT_EQ(step(400), 1);
  EXPECT_EQ(step(400), 2);  // 800 m from the newest point
  EXPECT_EQ(step(600), 3);
  EXPECT_EQ(step(3000), 1);  // a jump starts over
  s.players.clear();
  r.DrawAircraftSymbols(dc, kCx, kCy, s, 0);
  EXPECT_TRUE(r.Trails().empty());  // players that left lose their trails
}

TEST(MapOverlays, CrowdedPlayersGetOnlyTheLabelsThatFit) {
  CMapRenderer r = Renderer();
  MapOverlayState s;
  for (int i = 0; i < 25; ++i) s.players.push_back(Player(i + 1, 47 + 0.0005 * (i % 5), 8 + 0.0005 * (i / 5)));
  gdi::RecordingDc dc;
  r.DrawAircraftSymbols(dc, kCx, kCy, s, 0);
  EXPECT_EQ(dc.CallsOf(Op::Ellipse).size(), 25u);  // every symbol
  const auto texts = dc.CallsOf(Op::TextOut);
  ASSERT_EQ(texts.size() % 2, 0u);
  const size_t labels = texts.size() / 2;
  EXPECT_GT(labels, 0u);
  EXPECT_LT(labels, 25u);
  for (size_t i = 0; i < labels; ++i) {
    for (size_t j = i + 1; j < labels; ++j) {
      EXPECT_FALSE(texts[2 * i].rect.Intersects(texts[2 * j].rect));
    }
  }
  EXPECT_EQ(texts[1].text, "050  015");  // 5000 ft, 150 kt
}

TEST(MapOverlays, PlayersAreDeadReckonedAcrossATickWrap) {
  CMapRenderer r = Renderer(64);
  win::FakeClock clock(0xFFFFFF00u);
  MapOverlayState s;
  MpPlayerEntry p = Player(1, 47, 8);
  p.reportTime = clock.TickCount();
  p.northVelocity = 1000;  // feet per second
  s.players.push_back(p);
  clock.Advance(0x200);  // wraps past zero: 512 ms
  ASSERT_LT(clock.TickCount(), 0x1000u);
  gdi::RecordingDc dc;
  r.DrawAircraftSymbols(dc, kCx, kCy, s, clock.TickCount());
  const double lat = 47 + 1000 * 0.3048 * kDegPerMetre * 0.512;
  int x = 0, y = 0;
  ASSERT_TRUE(r.LatLonToPixel(x, y, lat, 8, kCx, kCy, 0));
  const auto marks = dc.CallsOf(Op::Ellipse);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_NEAR((marks[0].rect.top + marks[0].rect.bottom) / 2, y, 1);
  EXPECT_NEAR(r.Trails().at(1).points[0].first, lat, 1e-5);
}

TEST(MapOverlays, AircraftLabelPlacementWalksThreeRings) {
  std::vector<gdi::Rect> placed{{-375, -375, 375, 375}};
  gdi::Rect label;
  Point leader[2];
  ASSERT_TRUE(PlaceAircraftLabel(600, 300, 375, 0, 0, placed, label, leader));
  EXPECT_GT(label.left, 0);  // north-east first
  EXPECT_LT(label.bottom, 0);
  placed.push_back({-100000, -100000, 100000, 100000});
  EXPECT_FALSE(PlaceAircraftLabel(600, 300, 375, 0, 0, placed, label, leader));
}

}  // namespace
