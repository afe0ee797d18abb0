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

struct Row {
  char type;
  const char* ident;
  const char* name;
  double lat, lon, heading, speed, tas, ias, vs, alt, dist, ete, fuel, freq;
};

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
  const Row rows[] = {
      {'A', "LSZH", "Zurich", 47.46, 8.55, 250.4, 0, 0, 0, 0, 1416, 0, 0, 0, 0},
      {'Q', "", "Beginning of Climb", 47.45, 8.50, 250.3, 95.2, 95.2, 90.4, 700, 1416, 2.3, 1.4, 0.7, 0},
      {'R', "", "End of Climb", 47.40, 8.40, 251, 110, 110, 100, 0, 6500, 8.5, 4, 5, 0},
      {'S', "", "Beginning of Descent", 47.35, 8.30, 252, 120, 120, 105, -500, 6500, 4, 2, 2, 0},
      {'T', "", "End of Descent", 47.33, 8.25, 253, 110, 110, 100, 0, 4000, 3, 1.5, 1, 0},
      {'U', "", "EOC, BOD", 47.32, 8.22, 254, 110, 110, 100, 0, 5000, 1.5, 0.8, 1, 0},
      {'V', "", "EOD, BOC", 47.31, 8.21, 255, 110, 110, 100, 0, 4500, 0.5, 0.3, 0.2, 0},
      {'M', "KLO", "Kloten", 47.30, 8.20, 256, 118, 118, 105, 0, 4500, 1.2, 0.6, 0.4, 114.85},
      {'X', "", "A name that is exactly thirty!", 47.20, -8.10, 0, 0, 0, 0, 0, 0, 6, 3, 2, 0},
  };
  for (const Row& r : rows) {
    FlpxWaypoint w = MakeWaypoint(r.type, r.ident, r.name);
    w.latitude = r.lat;
    w.longitude = r.lon;
    w.heading = r.heading;
    w.speed = r.speed;
    w.trueAirspeed = r.tas;
    w.indicatedAirspeed = r.ias;
    w.verticalSpeed = r.vs;
    w.altitude = r.alt;
    w.legDistance = r.dist;
    w.legTime = r.ete;
    w.legFuel = r.fuel;
    w.frequency = r.freq;
    Script().rows.push_back(w);
  }
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

  std::lock_guard<win::RecursiveLock> lock(g_DatabaseLock);
  BuildPlanDatabase(g_SceneryDatabase);
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
  g_SceneryDatabase.ClearDatabase();
}

}  // namespace
