#include "plotr/plan/Route.h"

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/tests/support/FakePlanDialogs.h"
#include "plotr/plan/tests/support/PlanFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using plantest::ObjectPoint;
using plantest::UserPoint;

class RouteTest : public ::testing::Test {
 protected:
  plantest::ScopedPlanFolder m_folder{"route"};
};

std::vector<std::string> StoredNames(const CRoute& route) {
  std::vector<std::string> names;
  for (int i = 0; i < route.GetCount(); ++i) {
    FixName name{};
    route.LookupUserFixName(route[i].FixId(), name);
    names.emplace_back(FixNameText(name));
  }
  return names;
}

std::vector<std::string> UserNames(const CRoute& route) {
  std::vector<std::string> names;
  for (int i = 0; i < route.GetCount(); ++i) names.emplace_back(route[i].UserName());
  return names;
}

TEST_F(RouteTest, UserFixesAreNamedInRouteOrder) {
  CRoute route;
  route.AddPoint(UserPoint(10, 10));
  route.AddPoint(UserPoint(11, 11, "HOME"));
  route.AddPoint(UserPoint(12, 12, "Fix77"));  // a "Fix" name of the user's counts as unnamed
  route.InsertPoint(0, UserPoint(9, 9));

  EXPECT_EQ(StoredNames(route), (std::vector<std::string>{"Fix01", "Fix02", "HOME", "Fix03"}));
  EXPECT_EQ(UserNames(route), (std::vector<std::string>{"", "", "HOME", ""}));
  EXPECT_EQ(route.m_userFixes.size(), 4u);

  // Removing the first renumbers the others.
  route.RemovePoint(0);
  EXPECT_EQ(StoredNames(route), (std::vector<std::string>{"Fix01", "HOME", "Fix02"}));
  EXPECT_EQ(route.m_userFixes.size(), 3u);
}

TEST_F(RouteTest, PointsAtOnePlaceShareOneFix) {
  CRoute route;
  route.AddPoint(UserPoint(47, 8, "ABC"));
  route.AddPoint(ObjectPoint(46, 7, kKindVor));
  route.AddPoint(UserPoint(47, 8));
  ASSERT_EQ(route.m_userFixes.size(), 1u);
  EXPECT_EQ(route[0].FixId(), route[2].FixId());
  EXPECT_EQ(UserNames(route), (std::vector<std::string>{"ABC", "", "ABC"}));

  // Moving one moves the shared fix; the other follows at the next naming pass.
  PlanPoint moved = route[0];
  moved.ref.point.latitude = 48.5f;
  route.SetPoint(0, moved);
  route.NameUserFixes();
  EXPECT_EQ(+route[2].ref.point.latitude, 48.5f);
  EXPECT_EQ(+route.m_userFixes[0].latitude, 48.5f);

  // Removing one of the two keeps the fix; removing the last user drops fix and name.
  route.RemovePoint(0);
  EXPECT_EQ(route.m_userFixes.size(), 1u);
  const uint32_t id = route[1].FixId();
  route.RemovePoint(1);
  EXPECT_TRUE(route.m_userFixes.empty());
  FixName name{};
  EXPECT_FALSE(route.LookupUserFixName(id, name));
}

TEST_F(RouteTest, FreedFixIdsAreReusedLowestFirst) {
  CRoute route;
  for (int i = 0; i < 4; ++i) route.AddPoint(UserPoint(i, i));
  route.RemovePoint(1);  // frees id 1
  route.AddPoint(UserPoint(20, 20));
  EXPECT_EQ(route[3].FixId(), 1u);
  // The fix record carries the id and the shown flag follows the kept flag.
  EXPECT_EQ(+route.m_userFixes.back().word & kPayloadMask, 1u);
  EXPECT_TRUE(route.m_userFixes.back().IsShown());
}

TEST_F(RouteTest, AutomaticNamesWrapAfterNinetyNine) {
  CRoute route;
  for (int i = 0; i < 101; ++i) route.AddPoint(UserPoint(0.01 * i, 0));
  const auto names = StoredNames(route);
  EXPECT_EQ(names[0], "Fix01");
  EXPECT_EQ(names[98], "Fix99");
  EXPECT_EQ(names[99], "Fix01");
  EXPECT_EQ(names[100], "Fix02");
}

TEST_F(RouteTest, LengthSkipsBearingPoints) {
  CRoute route;
  PlanPoint bearing = ObjectPoint(0, 5, kKindVor);
  bearing.flags = kPointBearing;
  EXPECT_EQ(route.GetLength(), 0.0);
  route.AddPoint(bearing);
  route.AddPoint(bearing);
  EXPECT_EQ(route.GetLength(), 0.0) << "a route of bearing points only";

  CRoute mixed;
  mixed.AddPoint(ObjectPoint(0, 0, kKindVor));
  mixed.AddPoint(bearing);  // off the route: measured past it
  mixed.AddPoint(ObjectPoint(0, 2, kKindVor));
  EXPECT_NEAR(mixed.GetLength(), GreatCircleDistance(0, 0, 0, 2), 1e-6);
}

TEST_F(RouteTest, UserNamesFromOutsideAreTerminatedAndOtherBytesCarried) {
  uint8_t raw[sizeof(PlanPoint)];
  for (size_t i = 0; i < sizeof raw; ++i) raw[i] = static_cast<uint8_t>(0x41 + i % 26);
  const auto read = ReadPlanPoint(raw);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->UserName(), "YZABC");
  uint8_t back[sizeof(PlanPoint)];
  std::memcpy(back, &*read, sizeof back);
  for (size_t i = 0; i < sizeof raw; ++i) {
    if (i == 29) continue;
    EXPECT_EQ(back[i], raw[i]) << "byte " << i;
  }
  EXPECT_EQ(back[29], 0);
  EXPECT_FALSE(ReadPlanPoint(std::span<const uint8_t>(raw, 71)));

  // A plan file's extra record: bytes 24-65 replaced, the name terminated, the rest kept.
  uint8_t extra[kPlanPointExtraSize];
  for (size_t i = 0; i < sizeof extra; ++i) extra[i] = static_cast<uint8_t>(0x80 + i);
  PlanPoint withExtra = *read;
  ApplyPlanPointExtra(withExtra, std::span<const uint8_t, kPlanPointExtraSize>(extra));
  std::memcpy(back, &withExtra, sizeof back);
  EXPECT_EQ(back[29], 0);
  EXPECT_EQ(back[30], 0x86);
  EXPECT_EQ(back[65], 0x80 + 41);
  EXPECT_EQ(back[66], raw[66]);
  EXPECT_EQ(back[23], raw[23]);

  EXPECT_EQ(ManualValue(MakeManualValue(-500)), -500);
  EXPECT_TRUE(IsManualValueGiven(MakeManualValue(0)));
}

class RouteDialogTest : public RouteTest {
 protected:
  FakePlanDialogs m_dialogs;
};

TEST_F(RouteDialogTest, SelectAircraftCapsOrAppliesCruiseValues) {
  CRoute route;
  route.AddPoint(ObjectPoint(1, 1, kKindVor));
  route.m_cruise = {400, 40000, 40000};

  AircraftDialogValues out;
  out.name = std::string(40, 'N');
  out.cruiseAltitude = 30000;
  out.cruiseSpeed = 300;
  out.fuelUnit = 2;
  out.withoutAsh = true;
  out.applyCruiseAltitude = false;
  out.applyCruiseSpeed = false;
  m_dialogs.aircraftOut = out;
  ASSERT_TRUE(route.SelectAircraft(&m_dialogs));
  EXPECT_FALSE(m_dialogs.aircraftIn.routeEmpty);
  EXPECT_EQ(+route.m_cruise.altitude1, 36000);  // mean above 1.2 x 30000
  EXPECT_EQ(+route.m_cruise.altitude2, 36000);
  EXPECT_EQ(+route.m_cruise.speed, 300);  // lowered to the profile's
  EXPECT_EQ(route.m_profile.Name(), std::string(30, 'N'));
  EXPECT_EQ(route.m_profile.FuelUnit(), 2);
  EXPECT_TRUE(route.m_profile.WithoutAsh());
  EXPECT_EQ(g_Settings.GetLastCraft(), std::string(30, 'N'));

  out.applyCruiseAltitude = true;
  out.applyCruiseSpeed = true;
  out.cruiseSpeed = 320;
  m_dialogs.aircraftOut = out;
  ASSERT_TRUE(route.SelectAircraft(&m_dialogs));
  EXPECT_EQ(+route.m_cruise.altitude1, 30000);
  EXPECT_EQ(+route.m_cruise.speed, 320);

  m_dialogs.accept = false;
  route.m_cruise.speed = 1;
  EXPECT_FALSE(route.SelectAircraft(&m_dialogs));
  EXPECT_EQ(+route.m_cruise.speed, 1);
}

TEST_F(RouteDialogTest, SetCruiseClearsManualValuesOnRequest) {
  CRoute route;
  PlanPoint p = ObjectPoint(1, 1, kKindVor);
  p.altitude1 = MakeManualValue(5000);
  p.altitude2 = MakeManualValue(6000);
  p.speed = MakeManualValue(200);
  p.flags = kPointAltitudeOption | kPointSpeedOption | kPointFlyOver;
  route.AddPoint(p);
  route.m_cruise = {250, 20000, 21001};

  m_dialogs.cruiseOut = {24000, 0, 260, 0, 0, true, false};
  ASSERT_TRUE(route.SetCruise(&m_dialogs));
  EXPECT_EQ(m_dialogs.cruiseIn.altitude, 20500);
  EXPECT_EQ(+route[0].altitude1, 0u);
  EXPECT_EQ(+route[0].altitude2, 0u);
  EXPECT_EQ(+route[0].speed, MakeManualValue(200));
  EXPECT_EQ(+route[0].flags, kPointSpeedOption | kPointFlyOver);
  EXPECT_EQ(+route.m_cruise.speed, 260);
  EXPECT_EQ(+route.m_cruise.altitude1, 24000);
  EXPECT_EQ(+route.m_cruise.altitude2, 24000);
}

TEST_F(RouteTest, DialogsWithoutAWindowLayerCountAsCancelled) {
  CRoute route;
  EXPECT_FALSE(route.SelectAircraft(nullptr));
  EXPECT_FALSE(route.SetCruise(nullptr));
}

}  // namespace
