#include "planexport/tabtext/TabtextWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Profile.h"

namespace {

using namespace flpxtest;

// Zurich to Basel's runway 15: a climb point folded into the VOR's row, two descent points in a
// row folded into the NDB's, an intersection, a user point west of Greenwich (half a hundredth
// of a minute past W7 41.77', so written W7 41.78'), a descent end.
void ScriptZurichBasel() {
  ResetScript();
  FlpxPlanInfo& info = Script().info;
  SetText(info.aircraftName, "Cessna 172");
  info.fuelUnit = 3;
  SetAirport(info.departure, "Zurich", "LSZH", 128.5, 47.46, 8.55, 1416, 1.5);
  SetAirport(info.arrival, "Basel", "LFSB", 0, 47.59, 7.53, 885, 1.5);
  AddRows({
      {.type = 'A', .ident = "LSZH", .name = "Zurich", .lat = 47.46, .lon = 8.55, .altitude = 1400},
      {.type = 'Q', .name = "Beginning of Climb", .lat = 47.45, .lon = 8.50, .heading = 250, .speed = 90,
       .altitude = 1400, .distance = 2, .time = 1, .fuel = 1},
      {.type = 'M', .ident = "KLO", .name = "Kloten", .lat = 47.30, .lon = 8.20, .heading = 250, .speed = 120,
       .altitude = 4000, .distance = 10, .time = 5, .fuel = 10, .frequency = 114.25},
      {.type = 'R', .name = "End of Climb", .lat = 47.32, .lon = 8.10, .heading = 275, .speed = 125.75,
       .altitude = 6500, .distance = 3, .time = 1.5, .fuel = 1},
      {.type = 'S', .name = "Beginning of Descent", .lat = 47.33, .lon = 8.05, .heading = 275, .speed = 125.75,
       .altitude = 6500, .distance = 4.5, .time = 1.5, .fuel = 1},
      {.type = 'N', .ident = "ZH", .name = "Zurich East", .lat = 47.35, .lon = 8.00, .heading = 275, .speed = 125.75,
       .altitude = 6500, .distance = 20.25, .time = 10, .fuel = 12, .frequency = 367},
      {.type = 'O', .ident = "ABCDE", .name = "FIX", .lat = 47.40, .lon = 7.80, .heading = 301.4, .speed = 125.75,
       .altitude = 6500, .distance = 15, .time = 7.5, .fuel = 8},
      {.type = 'P', .ident = "HOME", .name = "HOME", .lat = 47.45, .lon = -7.69625, .heading = 180, .speed = 118,
       .altitude = 5000, .distance = 30.25, .time = 14, .fuel = 15},
      {.type = 'T', .name = "End of Descent", .lat = 47.55, .lon = 7.60, .heading = 150, .speed = 110,
       .altitude = 3000, .distance = 5, .time = 2.5, .fuel = 2},
      {.type = 'C', .ident = "15", .name = "Basel", .lat = 47.60, .lon = 7.52, .heading = 150, .speed = 100,
       .altitude = 885, .distance = 8, .time = 4, .fuel = 4.25, .frequency = 110.5},
  });
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
  const std::filesystem::path file = TestFolder("tabtext_short.txt");
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
