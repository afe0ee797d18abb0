// Magnetic courses on the Swiss sample, checked from outside the planner: the true course by a
// great-circle formula of this test's own and the declination from the sample's magnetic model.
// A pilot flies true course minus an east declination.

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>

#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/testing/FakeToolDialogs.h"
#include "tools/sample-simroot/MagneticModel.h"
#include "tools/sample-simroot/tests/support/SwissSample.h"

namespace {

using sampletest::SamplePoint;

constexpr double kPi = 3.14159265358979323846;

// Initial course of the great circle, degrees true, on a sphere.
double TrueCourse(double lat1, double lon1, double lat2, double lon2) {
  const double p1 = lat1 * kPi / 180, p2 = lat2 * kPi / 180, dl = (lon2 - lon1) * kPi / 180;
  const double y = std::sin(dl) * std::cos(p2);
  const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
  return std::fmod(std::atan2(y, x) * 180 / kPi + 360, 360.0);
}

// The difference of two courses, -180 to 180.
double Off(double a, double b) { return std::remainder(a - b, 360.0); }

class FlyingLink : public IPlanSimLink {
 public:
  const SimSnapshot& Snapshot() const override { return sim; }
  void PlayCue(int) override {}
  SimSnapshot sim{};
};

class SampleCourses : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sampletest::LoadSwissSample(error)) << error;
  }
  plantest::ScopedPlanFolder m_folder{"sample-courses"};
};

// A waypoint's row shows the course of the leg into it: the initial course from the waypoint
// before, made magnetic with the variation at the waypoint. The climb and descent rows between
// show the same.
TEST_F(SampleCourses, ThePlanFromZurichToGenevaShowsMagneticCourses) {
  CFlightPlanCore plan;
  DatabaseLease lease;
  CRoute route;
  for (const char* ident : {"LSZH", "LSGG", "LSZB"}) route.AddPoint(SamplePoint(ident, kKindAirport));
  plan.Clear();
  plan.Push(route);
  plan.Rebuild();
  const PlanRow* previous = nullptr;
  int legs = 0;
  for (const PlanRow& row : plan.m_rows) {
    if (row.IsPseudo()) continue;
    if (previous) {
      const double magnetic = TrueCourse(previous->latitude, previous->longitude, row.latitude, row.longitude) -
                              sampleroot::MagneticDeclination(row.latitude, row.longitude);
      EXPECT_NEAR(0, Off(row.course, magnetic), 0.6) << "leg " << legs << ": " << row.course << " for " << magnetic;
      ++legs;
    }
    previous = &row;
  }
  EXPECT_EQ(2, legs);
  ASSERT_GE(plan.m_rows.size(), 2u);
  EXPECT_NEAR(231, plan.m_rows[1].course, 1) << "what a chart gives out of Zurich";
}

TEST_F(SampleCourses, TheHoldingDialogStartsFromTheMagneticTrack) {
  const NavPoint& z = SamplePoint("LSZH", kKindAirport).ref.point;
  FlyingLink link;
  link.sim.onGround = false;
  link.sim.groundSpeed = 150;
  link.sim.track = 0;  // true north
  FakeToolDialogs dialogs;
  struct LinkedPlan : CFlightPlanCore {
    LinkedPlan(IPlanSimLink* l, const PlanUiServices& ui) : CFlightPlanCore(ui) { SetSimLink(l); }
  } plan(&link, {nullptr, &dialogs});
  dialogs.holdingOut = {0, 0, 360, 0, "1"};
  ASSERT_TRUE(planedit::DefineHolding(plan, z.latitude, z.longitude));
  const double magnetic = 360 - sampleroot::MagneticDeclination(z.latitude, z.longitude);
  EXPECT_NEAR(0, Off(dialogs.holdingIn.heading, magnetic), 1) << dialogs.holdingIn.heading;
}

}  // namespace
