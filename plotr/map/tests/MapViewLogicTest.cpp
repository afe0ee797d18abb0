// The map view's decisions: hint branches, the transition flag, debounced toggles, following,
// the wheel, the context commands, the measuring drag and the hover tip.

#include "plotr/map/MapViewLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "navdb/NavPoint.h"

namespace {

using namespace mapview;

TEST(MapViewLogic, CombinedHintsTakeTheirBranchByBits) {
  struct Case {
    uint32_t bits;
    HintBranch branch;
    bool housekeeping;
  } cases[] = {
      {0x0, HintBranch::kRedraw, true},    {0x11, HintBranch::kRedraw, false},  // a plan edit redraws the track
      {0x110, HintBranch::kRedraw, false}, {0x40, HintBranch::kCenter, false},
      {0x80, HintBranch::kZoom, false},    {0x1000, HintBranch::kPeriodic, true},
      {0x800, HintBranch::kWind, false},   {0x4, HintBranch::kNone, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.branch, BranchOf(c.bits)) << std::hex << c.bits;
    EXPECT_EQ(c.housekeeping, RunsHousekeeping(c.bits)) << std::hex << c.bits;
  }
}

TEST(MapViewLogic, TransitionFlagFollowsTheAltitudeAndReachesTheMapOnTheThirdUpdate) {
  EXPECT_EQ(18000, TransitionHeight(18000));
  EXPECT_EQ(18000, TransitionHeight(18499));
  EXPECT_EQ(10000, TransitionHeight(7000));
  EXPECT_EQ(30000, TransitionHeight(45000));

  CLayerToggles toggles;
  const int t = TransitionHeight(18000);
  toggles.FollowAltitude(18040, t);
  EXPECT_FALSE(toggles.IsPending(CLayerToggles::kAboveTransition)) << "inside the 50 ft band";
  toggles.FollowAltitude(18051, t);
  EXPECT_TRUE(toggles.IsPending(CLayerToggles::kAboveTransition));
  EXPECT_TRUE(toggles.PendingValue(CLayerToggles::kAboveTransition));
  EXPECT_FALSE(toggles.Tick());
  EXPECT_FALSE(toggles.Tick());
  EXPECT_TRUE(toggles.Tick());
  toggles.ClearPending();
  EXPECT_FALSE(toggles.Tick());

  toggles.FollowAltitude(17960, t);
  EXPECT_FALSE(toggles.IsPending(CLayerToggles::kAboveTransition));
  toggles.FollowAltitude(17949, t);
  EXPECT_TRUE(toggles.IsPending(CLayerToggles::kAboveTransition));
  EXPECT_FALSE(toggles.PendingValue(CLayerToggles::kAboveTransition));
}

TEST(MapViewLogic, ABurstOfTogglesIsWrittenOnceAfterTheLastClick) {
  CLayerToggles toggles;
  const int ndb = CLayerToggles::PairOfCommand(32805);
  const int vor = CLayerToggles::PairOfCommand(32806);
  EXPECT_EQ(CLayerToggles::kRouteLabels, CLayerToggles::PairOfCommand(32818));
  EXPECT_EQ(-1, CLayerToggles::PairOfCommand(32817)) << "round world is immediate";

  toggles.Toggle(ndb, true);
  EXPECT_FALSE(toggles.Shown(ndb, true));
  EXPECT_FALSE(toggles.Tick());
  toggles.Toggle(vor, false);
  toggles.Toggle(ndb, true);  // clicked again: back to the setting, still written once
  EXPECT_TRUE(toggles.Shown(ndb, true));
  EXPECT_TRUE(toggles.Shown(vor, false));
  EXPECT_FALSE(toggles.Tick());
  EXPECT_FALSE(toggles.Tick());
  EXPECT_TRUE(toggles.Tick()) << "the third update after the last click";
  EXPECT_TRUE(toggles.IsPending(ndb) && toggles.IsPending(vor));
  toggles.ClearPending();
  EXPECT_FALSE(toggles.Shown(ndb, false)) << "the setting shows again";
}

TEST(MapViewLogic, TheMapFollowsOnlyAfterTheAircraftWasInside) {
  CFollowState follow;
  EXPECT_TRUE(follow.OnPeriodic(true, false, true)) << "the first update never counts as inside";
  EXPECT_FALSE(follow.OnPeriodic(true, false, true));
  follow.OnMoved(false);  // the user moved the map away
  EXPECT_FALSE(follow.OnPeriodic(false, false, true));
  EXPECT_FALSE(follow.OnPeriodic(true, false, true)) << "back inside: following again";
  EXPECT_TRUE(follow.Following());
  EXPECT_TRUE(follow.OnPeriodic(false, false, true));
  EXPECT_FALSE(follow.OnPeriodic(false, true, true)) << "never while printing";
  EXPECT_FALSE(follow.OnPeriodic(false, false, false)) << "never with the setting off";
}

TEST(MapViewLogic, TheWheelStepsOneZoomPerNotch) {
  CWheelZoom wheel;
  EXPECT_FALSE(wheel.Add(60, 100));
  EXPECT_EQ(200, wheel.Add(60, 100));
  EXPECT_EQ(200, wheel.Add(240, 100)) << "one step per message";
  EXPECT_EQ(400, wheel.Add(0, 200)) << "the rest is used by the next message";
  CWheelZoom out;
  EXPECT_EQ(1, out.Add(-120, 3));
  EXPECT_FALSE(out.Add(-120, 1));
  CWheelZoom in;
  EXPECT_EQ(9999, in.Add(120, 6000));
  EXPECT_FALSE(in.Add(120, 9999));
  EXPECT_FALSE(ZoomInEnabled(9999));
  EXPECT_FALSE(ZoomOutEnabled(1));
  EXPECT_EQ(30, ZoomForRectangle(10, 400, 300, 100, 100));
}

TEST(MapViewLogic, ContextCommandsFollowTheHoverObjectAndThePoint) {
  ContextInputs onMap;
  onMap.pointOnMap = true;
  const ContextStates s = ContextCommandStates(onMap);
  EXPECT_TRUE(s.moveAircraft && s.towerView && s.holding && s.toPlan && s.copy && s.center);
  EXPECT_FALSE(s.flyTo);

  ContextInputs ground = onMap;
  ground.onGround = true;
  ground.simVer = 80;
  EXPECT_FALSE(ContextCommandStates(ground).moveAircraft) << "on the ground only to an airport or runway";
  ground.hover = true;
  ground.hoverKind = kKindRunway;
  EXPECT_TRUE(ContextCommandStates(ground).moveAircraft);
  ground.simVer = 90;
  EXPECT_FALSE(ContextCommandStates(ground).moveAircraft);

  ContextInputs off;
  off.hover = true;
  off.hoverKind = kKindVor | 1;
  off.hoverResolves = true;
  EXPECT_TRUE(ContextCommandStates(off).holding);
  EXPECT_TRUE(ContextCommandStates(off).toPlan);
  off.holdingState = 1;
  EXPECT_FALSE(ContextCommandStates(off).holding);
  off.hoverKind = kKindCom;
  EXPECT_FALSE(ContextCommandStates(off).toPlan);
  EXPECT_TRUE(ContextCommandStates(off).copy);
  EXPECT_FALSE(ContextCommandStates(off).center);
}

TEST(MapViewLogic, MeasuringDragGivesClickBandOrNothing) {
  Rect out{};
  CMeasureDrag click({10, 10});
  EXPECT_EQ(0, click.Release({10, 10}, out));

  CMeasureDrag thin({10, 10});
  EXPECT_TRUE(thin.Move({11, 40}).changed);
  EXPECT_EQ(0, thin.Release({11, 40}, out)) << "one pixel wide";

  CMeasureDrag band({50, 50});
  const auto first = band.Move({60, 70});
  EXPECT_TRUE(first.changed);
  EXPECT_FALSE(first.showText) << "no text on the first move";
  EXPECT_FALSE(first.erasePrevious);
  EXPECT_FALSE(band.Move({60, 70}).changed);
  const auto second = band.Move({30, 20});
  EXPECT_TRUE(second.showText && second.erasePrevious);
  EXPECT_EQ((Rect{50, 50, 60, 70}), second.previous);
  EXPECT_EQ((Rect{30, 20, 50, 50}), second.rect);
  EXPECT_EQ(1, band.Release({20, 10}, out));
  EXPECT_EQ((Rect{20, 10, 50, 50}), out);

  EXPECT_EQ("10.0nm 360deg", MeasureText(18520, 0));
  EXPECT_EQ("1.5nm 1deg", MeasureText(2778, 360.6));
  EXPECT_EQ("0.0nm 90deg", MeasureText(0, 89.5));
  // Down and right: left of the cursor, a pixel lower; up and left: above, not sideways.
  EXPECT_EQ((Rect{90, 101, 100, 111}), MeasureTextBox({0, 0}, {100, 100}, 6, 10, 4, 32));
  EXPECT_EQ((Rect{100, 90, 110, 100}), MeasureTextBox({200, 200}, {100, 100}, 6, 10, 4, 32));
  EXPECT_EQ((Rect{116, 101, 126, 111}), MeasureTextBox({200, 0}, {100, 100}, 6, 10, 4, 32));
}

TEST(MapViewLogic, TipShowsAfterTwoTicksOfRestAndHidesAfterThirtySeconds) {
  CTipCountdown tip;
  FullPoint vor;
  vor.point.kind = kKindVor;
  EXPECT_FALSE(tip.Move({100, 100}));
  EXPECT_EQ(CTipCountdown::Action::kNone, tip.Tick(true, {100, 100}));
  EXPECT_EQ(CTipCountdown::Action::kQuery, tip.Tick(true, {101, 100}));
  EXPECT_EQ(101, tip.LastPoint().x);
  EXPECT_TRUE(tip.Answer(true, vor, "VOR\tKLO"));
  EXPECT_TRUE(tip.Showing());

  EXPECT_FALSE(tip.Move({103, 102})) << "2 pixels keep the tip";
  EXPECT_TRUE(tip.Showing());
  EXPECT_TRUE(tip.Move({104, 102})) << "3 pixels hide it";
  EXPECT_FALSE(tip.Showing());

  tip.Tick(true, {104, 102});
  tip.Tick(true, {104, 102});
  tip.Answer(true, vor, "VOR\tKLO");
  int ticks = 0;
  while (tip.Tick(true, {104, 102}) != CTipCountdown::Action::kHide) ++ticks;
  EXPECT_EQ(148, ticks);
  FullPoint hover;
  EXPECT_FALSE(tip.GetHoverPoint(hover));
  EXPECT_EQ(CTipCountdown::Action::kNone, tip.Tick(true, {104, 102})) << "shown again only after a move";

  CTipCountdown clicked;
  clicked.Move({5, 5});
  clicked.Tick(true, {5, 5});
  clicked.Tick(true, {5, 5});
  clicked.Answer(true, vor, "VOR\tKLO");
  EXPECT_TRUE(clicked.Button());
  EXPECT_TRUE(clicked.GetHoverPoint(hover)) << "the click acts on the object shown";
  EXPECT_EQ(kKindVor, hover.point.kind);

  CTipCountdown empty;
  empty.Move({5, 5});
  empty.Tick(true, {5, 5});
  empty.Tick(true, {5, 5});
  EXPECT_FALSE(empty.Answer(true, vor, ""));
  EXPECT_FALSE(empty.GetHoverPoint(hover));
}

TEST(MapViewLogic, TipColumnsAndPlacement) {
  const auto rows = TipRows("VOR\tKLO\t114.85\r\nKloten\r\rDME\tyes");
  ASSERT_EQ(4u, rows.size());
  EXPECT_EQ("", rows[2]);
  const auto stops = TipTabStops(rows, [](std::string_view s) { return static_cast<int>(s.size()) * 7; });
  EXPECT_EQ((std::array<int, 3>{31, 62, 72}), stops);
  // Near the right and bottom edges the tip opens to the left and above the cursor.
  EXPECT_EQ((Rect{100, 132, 200, 182}), PlaceTip({100, 100}, 100, 50, 1024, 768, 32));
  EXPECT_EQ((Rect{900, 668, 1000, 718}), PlaceTip({1000, 750}, 100, 50, 1024, 768, 32));
}

}  // namespace
