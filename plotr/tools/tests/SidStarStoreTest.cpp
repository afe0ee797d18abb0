#include "plotr/tools/SidStarStore.h"

#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/testing/FakeSidStarStore.h"

#include <gtest/gtest.h>

namespace {

TEST(SidStarStore, AnEmptyCatalogueOffersNothingToThePlan) {
  plantest::ScopedPlanFolder folder("sidstar");
  CRoute route;
  CSidStarStore store;
  const PlanPoint point = plantest::ObjectPoint(47, 8, kKindAirport);
  EXPECT_EQ(store.FindAirport(point, route), -1);
  EXPECT_FALSE(store.InsertIntoPlan(route, false, 0, 0, 0, true));
  EXPECT_FALSE(store.ScanFiles());
  int id = -1, number = -1;
  EXPECT_EQ(store.CheckPlanAsSidStar(route, id, number), kPlanIsNoProcedure);
  store.LoadAirport(3, route);  // out of range: ignored

  // The fake answers as scripted, so plan tests can walk procedure groups by index.
  FakeSidStarStore fake;
  CSidStarAirport airport;
  airport.sids.groups.resize(2);
  airport.sids.groups[1].procedures.resize(3);
  fake.m_airports.push_back(airport);
  fake.airportForAnyPoint = 0;
  fake.insert = [](CRoute& r, bool, int, int, int) {
    r.AddPoint(plantest::ObjectPoint(1, 1, kKindVor));
    return true;
  };
  EXPECT_EQ(fake.FindAirport(point, route), 0);
  fake.LoadAirport(0, route);
  EXPECT_TRUE(fake.GetAirport(0).loaded);
  EXPECT_EQ(fake.GetList(0, false).groups[1].GetProcedureCount(), 3);
  EXPECT_TRUE(fake.GetList(0, true).isStar);
  CRoute built;
  EXPECT_TRUE(fake.InsertIntoPlan(built, false, 0, 1, 2, true));
  EXPECT_EQ(built.GetCount(), 1);
}

}  // namespace
