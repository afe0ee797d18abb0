#include "planexport/tabtext/TabtextWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Profile.h"

namespace {

using namespace flpxtest;

struct Row {
  char type;
  const char* ident;
  const char* name;
  double lat, lon, heading, speed, altitude, distance, time, fuel, frequency;
};

// Zurich to Basel's runway 15: a climb point folded into the VOR's row, two descent points in a
// row folded into the NDB's, an intersection, a user point west of Greenwich, a descent end.
void ScriptZurichBasel() {
  ResetScript();
  FlpxPlanInfo& info = Script().info;
  SetText(info.aircraftName, "Cessna 172");
  info.fuelUnit = 3;
  SetAirport(info.departure, "Zurich", "LSZH", 128.5, 47.46, 8.55, 1416, 1.5);
  SetAirport(info.arrival, "Basel", "LFSB", 0, 47.59, 7.53, 885, 1.5);
  const Row rows[] = {
      {'A', "LSZH", "Zurich", 47.46, 8.55, 0, 0, 1400, 0, 0, 0, 0},
      {'Q', "", "Beginning of Climb", 47.45, 8.50, 250, 90, 1400, 2, 1, 1, 0},
      {'M', "KLO", "Kloten", 47.30, 8.20, 250, 120, 4000, 10, 5, 10, 114.25},
      {'R', "", "End of Climb", 47.32, 8.10, 275, 125.75, 6500, 3, 1.5, 1, 0},
      {'S', "", "Beginning of Descent", 47.33, 8.05, 275, 125.75, 6500, 4.5, 1.5, 1, 0},
      {'N', "ZH", "Zurich East", 47.35, 8.00, 275, 125.75, 6500, 20.25, 10, 12, 367},
      {'O', "ABCDE", "FIX", 47.40, 7.80, 301.4, 125.75, 6500, 15, 7.5, 8, 0},
      {'P', "HOME", "HOME", 47.45, -7.70, 180, 118, 5000, 30.25, 14, 15, 0},
      {'T', "", "End of Descent", 47.55, 7.60, 150, 110, 3000, 5, 2.5, 2, 0},
      {'C', "15", "Basel", 47.60, 7.52, 150, 100, 885, 8, 4, 4.25, 110.5},
  };
  for (const Row& r : rows) {
    FlpxWaypoint w = MakeWaypoint(r.type, r.ident, r.name);
    w.latitude = r.lat;
    w.longitude = r.lon;
    w.heading = r.heading;
    w.speed = r.speed;
    w.altitude = r.altitude;
    w.legDistance = r.distance;
    w.legTime = r.time;
    w.legFuel = r.fuel;
    w.frequency = r.frequency;
    Script().rows.push_back(w);
  }
}

std::string Pad(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

const char kGolden[] = "planexport/tabtext/tests/goldens/Zurich-Basel.txt";

TEST(TabtextModule, WritesTheGoldenTableAndAgainWithAnUnknownFuelUnit) {
  ModuleSimroot root("tabtext", TABTEXT_MODULE);
  ScriptZurichBasel();
  const std::string target = (root.Root() / "plan.txt").string();
  Script().savePath = target;
  Script().waypointCursor = 5;  // a walk left over from an earlier call

  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target), Golden(kGolden));
  EXPECT_EQ(Script().filterSeen, "Tabtext Flight Plan (*.txt)|*.txt|All Files (*.*)|*.*||");
  EXPECT_EQ(Script().defaultExtSeen, "txt");
  EXPECT_EQ(Script().initialNameSeen, "");
  EXPECT_EQ(Script().initialDirSeen.back(), '/') << "the temporary folder by default";
  EXPECT_EQ(profile::GetString(root.Ini(), "Tabtext", "InitialDir", ""), root.Root().string() + "/");

  // The same library loaded again in this process: no state left from the first call.
  Script().info.fuelUnit = 7;
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  std::string golden = Golden(kGolden);
  golden.replace(golden.find("(54 L fuel required)"), 20, "(54  fuel required) ");
  EXPECT_EQ(ReadBytes(target), golden);
  EXPECT_EQ(Script().initialDirSeen, root.Root().string() + "/");
}

TEST(TabtextModule, AFailedTableKeepsThePreviousFile) {
  ModuleSimroot root("tabtext_fail", TABTEXT_MODULE);
  ScriptZurichBasel();
  const std::string target = (root.Root() / "plan.txt").string();
  Script().savePath = target;
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);

  // A plan that starts at an intersection has no departure row.
  Script().rows.erase(Script().rows.begin());
  Script().rows.erase(Script().rows.begin());
  Script().rows.erase(Script().rows.begin());
  ASSERT_EQ(Script().rows.front().type, 'R');
  Script().rows.front().type = 'O';
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(ReadBytes(target), Golden(kGolden));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.Root()), std::filesystem::directory_iterator()),
            2) << "only the module folder and the plan: no temporary file left";

  // Without an arrival airport the plan is refused before any dialog.
  ScriptZurichBasel();
  Script().info.arrival.present = 0;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().saveCalls, 0);
}

TEST(TabtextWriter, ShortPlansAndAirportRows) {
  // Departure airport, one VOR, arrival airport: rows 1 to 3; an ILS arrival names the ILS.
  ResetScript();
  FlpxPlanInfo& info = Script().info;
  SetAirport(info.departure, "Zurich", "LSZH", 0, 0, 0, 0, 0);
  SetAirport(info.arrival, "Basel", "LFSB", 121.25, 0, 0, 0, 0);
  Script().rows = {MakeWaypoint('A', "LSZH", "Zurich"), MakeWaypoint('A', "LFSB", "Basel"),
                   MakeWaypoint('H', "IBS", "ILS")};
  Script().rows[1].legDistance = 40;
  Script().rows[1].legTime = 75.5;
  Script().rows[2].frequency = 110.25;
  const FlpxImportTableRecord imports = ScriptedImports();
  const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "tabtext_short.txt";
  CExportFile out;
  ASSERT_TRUE(out.Open(file.string()));
  ASSERT_EQ(WriteTabtextPlan(FlpxPlanSource(imports, &Script()), info, out), 1);
  ASSERT_TRUE(out.Commit(true));
  const std::string text = ReadBytes(file);
  const std::string expectRow2 = "2   Waypoint: " + Pad("Basel [LFSB]", 42) + "  APT              0\xB0   40 nm  01:15\r\n";
  EXPECT_NE(text.find(expectRow2), std::string::npos) << text;
  const std::string expectArrival = "3   Arrive:   " + Pad("Basel - ILS IBS", 43) + " ATC : 121.25     0\xB0    0 nm  00:00\r\n" +
                                    "              " + Pad("ILS heading 0\xB0, altitude 0 ft", 43) + " ILS : 110.25\r\n";
  EXPECT_NE(text.find(expectArrival), std::string::npos) << text;
  std::filesystem::remove(file);
}

}  // namespace
