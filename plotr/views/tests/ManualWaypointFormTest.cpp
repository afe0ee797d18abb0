// The Manual Waypoint Settings rules over a plan on the small airport neighbourhood: which
// controls take input, what the fields show, what OK gives the plan.

#include "plotr/views/ManualWaypointForm.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"
#include "plotr/views/TowerViewForm.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using namespace plantest;
using Form = ManualWaypointForm;

constexpr int kCruiseAltitude = 24000;
constexpr int kCruiseSpeed = 250;
constexpr int kDescentSpeed = 180;

// Waypoint indexes of the plan: Zurich, the VOR, user fixes A and B, the NDB, Basel.
enum { kZurich, kKloten, kFixA, kFixB, kNdbPoint, kBasel };

class ManualWaypointFormTest : public ::testing::Test {
 protected:
  ManualWaypointFormTest() : m_folder("manual_waypoint") {
    DatabaseLease lease;
    BuildPlanDatabase(lease.Database());
  }
  ~ManualWaypointFormTest() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  // The plan with `change` applied to its route before the rows are laid out.
  void Start(const std::function<void(CRoute&)>& change = {}) {
    CRoute route;
    route.m_profile.cruiseAltitude = kCruiseAltitude;
    route.m_profile.cruiseSpeed = kCruiseSpeed;
    route.m_profile.descentSpeed = kDescentSpeed;
    route.m_profile.climbSpeed = 200;
    route.m_profile.climbRate = 2000;
    route.m_profile.descentRate = 2000;
    route.m_cruise = {kCruiseSpeed, kCruiseAltitude, kCruiseAltitude};
    route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
    route.AddPoint(DbPoint(kVor, kKindVor));
    route.AddPoint(UserPoint(47.38, 8.10, "A"));
    route.AddPoint(UserPoint(47.36, 8.05, "B"));
    route.AddPoint(DbPoint(kNdb, kKindNdb));
    route.AddPoint(DbPoint(kFarAirport, kKindAirport));
    // The plan keeps a limit's end only after a limit: the VOR gives one of each.
    route[kKloten].altitude1 = MakeManualValue(6000);
    route[kKloten].speed = MakeManualValue(200);
    if (change) change(route);
    DatabaseLease lease;
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
  }
  int RowOf(int pointIndex) const {
    for (size_t r = 0; r < m_plan.m_rows.size(); ++r) {
      if (m_plan.m_rows[r].pointIndex == pointIndex) return static_cast<int>(r);
    }
    ADD_FAILURE() << "no row for waypoint " << pointIndex;
    return -1;
  }
  Form FormOf(int pointIndex, bool indicated = true) {
    std::optional<Form> form = ManualWaypointFormFor(m_plan, RowOf(pointIndex), indicated);
    EXPECT_TRUE(form.has_value());
    return form ? *form : Form(kRowEnRoute, PlanPoint{}, AircraftProfile{}, indicated);
  }
  CRoute& Current() { return *m_plan.GetCurrent(); }

  ScopedPlanFolder m_folder;
  FakePlanUi m_ui;
  CFlightPlanCore m_plan{{&m_ui}};
};

std::set<int> EnabledOf(const Form& form) {
  std::set<int> on;
  for (int id : {Form::kIdDisableAltitudes, Form::kIdCrossing, Form::kIdDisableSpeeds, Form::kIdSpeed, Form::kIdAfter,
                 Form::kIdFlyOver}) {
    if (form.Enabled(id)) on.insert(id);
  }
  return on;
}

TEST_F(ManualWaypointFormTest, ControlsFollowTheRowKindTheOptionBitsAndThePointKind) {
  const std::set<int> all = {8142, 8143, 8145, 8146, 8148, 8150};
  struct Case {
    const char* what;
    int point;
    uint32_t flags;
    std::set<int> enabled;
    bool readOnly;
  };
  const Case cases[] = {
      {"VOR en route", kKloten, 0, all, true},
      {"user point en route", kFixA, 0, all, false},
      {"departure", kZurich, 0, {8146, 8148}, true},
      {"destination", kBasel, 0, {8146}, true},
      {"altitude limits end here", kFixB, kPointAltitudeOption, {8142, 8143, 8145, 8146, 8150}, false},
      {"speed limits end here", kNdbPoint, kPointSpeedOption, {8142, 8143, 8145, 8148, 8150}, true},
  };
  for (const Case& c : cases) {
    Start([&](CRoute& r) { r[c.point].flags |= c.flags; });
    const Form form = FormOf(c.point);
    EXPECT_EQ(EnabledOf(form), c.enabled) << c.what;
    EXPECT_EQ(form.PositionReadOnly(), c.readOnly) << c.what;
    EXPECT_EQ(form.disableAltitudes, (c.flags & kPointAltitudeOption) != 0) << c.what;
    EXPECT_EQ(form.disableSpeeds, (c.flags & kPointSpeedOption) != 0) << c.what;
  }
}

TEST_F(ManualWaypointFormTest, TrueAirspeedsAreThoseAtTheProfilesCruiseAltitude) {
  Start([](CRoute& r) {
    r[kKloten].altitude1 = MakeManualValue(6000);
    r[kKloten].altitude2 = MakeManualValue(8000);
    r[kKloten].speed = MakeManualValue(200);
    r[kKloten].flags |= kPointFlyOver;
  });
  const Form indicated = FormOf(kKloten, true);
  EXPECT_TRUE(indicated.ShowsIndicatedCaption());
  EXPECT_EQ(indicated.CrossingHint(), "(<= 28800)");
  EXPECT_EQ(indicated.AfterHint(), "(<= 28800)");
  EXPECT_EQ(indicated.SpeedHint(), "(180 - 250)");
  EXPECT_EQ(indicated.crossingText, "6000");
  EXPECT_EQ(indicated.afterText, "8000");
  EXPECT_EQ(indicated.speedText, "200");
  EXPECT_TRUE(indicated.flyOver);
  EXPECT_FLOAT_EQ(static_cast<float>(indicated.latitude), static_cast<float>(kVor.lat));

  Form shown = FormOf(kKloten, false);
  EXPECT_FALSE(shown.ShowsIndicatedCaption());
  const unsigned tas = IasToTas(200, kCruiseAltitude);
  ASSERT_NE(tas, IasToTas(200, 6000)) << "the point's own altitude would show another speed";
  EXPECT_EQ(shown.speedText, std::to_string(tas));
  EXPECT_EQ(shown.SpeedHint(), "(" + std::to_string(IasToTas(kDescentSpeed, kCruiseAltitude)) + " - " +
                                   std::to_string(IasToTas(kCruiseSpeed, kCruiseAltitude)) + ")");
  shown.speedText = "330";
  const auto accepted = shown.Accept();
  ASSERT_TRUE(std::holds_alternative<WaypointSettings>(accepted));
  const WaypointSettings& s = std::get<WaypointSettings>(accepted);
  EXPECT_EQ(s.speedSet, 1);
  EXPECT_EQ(s.speed, static_cast<int32_t>(TasToIas(330, kCruiseAltitude)));
}

TEST_F(ManualWaypointFormTest, LimitFlagsHideTheValuesTheyEnd) {
  // Values kept with the point while its option bit says the limits end there are not shown.
  Start([](CRoute& r) {
    r[kFixA].altitude2 = MakeManualValue(9000);
    r[kFixA].speed = MakeManualValue(150);
    r[kFixA].flags |= kPointAltitudeOption | kPointSpeedOption;
    r[kZurich].altitude1 = MakeManualValue(3000);
  });
  const Form fix = FormOf(kFixA);
  EXPECT_EQ(fix.afterText, "");
  EXPECT_EQ(fix.speedText, "");
  EXPECT_EQ(FormOf(kZurich).crossingText, "") << "the departure's crossing field is disabled";
}

TEST_F(ManualWaypointFormTest, BoxesEmptyAndRestoreTheirFields) {
  Start();
  Form form = FormOf(kFixA);
  form.afterText = "7000";
  form.speedText = "200";
  form.SetDisableAltitudes(true);
  form.SetDisableSpeeds(true);
  EXPECT_EQ(form.afterText, "");
  EXPECT_EQ(form.speedText, "");
  EXPECT_FALSE(form.Enabled(Form::kIdAfter));
  EXPECT_FALSE(form.Enabled(Form::kIdSpeed));
  form.SetDisableAltitudes(false);
  form.SetDisableSpeeds(false);
  EXPECT_TRUE(form.Enabled(Form::kIdAfter));
  EXPECT_TRUE(form.Enabled(Form::kIdSpeed));

  Form destination = FormOf(kBasel);
  destination.SetDisableAltitudes(true);
  destination.SetDisableAltitudes(false);
  EXPECT_FALSE(destination.Enabled(Form::kIdAfter)) << "never on the destination row";
}

TEST_F(ManualWaypointFormTest, OkTurnsTheFieldsIntoSettingsOrRefusesOne) {
  Start();
  struct Case {
    const char* what;
    std::string crossing, after, speed;
    bool disableAltitudes, disableSpeeds;
    int refusedId;  // 0: accepted
    int32_t atSet = 0, at = 0, afterSet = 0, afterValue = 0, speedSet = 0, speedValue = 0;
  };
  const Case cases[] = {
      {"all given", "5000", "7000", "180", false, false, 0, 1, 5000, 1, 7000, 1, 180},
      {"emptied crossing clears it", "", "7000", "", false, false, 0, 0, 0, 1, 7000, 0, 0},
      {"zero is a value", "0", "00000", "0", false, false, 0, 1, 0, 1, 0, 1, 0},
      {"checked boxes give not set, 0", "5000", "7000", "180", true, true, 0, 1, 5000, 0, 0, 0, 0},
      {"letters after digits", "12a", "", "", false, false, Form::kIdCrossing},
      {"letters alone", "abc", "", "", false, false, Form::kIdCrossing},
      {"a sign", "", "-500", "", false, false, Form::kIdAfter},
      {"a blank", "", "", " 90", false, false, Form::kIdSpeed},
      {"six altitude digits", "100000", "", "", false, false, Form::kIdCrossing},
      {"four speed digits", "", "", "1000", false, false, Form::kIdSpeed},
      {"the first refusal wins", "x", "y", "z", false, false, Form::kIdCrossing},
  };
  for (const Case& c : cases) {
    Form form = FormOf(kFixA);
    form.crossingText = c.crossing;
    form.afterText = c.after;
    form.speedText = c.speed;
    form.disableAltitudes = c.disableAltitudes;
    form.disableSpeeds = c.disableSpeeds;
    form.latitude = 47.5;
    form.longitude = -8.25;
    const auto result = form.Accept();
    if (c.refusedId != 0) {
      ASSERT_TRUE(std::holds_alternative<FieldError>(result)) << c.what;
      const FieldError& e = std::get<FieldError>(result);
      EXPECT_EQ(e.id, c.refusedId) << c.what;
      EXPECT_FALSE(e.message.empty()) << c.what;
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<WaypointSettings>(result)) << c.what;
    const WaypointSettings& s = std::get<WaypointSettings>(result);
    EXPECT_EQ(s.altitudeAtSet, c.atSet) << c.what;
    EXPECT_EQ(s.altitudeAt, c.at) << c.what;
    EXPECT_EQ(s.altitudeAfterSet, c.afterSet) << c.what;
    EXPECT_EQ(s.altitudeAfter, c.afterValue) << c.what;
    EXPECT_EQ(s.speedSet, c.speedSet) << c.what;
    EXPECT_EQ(s.speed, c.speedValue) << c.what;
    EXPECT_EQ(s.altitudeEnds, c.disableAltitudes ? 1 : 0) << c.what;
    EXPECT_EQ(s.speedEnds, c.disableSpeeds ? 1 : 0) << c.what;
    EXPECT_EQ(s.latitude, 47.5) << c.what;
    EXPECT_EQ(s.longitude, -8.25) << c.what;
  }
  Form form = FormOf(kFixA);
  form.speedText = "1000";
  EXPECT_EQ(std::get<FieldError>(form.Accept()).message, "Please enter no more than 3 characters.");
  form.speedText = "9a";
  EXPECT_EQ(std::get<FieldError>(form.Accept()).message, "Please enter a positive integer.");
}

TEST_F(ManualWaypointFormTest, ApplyChangesOnlyTheRowsWaypointInOneUndoStep) {
  Start([](CRoute& r) { r[kFixB].altitude2 = MakeManualValue(5000); });
  // A mark another operation left behind must not take the settings.
  Current()[kFixB].marked = 1;
  const CRoute before = Current();
  const int snapshots = m_plan.GetSnapshotCount();

  WaypointSettings s;
  s.altitudeAtSet = 1;
  s.altitudeAt = 6000;
  s.flyOver = 1;
  s.speedEnds = 1;
  s.latitude = 47.39;
  s.longitude = 8.12;
  ASSERT_TRUE(ApplyWaypointSettings(m_plan, RowOf(kFixA), s));
  EXPECT_EQ(m_plan.GetSnapshotCount(), snapshots + 1);
  const CRoute& after = Current();
  ASSERT_EQ(after.GetCount(), before.GetCount());
  EXPECT_EQ(+after[kFixA].altitude1, MakeManualValue(6000));
  EXPECT_FALSE(IsManualValueGiven(after[kFixA].speed));
  EXPECT_EQ(+after[kFixA].flags & (kPointFlyOver | kPointAltitudeOption | kPointSpeedOption),
            kPointFlyOver | kPointSpeedOption);
  EXPECT_FLOAT_EQ(+after[kFixA].ref.point.latitude, 47.39f);
  EXPECT_FLOAT_EQ(+after[kFixA].ref.point.longitude, 8.12f);
  EXPECT_EQ(+after[kFixB].altitude2, MakeManualValue(5000)) << "the other point is untouched";
  EXPECT_FALSE(IsManualValueGiven(after[kFixB].altitude1));
  EXPECT_EQ(+after[kFixB].flags, +before[kFixB].flags);
  for (const PlanPoint& p : after.m_points) EXPECT_EQ(+p.marked, 0);

  // A database point keeps its position; a row without a waypoint changes nothing.
  ASSERT_TRUE(ApplyWaypointSettings(m_plan, RowOf(kKloten), s));
  EXPECT_FLOAT_EQ(+Current()[kKloten].ref.point.latitude, static_cast<float>(kVor.lat));
  const int count = m_plan.GetSnapshotCount();
  EXPECT_FALSE(ApplyWaypointSettings(m_plan, -1, s));
  EXPECT_FALSE(ApplyWaypointSettings(m_plan, static_cast<int>(m_plan.m_rows.size()), s));
  EXPECT_EQ(m_plan.GetSnapshotCount(), count);
  EXPECT_FALSE(ManualWaypointFormFor(m_plan, -1, true).has_value());
}

TEST(TowerViewForm, TakesFeetFromZeroTo99999) {
  struct Case {
    const char* text;
    int feet;  // -1: refused
    const char* message;
  };
  const Case cases[] = {
      {"2500", 2500, ""},
      {"0", 0, ""},
      {"99999", 99999, ""},
      {"100000", -1, "Please enter an integer between 0 and 99999."},
      {"-1", -1, "Please enter an integer between 0 and 99999."},
      {"", -1, "Please enter an integer."},
      {"25x", -1, "Please enter an integer."},
      {"99999999999", -1, "Please enter an integer."},
  };
  for (const Case& c : cases) {
    const auto r = ReadTowerAltitude(c.text);
    if (c.feet >= 0) {
      ASSERT_TRUE(std::holds_alternative<int>(r)) << c.text;
      EXPECT_EQ(std::get<int>(r), c.feet);
    } else {
      ASSERT_TRUE(std::holds_alternative<FieldError>(r)) << c.text;
      EXPECT_EQ(std::get<FieldError>(r).id, kIdTowerAltitude);
      EXPECT_EQ(std::get<FieldError>(r).message, c.message) << c.text;
    }
  }
}

}  // namespace
