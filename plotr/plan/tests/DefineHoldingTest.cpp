#include <gtest/gtest.h>

#include <cmath>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/tests/PlanCoreTestSupport.h"
#include "plotr/plan/tests/support/FakePlanDialogs.h"

namespace {

using plancore::EastDegrees;

class FakeLink : public IPlanSimLink {
 public:
  const SimSnapshot& Snapshot() const override { return sim; }
  void PlayCue(int) override {}
  SimSnapshot sim{};
};

class LinkedPlan : public CFlightPlanCore {
 public:
  LinkedPlan(IPlanSimLink* link, const PlanUiServices& ui) : CFlightPlanCore(ui) { SetSimLink(link); }
};

class DefineHolding : public ::testing::Test {
 protected:
  DefineHolding() : m_folder("holding"), m_plan(&m_link, {nullptr, &m_dialogs}) {
    DatabaseLease lease;
    plancore::BuildPlanDatabase(lease.Database());
    m_link.sim.autopilotAvailable = true;
    m_link.sim.onGround = false;
    m_link.sim.groundSpeed = 120;
    m_link.sim.track = 100.4;
  }
  ~DefineHolding() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  // A holding defined at (0, 1) through the dialog.
  void DefineFirst() {
    m_dialogs.holdingOut = {1, 1, 250, 1, "4.5"};
    ASSERT_TRUE(planedit::DefineHolding(m_plan, 0, 1));
  }

  plantest::ScopedPlanFolder m_folder;
  FakeLink m_link;
  FakePlanDialogs m_dialogs;
  LinkedPlan m_plan;
};

TEST_F(DefineHolding, StoresTheDialogsValuesWithTheVariationAtTheFix) {
  g_Settings.SetHoldingTime("2");
  DefineFirst();
  // In flight away from any holding: the dialog starts from its defaults with the track made magnetic.
  EXPECT_EQ(m_dialogs.holdingIn.heading, static_cast<int>(std::fmod(plancore::kTestVariation + 100.4 + 360, 360)));
  EXPECT_EQ(m_dialogs.holdingIn.segmentLength, "2");
  EXPECT_EQ(m_dialogs.holdingIn.segmentKind, 0);
  const HoldingDefinition& h = m_plan.m_holding;
  EXPECT_EQ(h.defined, 1);
  EXPECT_FLOAT_EQ(h.longitude, 1.0f);
  EXPECT_EQ(h.headingMode, 1);
  EXPECT_EQ(h.heading, 250);
  EXPECT_EQ(h.turnDirection, 1);
  EXPECT_EQ(h.segmentKind, 1);
  EXPECT_DOUBLE_EQ(h.segmentLength, 4.5);
  EXPECT_NEAR(h.variation, plancore::kTestVariation, 1e-9);
}

TEST_F(DefineHolding, ReopensNearTheDefinedFixAndStartsFromTheTrackFurtherAway) {
  DefineFirst();
  m_dialogs.holdingOut = {0, 0, 10, 0, "2"};
  ASSERT_TRUE(planedit::DefineHolding(m_plan, 0, 1 + EastDegrees(1000)));
  EXPECT_EQ(m_dialogs.holdingIn.heading, 250);
  EXPECT_EQ(m_dialogs.holdingIn.headingMode, 1);
  EXPECT_EQ(m_dialogs.holdingIn.turnDirection, 1);
  EXPECT_EQ(m_dialogs.holdingIn.segmentKind, 1);
  EXPECT_EQ(m_dialogs.holdingIn.segmentLength, "4.5");

  ASSERT_TRUE(planedit::DefineHolding(m_plan, 0, 1 + EastDegrees(1000) + EastDegrees(2000)));
  EXPECT_EQ(m_dialogs.holdingIn.heading, 111);
  EXPECT_EQ(m_dialogs.holdingIn.headingMode, 0);
  EXPECT_EQ(m_dialogs.holdingIn.segmentKind, 0);

  // On the ground the heading starts at the default.
  m_link.sim.onGround = true;
  ASSERT_TRUE(planedit::DefineHolding(m_plan, 0, 2));
  EXPECT_EQ(m_dialogs.holdingIn.heading, 0);
}

TEST_F(DefineHolding, CancelRefusalAndUnreadableLengthChangeNothing) {
  DefineFirst();
  const HoldingDefinition before = m_plan.m_holding;
  auto unchanged = [&] {
    EXPECT_EQ(m_plan.m_holding.heading, before.heading);
    EXPECT_FLOAT_EQ(m_plan.m_holding.longitude, before.longitude);
    EXPECT_DOUBLE_EQ(m_plan.m_holding.segmentLength, before.segmentLength);
  };
  m_dialogs.holdingOut = {0, 0, 10, 0, "2"};

  m_dialogs.accept = false;
  EXPECT_FALSE(planedit::DefineHolding(m_plan, 0, 2));
  unchanged();

  m_dialogs.accept = true;
  m_dialogs.holdingOut.segmentLength = "1,5";
  EXPECT_FALSE(planedit::DefineHolding(m_plan, 0, 2));
  unchanged();

  m_dialogs.holdingOut.segmentLength = "2";
  m_plan.StartHolding();
  ASSERT_TRUE(m_plan.IsHoldingActive());
  const int runs = m_dialogs.runs;
  EXPECT_FALSE(planedit::DefineHolding(m_plan, 0, 2));
  EXPECT_EQ(m_dialogs.runs, runs) << "no dialog while a holding is flown";
  unchanged();
}

}  // namespace
