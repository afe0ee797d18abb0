#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

class FakeLink : public IPlanSimLink {
 public:
  const SimSnapshot& Snapshot() const override { return sim; }
  void PlayCue(int id) override { cues.push_back(id); }
  SimSnapshot sim{};
  std::vector<int> cues;
};

class LinkedPlan : public CFlightPlanCore {
 public:
  explicit LinkedPlan(IPlanSimLink* link) { SetSimLink(link); }
};

PlanRow MakeRow(double lon, int32_t rowKind, int32_t pointIndex = 0) {
  PlanRow row;
  row.latitude = 0;
  row.longitude = lon;
  row.rowKind = rowKind;
  row.pointIndex = pointIndex;
  row.course = 90;  // every leg runs east
  return row;
}

class FlyPlanState : public ::testing::Test {
 protected:
  FlyPlanState() : m_folder("flyplan"), m_plan(&m_link) {
    m_link.sim.autopilotAvailable = true;
    // departure, en route, pseudo, en route, bearing, destination, then an alternate
    m_plan.m_rows = {MakeRow(0, kRowDeparture), MakeRow(0.5, kRowEnRoute),   MakeRow(0.7, kRowEnRoute, -1),
                     MakeRow(1, kRowEnRoute),   MakeRow(1.2, kRowBearing), MakeRow(2, kRowDestination),
                     MakeRow(2.1, kRowDeparture)};
  }
  void PlaceAircraft(double lon) {
    m_link.sim.latitude = 0;
    m_link.sim.longitude = lon;
  }

  plantest::ScopedPlanFolder m_folder;
  FakeLink m_link;
  LinkedPlan m_plan;
};

TEST_F(FlyPlanState, StartRowChoiceByAircraftPositionAndGivenRow) {
  struct Case {
    const char* name;
    double aircraftLon;
    bool onGround;
    int firstRow;
    int expected;  // -1: nothing started
  };
  const Case cases[] = {
      {"short of the nearest row", 0.45, false, -1, 1},
      {"just past the nearest row", 0.52, false, -1, 2},
      {"on the ground at the destination skips it", 2.0, true, -1, 6},
      {"given bearing row steps back", 0, false, 4, 3},
      {"given row outside the rows", 0, false, 7, -1},
      {"given row far outside the rows", 0, false, 1 << 30, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_plan.m_guidanceFlags = 0;
    m_plan.m_currentRow = 0;
    PlaceAircraft(c.aircraftLon);
    m_link.sim.onGround = c.onGround;
    m_plan.StartFlyPlan(c.firstRow);
    EXPECT_EQ(c.expected >= 0, m_plan.IsFlyPlanActive());
    if (c.expected >= 0) {
      EXPECT_EQ(c.expected, m_plan.m_currentRow);
    }
  }
}

TEST_F(FlyPlanState, StartPlaysItsCueOnceAndClearsFlyTo) {
  PlaceAircraft(0.3);
  m_plan.FlyTo(1, 1);
  ASSERT_TRUE(m_plan.IsFlyToActive());
  m_plan.StartFlyPlan(-1);
  m_plan.StartFlyPlan(3);
  EXPECT_FALSE(m_plan.IsFlyToActive());
  EXPECT_EQ(3, m_plan.m_currentRow);
  EXPECT_EQ(std::vector<int>{kCueFlyPlanOn}, m_link.cues);
  EXPECT_EQ(m_plan.GetChangeCount(), m_plan.m_flyPlanChangeCount);
  m_plan.StopFlyPlan();
  m_plan.StopFlyPlan();
  EXPECT_EQ((std::vector<int>{kCueFlyPlanOn, kCueFlyPlanOff}), m_link.cues);

  g_Settings.SetUseSound(false);
  m_plan.StartFlyPlan(1);
  m_plan.StopFlyPlan();
  EXPECT_EQ(2u, m_link.cues.size());
}

TEST_F(FlyPlanState, NothingStartsWithoutAnAutopilot) {
  m_link.sim.autopilotAvailable = false;
  m_plan.m_holding.defined = 1;
  m_plan.StartFlyPlan(-1);
  m_plan.FlyTo(1, 1);
  m_plan.StartHolding();
  EXPECT_EQ(0u, m_plan.m_guidanceFlags);
}

TEST_F(FlyPlanState, FlyToRefusesBadTargetsAndTheGround) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double bad[][2] = {{91, 0}, {0, 180.5}, {nan, 0}, {0, nan}, {-90.01, 0}};
  for (const auto& target : bad) m_plan.FlyTo(target[0], target[1]);
  m_link.sim.onGround = true;
  m_plan.FlyTo(1, 1);
  EXPECT_FALSE(m_plan.IsFlyToActive());

  m_link.sim.onGround = false;
  m_plan.StartFlyPlan(1);
  m_plan.m_holding.defined = 1;
  m_plan.StartHolding();
  m_plan.FlyTo(-90, 180);
  EXPECT_EQ(kGuidanceFlyTo, m_plan.m_guidanceFlags) << "fly-to stops the plan and the holding";
  EXPECT_EQ(-90, m_plan.m_flyToLatitude);
  EXPECT_EQ(180, m_plan.m_flyToLongitude);
}

TEST_F(FlyPlanState, NextAndPreviousPassOverPseudoAndBearingRows) {
  m_plan.m_currentRow = 1;
  EXPECT_TRUE(m_plan.NextWaypoint());
  EXPECT_EQ(3, m_plan.m_currentRow);
  EXPECT_TRUE(m_plan.NextWaypoint());
  EXPECT_EQ(5, m_plan.m_currentRow);
  EXPECT_TRUE(m_plan.NextWaypoint()) << "not flying: the alternate may be chosen";
  EXPECT_EQ(6, m_plan.m_currentRow);
  EXPECT_FALSE(m_plan.NextWaypoint());

  m_plan.StartFlyPlan(5);
  EXPECT_FALSE(m_plan.NextWaypoint()) << "flying, at the destination";
  EXPECT_EQ(5, m_plan.m_currentRow);
  EXPECT_TRUE(m_plan.PreviousWaypoint());
  EXPECT_EQ(3, m_plan.m_currentRow);
  m_plan.m_currentRow = 0;
  EXPECT_FALSE(m_plan.PreviousWaypoint()) << "flying, at the departure";

  // Rows left by a gauge or an old state, far outside the rows.
  for (const int row : {INT32_MIN, -1, 7, INT32_MAX}) {
    m_plan.m_currentRow = row;
    m_plan.StopFlyPlan();
    EXPECT_EQ(row < 0, m_plan.NextWaypoint()) << row;
    m_plan.m_currentRow = row;
    EXPECT_EQ(row > 0, m_plan.PreviousWaypoint()) << row;
  }

  m_plan.m_rows.clear();
  m_plan.m_currentRow = 0;
  EXPECT_FALSE(m_plan.NextWaypoint());
  EXPECT_FALSE(m_plan.PreviousWaypoint());
}

TEST_F(FlyPlanState, HoldingNeedsADefinitionAndLeavesThePlanFlown) {
  m_plan.StartFlyPlan(1);
  m_plan.FlyTo(0, 1);
  m_plan.StartHolding();
  EXPECT_FALSE(m_plan.IsHoldingActive()) << "no holding defined";
  m_plan.m_holding.defined = 1;
  m_plan.StartFlyPlan(1);
  m_plan.StartHolding();
  EXPECT_TRUE(m_plan.IsHoldingEntry());
  EXPECT_TRUE(m_plan.IsFlyPlanActive());
  m_plan.ClearHoldingEntry();
  EXPECT_FALSE(m_plan.IsHoldingEntry());
  EXPECT_TRUE(m_plan.IsHoldingActive());
  m_plan.StopHolding();
  EXPECT_FALSE(m_plan.IsHoldingActive());
}

}  // namespace
