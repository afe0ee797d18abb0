// The plan table's rows on the plan tests' small airport neighbourhood: icons and texts by kind,
// the ILS and runway variants, the value columns by the settings and the total row.

#include "plotr/views/PlanTableRows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <mutex>
#include <string>

#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/plan/Units.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using namespace plantest;
using namespace plantable;

class PlanTableRowsTest : public ::testing::Test {
 protected:
  PlanTableRowsTest() : m_folder("table") { BuildPlanDatabase(DatabaseLease::HeldDatabase()); }
  ~PlanTableRowsTest() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  void Fly(const CRoute& route) {
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
  }
  std::vector<TableRow> Rows(const TableOptions& options = {}, int current = -1) {
    return BuildTableRows(m_plan, DatabaseLease::HeldDatabase(), options, current);
  }
  // The table row of the route's waypoint `point`.
  int RowOfPoint(int point) const {
    for (size_t i = 0; i < m_plan.m_rows.size(); ++i) {
      if (m_plan.m_rows[i].pointIndex == point && !m_plan.m_rows[i].IsPseudo()) return static_cast<int>(i);
    }
    return -1;
  }
  std::string AirportOf(int row) const {
    return std::string(FixedText(m_plan.m_rows[row].airportName, sizeof m_plan.m_rows[row].airportName));
  }
  // "<airport> - <text>", or `alone` for a row without an airport name.
  std::string WithAirport(int row, const std::string& text, const std::string& alone) const {
    const std::string airport = AirportOf(row);
    return airport.empty() ? alone : airport + " - " + text;
  }
  IlsRecord& HomeIls() { return *DatabaseLease::HeldDatabase().GetIls(DatabaseLease::HeldDatabase().m_ils[0]); }
  VorRecord& Vor() { return *DatabaseLease::HeldDatabase().GetVor(DatabaseLease::HeldDatabase().m_vors[0]); }

  ScopedPlanFolder m_folder;
  DatabaseLease m_lease;
  CFlightPlanCore m_plan;
};

TEST_F(PlanTableRowsTest, EachKindShowsItsIconIdentifierLocationAndFrequency) {
  Fly(TripRoute());
  const std::vector<TableRow> rows = Rows();
  struct Case {
    int point;
    int image;
    const char* id;
    std::string location;
    const char* frequency;
  };
  const int ils = RowOfPoint(1);
  const int runway = RowOfPoint(7);
  const Case cases[] = {
      {0, kImageAirport, "LSZH", "Zurich", ""},
      {1, kImageIls, "IZH", WithAirport(ils, "ILS/GS/DME", "ILS/GS/DME"), "110.50"},
      {2, kImageVortac, "KLO", "Kloten", "114.85"},
      {3, kImageNdb, "ZH", "Zurich East", "367.0"},
      {4, kImageIntersection, "ABCDE", "ABCDE", ""},
      {5, kImageUserPoint, "HOME", "HOME", ""},
      {7, kImageRunway, "15", WithAirport(runway, "Rwy", "Runway"), ""},
      {8, kImageAirport, "LFSB", "Basel", ""},
  };
  for (const Case& c : cases) {
    const int row = RowOfPoint(c.point);
    ASSERT_GE(row, 0) << c.id;
    const TableRow& r = rows[static_cast<size_t>(row)];
    EXPECT_EQ(c.image, r.image) << c.id;
    EXPECT_EQ(c.id, r.texts[kColId]) << c.id;
    EXPECT_EQ(c.location, r.texts[kColLocation]) << c.id;
    EXPECT_EQ(c.frequency, r.texts[kColFrequency]) << c.id;
  }
  // Pseudo rows carry only their picture and their name.
  const struct {
    uint32_t kind;
    int image;
    const char* text;
  } pseudo[] = {{kPseudoBeginClimb, kImageBeginClimb, "Beginning of Climb"},
                {kPseudoEndClimb, kImageEndClimb, "End of Climb"},
                {kPseudoBeginDescent, kImageBeginDescent, "Beginning of Descent"},
                {kPseudoClimbMeetsDescent, kImageClimbMeetsDescent, "End of Climb, Beginning of Descent"},
                {kPseudoEndDescent, kImageEndDescent, "End of Descent"},
                {kPseudoDescentMeetsClimb, kImageDescentMeetsClimb, "End of Descent, Beginning of Climb"}};
  for (const auto& p : pseudo) {
    m_plan.m_rows[0].kind = p.kind;
    const TableRow r = Rows()[0];
    EXPECT_EQ(p.image, r.image) << p.text;
    EXPECT_EQ("", r.texts[kColId]) << p.text;
    EXPECT_EQ(p.text, r.texts[kColLocation]);
    EXPECT_EQ("", r.texts[kColFrequency]) << p.text;
  }
}

TEST_F(PlanTableRowsTest, UserPointsNamedFixShowTheirCoordinates) {
  CRoute route = TripRoute();
  route.m_points.clear();
  route.AddPoint(UserPoint(47.5, 7.75));
  route.AddPoint(UserPoint(47.25, -7.5, "Lake"));
  Fly(route);
  const std::vector<TableRow> rows = Rows();
  const TableRow& fix = rows[static_cast<size_t>(RowOfPoint(0))];
  ASSERT_TRUE(fix.texts[kColId].starts_with("Fix")) << fix.texts[kColId];
  EXPECT_EQ(FormatLatLon(47.5, true, false, false) + ", " + FormatLatLon(7.75, false, false, false),
            fix.texts[kColLocation]);
  EXPECT_EQ(std::string::npos, fix.texts[kColLocation].find('\xB0')) << "minutes without signs";
  const TableRow& lake = rows[static_cast<size_t>(RowOfPoint(1))];
  EXPECT_EQ("Lake", lake.texts[kColId]);
  EXPECT_EQ("Lake", lake.texts[kColLocation]);
}

TEST_F(PlanTableRowsTest, IlsSuffixesAndRunwaysLedByTheIls) {
  CRoute route = TripRoute();
  route.m_points.clear();
  route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
  route.AddPoint(DbPoint(kHomeRunway14, kKindRunway));
  route.AddPoint(DbPoint(kHomeIls, kKindIls));
  route.AddPoint(DbPoint(kFarAirport, kKindAirport));
  struct Case {
    const char* name;
    int16_t glideSlope;
    uint8_t flags;
    bool bcIls;
    const char* suffixes;  // of the ILS row
    bool runwayShowsIls;
  };
  const Case cases[] = {
      {"glide slope", 300, 0, false, "/GS", true},
      {"localizer with DME", 0, 1, false, "/DME", true},
      {"glide slope with DME", 1, 1, true, "/GS/DME", true},
      {"back course shown", -1, 0, true, "/BC", true},
      {"back course hidden", -1, 0, false, "/BC", false},
  };
  for (const Case& c : cases) {
    HomeIls().glideSlope = c.glideSlope;
    HomeIls().flags = c.flags;
    Fly(route);
    TableOptions options;
    options.mapBcIls = c.bcIls;
    const std::vector<TableRow> rows = Rows(options);
    const int ils = RowOfPoint(2);
    const int runway = RowOfPoint(1);
    const std::string ilsText = std::string("ILS") + c.suffixes;
    EXPECT_EQ(WithAirport(ils, ilsText, ilsText), rows[static_cast<size_t>(ils)].texts[kColLocation]) << c.name;
    EXPECT_EQ("110.50", rows[static_cast<size_t>(ils)].texts[kColFrequency]) << c.name;
    const TableRow& r = rows[static_cast<size_t>(runway)];
    EXPECT_EQ("14", r.texts[kColId]) << c.name;
    if (c.runwayShowsIls) {
      EXPECT_EQ(WithAirport(runway, ilsText + ": IZH", ilsText + ": IZH"), r.texts[kColLocation]) << c.name;
      EXPECT_EQ("110.50", r.texts[kColFrequency]) << c.name;
    } else {
      EXPECT_EQ(WithAirport(runway, "Rwy", "Runway"), r.texts[kColLocation]) << c.name;
      EXPECT_EQ("", r.texts[kColFrequency]) << c.name;
    }
  }
}

TEST_F(PlanTableRowsTest, VorIconFollowsItsFlags) {
  const struct {
    uint8_t flags;
    int image;
  } cases[] = {{0, kImageVor}, {8, kImageVor}, {9, kImageVorDme}, {1, kImageVortac}, {2, kImageVortac},
               {3, kImageVortac}, {11, kImageVortac}};
  for (const auto& c : cases) {
    Vor().flags = c.flags;
    Fly(TripRoute());
    EXPECT_EQ(c.image, Rows()[static_cast<size_t>(RowOfPoint(2))].image) << int(c.flags);
  }
}

TEST_F(PlanTableRowsTest, ValueColumnsFollowTheSettings) {
  Fly(TripRoute());
  TableOptions options;
  const std::vector<TableRow> legs = Rows(options);
  // The first row has no leg.
  for (int column : {kColCourse, kColSpeed, kColVerticalSpeed}) EXPECT_EQ("-", legs[0].texts[column]);
  const int vor = RowOfPoint(2);
  const PlanRow& row = m_plan.m_rows[static_cast<size_t>(vor)];
  const TableRow& v = legs[static_cast<size_t>(vor)];
  char text[64];
  std::snprintf(text, sizeof text, "%.0f", row.course);
  EXPECT_EQ(text, v.texts[kColCourse]);
  std::snprintf(text, sizeof text, "%.0f", row.indicatedAirspeed);
  EXPECT_EQ(text, v.texts[kColSpeed]);
  std::snprintf(text, sizeof text, "%.0f", row.altitude);
  EXPECT_EQ(text, v.texts[kColAltitude]);
  std::snprintf(text, sizeof text, "%.1f", row.legDistance);
  EXPECT_EQ(text, v.texts[kColDistance]);
  EXPECT_EQ(FormatMinutes(row.legTime), v.texts[kColTime]);
  // The profile counts kilograms, the table shows pounds.
  EXPECT_NEAR(row.legFuel * 2.2046, std::stod(v.texts[kColFuel]), 0.06);

  options.indicatedAirspeed = false;
  options.cumulativeDistance = 1;
  options.cumulativeTime = 1;
  options.cumulativeFuel = 2;
  options.fuelMeasure = kFuelKilograms;
  const TableRow c = Rows(options)[static_cast<size_t>(vor)];
  EXPECT_EQ(std::to_string(IasToTas(row.indicatedAirspeed, row.altitude)), c.texts[kColSpeed]);
  EXPECT_NE(legs[static_cast<size_t>(vor)].texts[kColSpeed], c.texts[kColSpeed]) << "TAS above IAS at altitude";
  std::snprintf(text, sizeof text, "%.1f", row.cumulativeDistance);
  EXPECT_EQ(text, c.texts[kColDistance]);
  EXPECT_EQ(FormatMinutes(row.cumulativeTime), c.texts[kColTime]);
  std::snprintf(text, sizeof text, "%.1f", row.remainingFuel);
  EXPECT_EQ(text, c.texts[kColFuel]);

  options.cumulativeDistance = 2;
  std::snprintf(text, sizeof text, "%.1f", row.remainingDistance);
  EXPECT_EQ(text, Rows(options)[static_cast<size_t>(vor)].texts[kColDistance]);
}

TEST_F(PlanTableRowsTest, BearingRowsShowCourseAndLegDistanceOnly) {
  Fly(TripRoute());
  TableOptions options;
  options.cumulativeDistance = 1;
  const int ndb = RowOfPoint(3);
  ASSERT_EQ(kRowBearing, m_plan.m_rows[static_cast<size_t>(ndb)].rowKind);
  const TableRow r = Rows(options)[static_cast<size_t>(ndb)];
  for (int column : {kColSpeed, kColVerticalSpeed, kColAltitude, kColTime, kColFuel}) {
    EXPECT_EQ("", r.texts[column]) << column;
  }
  EXPECT_FALSE(r.texts[kColCourse].empty());
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", m_plan.m_rows[static_cast<size_t>(ndb)].legDistance);
  EXPECT_EQ(text, r.texts[kColDistance]);
  EXPECT_EQ(kOverlayBearing, r.overlay);
}

TEST_F(PlanTableRowsTest, TimesInHoursMinutesAndSeconds) {
  const struct {
    double minutes;
    const char* text;
  } cases[] = {{754.5, "12 34' 30\""},
               {0, "00 00' 00\""},
               {59.999, "00 59' 59\""},
               {std::numeric_limits<double>::quiet_NaN(), ""},
               {std::numeric_limits<double>::infinity(), ""},
               {1e300, ""}};
  for (const auto& c : cases) EXPECT_EQ(c.text, FormatMinutes(c.minutes)) << c.minutes;
}

TEST_F(PlanTableRowsTest, TotalRowCurrentRowProcedureMarksAndTriangles) {
  CRoute route = TripRoute();
  route[4].flags |= kPointSpeedOption;
  route[2].speed = MakeManualValue(140);
  route[5].flags |= kPointFlyOver;
  route[6].flags |= kPointAltitudeOption;
  Fly(route);
  const int vor = RowOfPoint(2);
  const int ndb = RowOfPoint(3);
  m_plan.m_rows[1].sidProcedure = 0;
  m_plan.m_rows[static_cast<size_t>(RowOfPoint(7))].starProcedure = 2;
  const std::vector<TableRow> rows = Rows({}, ndb);
  ASSERT_EQ(m_plan.m_rows.size() + 1, rows.size());

  const TableRow& total = rows.back();
  EXPECT_TRUE(total.total);
  EXPECT_EQ(kImageNone, total.image);
  EXPECT_EQ("", total.texts[kColId]);
  EXPECT_EQ("TOTAL :", total.texts[kColAltitude]);
  double distance = 0, time = 0, fuel = 0;
  m_plan.GetTotals(distance, time, fuel);
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", distance);
  EXPECT_EQ(text, total.texts[kColDistance]);
  EXPECT_EQ(FormatMinutes(time), total.texts[kColTime]);

  // The current row's overlay wins over the bearing overlay.
  EXPECT_EQ(kOverlayCurrent, rows[static_cast<size_t>(ndb)].overlay);
  EXPECT_EQ(kOverlayNone, rows[static_cast<size_t>(vor)].overlay);
  EXPECT_TRUE(rows[1].procedure);
  EXPECT_TRUE(rows[static_cast<size_t>(RowOfPoint(7))].procedure);
  EXPECT_FALSE(rows[0].procedure);

  EXPECT_EQ(kTriangleAltitude | kTriangleSpeed, rows[static_cast<size_t>(vor)].triangles);
  EXPECT_EQ(kTriangleSpeed, rows[static_cast<size_t>(RowOfPoint(4))].triangles);
  EXPECT_EQ(kTriangleFlyOver, rows[static_cast<size_t>(RowOfPoint(5))].triangles);
  EXPECT_EQ(kTriangleAltitude, rows[static_cast<size_t>(RowOfPoint(6))].triangles);
  EXPECT_EQ(0, rows[0].triangles);
}

TEST_F(PlanTableRowsTest, NewPointsAndNonFiniteValues) {
  CRoute route = TripRoute();
  route[4].isNew = 1;
  Fly(route);
  const int vor = RowOfPoint(2);
  PlanRow& row = m_plan.m_rows[static_cast<size_t>(vor)];
  row.altitude = std::numeric_limits<double>::quiet_NaN();
  row.course = std::numeric_limits<double>::infinity();
  row.legTime = std::numeric_limits<double>::quiet_NaN();
  const std::vector<TableRow> rows = Rows();
  const TableRow& v = rows[static_cast<size_t>(vor)];
  for (int column : {kColCourse, kColAltitude, kColTime}) EXPECT_EQ("", v.texts[column]) << column;
  EXPECT_EQ("", Rows(TableOptions{.indicatedAirspeed = false})[static_cast<size_t>(vor)].texts[kColSpeed])
      << "no true airspeed without an altitude";
  EXPECT_TRUE(rows[static_cast<size_t>(RowOfPoint(4))].isNew);
  EXPECT_FALSE(rows[0].isNew);
}

TEST_F(PlanTableRowsTest, EmptyPlanHasNoTotalRow) {
  CRoute route = TripRoute();
  route.m_points.clear();
  Fly(route);
  EXPECT_TRUE(Rows().empty());
}

TEST(PlanTableHeaders, SpeedAndFuelHeadersFollowTheSettings) {
  TableOptions options;
  EXPECT_EQ("IAS", ColumnHeader(kColSpeed, options));
  options.indicatedAirspeed = false;
  EXPECT_EQ("TAS", ColumnHeader(kColSpeed, options));
  const char* fuel[] = {"Fuel [Lbs]", "Fuel [Gal]", "Fuel [kg]", "Fuel [L]"};
  for (int unit = 0; unit < 4; ++unit) {
    options.fuelMeasure = unit;
    EXPECT_EQ(fuel[unit], ColumnHeader(kColFuel, options));
  }
  EXPECT_EQ("Id", ColumnHeader(kColId, options));
  EXPECT_EQ("ETE", ColumnHeader(kColTime, options));
}

}  // namespace
