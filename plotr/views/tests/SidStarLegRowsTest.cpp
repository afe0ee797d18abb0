// The SID/STAR leg list's lines without a window, over the plan tests' airport neighbourhood.
#include <gtest/gtest.h>

#include <mutex>

#include "navdb/NavPoint.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/views/SidStarLegRows.h"

namespace {

using namespace plantest;

class SidStarLegRowsTest : public ::testing::Test {
 protected:
  SidStarLegRowsTest() : m_folder("legs") { BuildPlanDatabase(DatabaseLease::HeldDatabase()); }
  ~SidStarLegRowsTest() override { DatabaseLease::HeldDatabase().ClearDatabase(); }
  void Fly(const CRoute& route) {
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
  }
  int RowOfPoint(int point) const {
    for (size_t i = 0; i < m_plan.m_rows.size(); ++i) {
      if (m_plan.m_rows[i].pointIndex == point && !m_plan.m_rows[i].IsPseudo()) return static_cast<int>(i);
    }
    return -1;
  }
  const sidstar::LegRow& At(const std::vector<sidstar::LegRow>& rows, int point) {
    return rows.at(static_cast<size_t>(RowOfPoint(point)));
  }

  ScopedPlanFolder m_folder;
  DatabaseLease m_lease;
  CFlightPlanCore m_plan;
};

TEST_F(SidStarLegRowsTest, OneLinePerRowWithoutTheTotalAndFixesInSignedMinutes) {
  EXPECT_TRUE(sidstar::BuildLegRows(m_plan, DatabaseLease::HeldDatabase(), true, -1).empty());
  CRoute route = TripRoute();
  route.m_points.clear();
  route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
  route.AddPoint(UserPoint(47.5, 7.75));
  route.AddPoint(UserPoint(47.25, -7.5, "Lake"));
  Fly(route);
  const auto rows = sidstar::BuildLegRows(m_plan, DatabaseLease::HeldDatabase(), true, RowOfPoint(2));
  EXPECT_EQ(m_plan.m_rows.size(), rows.size());
  EXPECT_EQ("LSZH", At(rows, 0).id);
  EXPECT_EQ("Zurich", At(rows, 0).location);
  const sidstar::LegRow& fix = At(rows, 1);
  ASSERT_TRUE(fix.id.starts_with("Fix")) << fix.id;
  EXPECT_EQ(FormatLatLon(47.5, true, false, true) + ", " + FormatLatLon(7.75, false, false, true), fix.location);
  EXPECT_NE(std::string::npos, fix.location.find('\xB0')) << "with degree signs";
  EXPECT_EQ("Lake", At(rows, 2).location);
  EXPECT_EQ(1, At(rows, 2).overlay) << "the active leg";
  // A mark left from a longer plan marks nothing.
  for (const auto& row : sidstar::BuildLegRows(m_plan, m_lease.Database(), true, 99)) EXPECT_NE(1, row.overlay);
}

TEST_F(SidStarLegRowsTest, ABackCourseRunwayShowsItsIlsOnlyWithBackCoursesOn) {
  CRoute route = TripRoute();
  route.m_points.clear();
  route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
  route.AddPoint(DbPoint(kHomeRunway14, kKindRunway));
  route.AddPoint(DbPoint(kFarAirport, kKindAirport));
  DatabaseLease::HeldDatabase().GetIls(DatabaseLease::HeldDatabase().m_ils[0])->glideSlope = -1;
  DatabaseLease::HeldDatabase().GetIls(DatabaseLease::HeldDatabase().m_ils[0])->flags = 0;  // no DME
  Fly(route);
  const std::string on = At(sidstar::BuildLegRows(m_plan, DatabaseLease::HeldDatabase(), true, -1), 1).location;
  const std::string off = At(sidstar::BuildLegRows(m_plan, DatabaseLease::HeldDatabase(), false, -1), 1).location;
  EXPECT_NE(std::string::npos, on.find("ILS/BC: IZH")) << on;
  EXPECT_TRUE(off.find(" - Rwy") != std::string::npos || off == "Runway") << off;
  EXPECT_EQ(std::string::npos, off.find("ILS")) << off;
}

}  // namespace
