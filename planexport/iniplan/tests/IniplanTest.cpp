#include "planexport/iniplan/IniplanWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Document.h"
#include "platform/profile/Profile.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/testing/FakeToolDialogs.h"

namespace {

using namespace flpxtest;

// Piper to Basel: no departure block, sixteen arrival runways, every climb and descent type,
// an unknown type letter and an identifier that fills its field without a terminator.
void ScriptPiperToBasel() {
  ResetScript();
  FlpxPlanInfo& info = Script().info;
  SetText(info.aircraftName, "Piper PA-28");
  info.fuelUnit = 1;
  SetAirport(info.arrival, "Basel", "LFSB", 0, 47.59, 7.53, 885, 1.3);
  for (int n = 1; n <= 16; ++n) {
    const std::string ident = (n < 10 ? "0" : "") + std::to_string(n);
    AddRunway(info.arrival, ident, n * 20, 47.5 + n / 1000.0, 7.5 + n / 1000.0, 880 + n, 8000 + 100 * n, 150,
              n == 1 ? 110.5 : 0);
  }
  AddRows({
      {.type = 'A', .ident = "LSZH", .name = "Zurich", .lat = 47.46, .lon = 8.55, .heading = 250.4, .altitude = 1416},
      {.type = 'Q', .name = "Beginning of Climb", .lat = 47.45, .lon = 8.50, .heading = 250.3, .speed = 95.2,
       .tas = 95.2, .ias = 90.4, .vs = 700, .altitude = 1416, .distance = 2.3, .time = 1.4, .fuel = 0.7},
      {.type = 'R', .name = "End of Climb", .lat = 47.40, .lon = 8.40, .heading = 251, .speed = 110, .tas = 110,
       .ias = 100, .altitude = 6500, .distance = 8.5, .time = 4, .fuel = 5},
      {.type = 'S', .name = "Beginning of Descent", .lat = 47.35, .lon = 8.30, .heading = 252, .speed = 120,
       .tas = 120, .ias = 105, .vs = -500, .altitude = 6500, .distance = 4, .time = 2, .fuel = 2},
      {.type = 'T', .name = "End of Descent", .lat = 47.33, .lon = 8.25, .heading = 253, .speed = 110, .tas = 110,
       .ias = 100, .altitude = 4000, .distance = 3, .time = 1.5, .fuel = 1},
      {.type = 'U', .name = "EOC, BOD", .lat = 47.32, .lon = 8.22, .heading = 254, .speed = 110, .tas = 110,
       .ias = 100, .altitude = 5000, .distance = 1.5, .time = 0.8, .fuel = 1},
      {.type = 'V', .name = "EOD, BOC", .lat = 47.31, .lon = 8.21, .heading = 255, .speed = 110, .tas = 110,
       .ias = 100, .altitude = 4500, .distance = 0.5, .time = 0.3, .fuel = 0.2},
      {.type = 'M', .ident = "KLO", .name = "Kloten", .lat = 47.30, .lon = 8.20, .heading = 256, .speed = 118,
       .tas = 118, .ias = 105, .altitude = 4500, .distance = 1.2, .time = 0.6, .fuel = 0.4, .frequency = 114.85},
      {.type = 'X', .name = "A name that is exactly thirty!", .lat = 47.20, .lon = -8.10, .distance = 6, .time = 3,
       .fuel = 2},
  });
  std::memcpy(Script().rows.back().ident, "ABCDEF", 6);
}

const char kGolden[] = "planexport/iniplan/tests/goldens/Piper-to-Basel.ini";

TEST(IniplanModule, WritesTheGoldenDumpTwiceInOneProcess) {
  ModuleSimroot root("iniplan", INIPLAN_MODULE);
  const std::string target = (root.Root() / "Flights" / "plan.ini").string();
  std::filesystem::create_directories(root.Root() / "Flights");
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    ScriptPiperToBasel();
    Script().savePath = target;
    ASSERT_EQ(root.Export(), FlpxCallResult::Done);
    EXPECT_EQ(ReadBytes(target), Golden(kGolden));
    EXPECT_EQ(Script().filterSeen, "Iniplan Flight Plan (*.ini)|*.ini|All Files (*.*)|*.*||");
    EXPECT_EQ(Script().initialDirSeen, pass == 0 ? "" : root.Root().string() + "/Flights/");
    EXPECT_EQ(profile::GetString(root.Ini(), "Iniplan", "InitialDir", ""), root.Root().string() + "/Flights/");
  }

  // A cancelled dialog returns done and touches nothing; a plan without information fails.
  std::filesystem::remove(target);
  Script().saveAccepts = false;
  EXPECT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_FALSE(std::filesystem::exists(target));
  Script().saveAccepts = true;
  Script().infoFails = true;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(IniplanModule, ExportsARealPlanThroughTheHostServices) {
  using namespace plantest;
  ScopedPlanFolder folder("iniplan_plan");
  ModuleSimroot root("iniplan_plan", INIPLAN_MODULE);
  FakeToolDialogs dialogs;
  const std::string target = (root.Root() / "trip.ini").string();
  dialogs.saveOut.path = target;
  FlpxSaveDialogScope scope({nullptr, &dialogs});

  DatabaseLease lease;
  BuildPlanDatabase(lease.Database());
  CFlightPlanCore plan;
  plan.Clear();
  plan.Push(TripRoute());
  plan.Rebuild();
  ASSERT_EQ(CallFlpxExport((root.Folder() / "Iniplan.so").string(), GetFlpxServices(), &plan, nullptr),
            FlpxCallResult::Done);

  profile::Document ini;
  ASSERT_TRUE(ini.Load(target));
  FlpxPlanInfo info{};
  info.size = kFlpxPlanInfoSize;
  ASSERT_EQ(plan.GetPlanInfo(&info), 1);
  EXPECT_EQ(ini.GetString("AIRCRAFT", "NAME", ""), "Test aircraft");
  EXPECT_EQ(ini.GetString("DEPARTURE", "ID", ""), "LSZH");
  EXPECT_EQ(ini.GetString("ARRIVAL", "ID", ""), "LFSB");
  const int32_t runways = info.departure.runwayCount;
  EXPECT_EQ(ini.GetString("DEPARTURERWY_" + std::to_string(runways), "ID", ""),
            std::string(FieldText(info.departure.runways[runways - 1].ident)));
  EXPECT_FALSE(ini.HasSection("ALTERNATE"));

  int n = 0;
  FlpxWaypoint w{};
  for (int move = kFlpxMoveFirst; (w.size = kFlpxWaypointSize, plan.GetWaypoint(move, &w)); move = kFlpxMoveNext) {
    const std::string section = "WAYPOINT_" + std::to_string(++n);
    SCOPED_TRACE(section);
    EXPECT_EQ(ini.GetString(section, "ID", "?"), std::string(FieldText(w.ident)));
    EXPECT_EQ(ini.GetString(section, "NAME", "?"), std::string(FieldText(w.name)));
    EXPECT_EQ(ini.GetString(section, "LAT", ""), FormatC("%0.6f", w.latitude));
    EXPECT_EQ(ini.GetString(section, "DIST", ""), FormatC("%0.1f", w.legDistance));
  }
  EXPECT_GT(n, 8);
  EXPECT_FALSE(ini.HasSection("WAYPOINT_" + std::to_string(n + 1)));
  lease.Database().ClearDatabase();
}

}  // namespace
