#include "planexport/netplana/NetplanaWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/route/testing/RoutePlan.h"
#include "platform/profile/Profile.h"
#include "plotr/tools/FlpxHost.h"

namespace {

namespace fs = std::filesystem;
using namespace flpxtest;

const char kGolden[] = "planexport/netplana/tests/goldens/LFPG-EDDF.fpl";

// The golden file with some of its lines replaced.
std::string GoldenWith(std::initializer_list<std::pair<std::string, std::string>> replaced) {
  std::string text = Golden(kGolden);
  for (const auto& [from, to] : replaced) {
    const size_t at = text.find(from + "\r\n");
    if (at == std::string::npos) {
      ADD_FAILURE() << "no line " << from;
      continue;
    }
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(NetplanaModule, WritesTheGoldenPlanForLevelsBelowAndAboveTheTransition) {
  ModuleSimroot root("netplana", NETPLANA_MODULE);
  const std::vector<FlpxModuleInfo> listed = ListFlpxModules(root.Folder().string());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].displayName, "Netplana");
  EXPECT_EQ(listed[0].hasConfigure, CW_GUI_BUILD != 0) << "the information dialog, with the windows only";

  struct Case {
    const char* name;
    double speed, altitude;
    std::string expected;
  };
  const Case cases[] = {
      {"17749 ft at 454.9 kt", 454.9, 17749, Golden(kGolden)},
      {"17750 ft at 455 kt", 455, 17750,
       GoldenWith({{"SPEED=450", "SPEED=460"}, {"LEVELTYPE=A", "LEVELTYPE=F"}, {"LEVEL=175", "LEVEL=180"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptRoutePlan(c.speed, c.altitude);
    const fs::path target = root.Root() / "chosen" / "plan.fpl";
    fs::create_directories(target.parent_path());
    Script().savePath = target.string();
    ASSERT_EQ(root.Export(), FlpxCallResult::Done);
    EXPECT_EQ(ReadBytes(target), c.expected);
    EXPECT_EQ(Script().filterSeen, "Netplana Flight Plan (*.fpl)|*.fpl|All Files (*.*)|*.*||");
    EXPECT_EQ(Script().defaultExtSeen, "fpl");
    EXPECT_EQ(Script().initialNameSeen, "LFPG to EDDF.fpl");
  }

  ScriptPlanWithoutRoutePoints();
  const fs::path target = root.Root() / "empty.fpl";
  Script().savePath = target.string();
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target),
            "[FLIGHTPLAN]\r\nDEPICAO=LFPG\r\nSPEEDTYPE=N\r\nSPEED=420\r\nLEVELTYPE=A\r\nLEVEL=150\r\n"
            "ROUTE=DCT\r\nDESTICAO=EDDF\r\nEET=0004\r\n");
}

TEST(NetplanaModule, StartsInTheClientsFlightsFolderAndNeverStoresOne) {
  ModuleSimroot root("netplana_folder", NETPLANA_MODULE);
  ScriptRoutePlan(454.9, 17749);
  Script().savePath = (root.Root() / "plan.fpl").string();
  const fs::path clientIni = root.Root() / "Modules" / "fsint.ini";
  // A client installed under Wine, in the prefix the simulator lives in.
  fs::create_directories(root.Root() / "dosdevices");
  fs::create_directories(root.Root() / "drive_c" / "program files" / "NetClient" / "Flights");
  fs::create_directory_symlink("../drive_c", root.Root() / "dosdevices" / "c:");
  const fs::path driveC = fs::canonical(root.Root() / "drive_c");

  struct Case {
    const char* name;
    const char* path;  // nullptr: no client settings file
    std::string folder;
  };
  const Case cases[] = {
      {"no client settings", nullptr, ""},
      {"an empty Path", "", ""},
      {"a Windows Path", "C:\\Program Files\\NetClient\\",
       (driveC / "program files" / "NetClient" / "Flights").string()},
      {"a drive the prefix lacks", "Q:\\NetClient", ""},
      {"a Path", "/opt/client", "/opt/client/flights"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(clientIni);
    if (c.path) profile::WriteString(clientIni.string(), "INSTALL", "Path", c.path);
    ASSERT_EQ(root.Export(), FlpxCallResult::Done);
    EXPECT_EQ(Script().initialDirSeen, c.folder);
    EXPECT_EQ(profile::GetString(root.Ini().string(), "Netplana", "InitialDir", "none"), "none");
  }
  // A folder remembered by hand is not read either.
  profile::WriteString(root.Ini().string(), "Netplana", "InitialDir", "/elsewhere/");
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(Script().initialDirSeen, "/opt/client/flights");

  // Loaded by a path with too few folders for a client folder, the module keeps out of the list.
  const fs::path before = fs::current_path();
  fs::current_path(root.Folder());
  EXPECT_TRUE(ListFlpxModules(".").empty());
  EXPECT_EQ(CallFlpxExport("./Netplana.so", ScriptedServices(), &Script(), nullptr), FlpxCallResult::NotCalled);
  fs::current_path(before);

  std::string clientSettings;
  EXPECT_TRUE(NetplanaClientSettingsPath("/sim/Modules/Chartwright/FlpExport/FlpExport.ini", clientSettings));
  EXPECT_EQ(clientSettings, "/sim/Modules/fsint.ini");
  EXPECT_FALSE(NetplanaClientSettingsPath("/FlpExport/FlpExport.ini", clientSettings)) << "no client folder";
}

TEST(NetplanaModule, RefusesPlansWithoutAirportsAndStopsAtAFailedWrite) {
  ModuleSimroot root("netplana_refuse", NETPLANA_MODULE);
  ScriptRoutePlan(454.9, 17749);
  Script().info.departure.present = 0;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().saveCalls, 0);

  Script().info.departure.present = 1;
  Script().saveAccepts = false;
  EXPECT_EQ(root.Export(), FlpxCallResult::Done) << "a cancelled dialog";

  // Every line's write failing in turn: the writer stops there and reports it.
  const FlpxImportTableRecord imports = ScriptedImports();
  const FlpxPlanSource plan(imports, &Script());
  const fs::path target = root.Root() / "failing.fpl";
  for (int line = 1; line <= 9; ++line) {
    SCOPED_TRACE(line);
    CExportFile file;
    ASSERT_TRUE(file.Open(target.string()));
    CExportFile::FailAtPrint(line);
    EXPECT_EQ(WriteNetplanaPlan(plan, file, Script().info), 0);
    CExportFile::FailAtPrint(0);
    EXPECT_FALSE(file.Commit(false));
  }
  CExportFile file;
  ASSERT_TRUE(file.Open(target.string()));
  EXPECT_EQ(WriteNetplanaPlan(plan, file, Script().info), 1);
  EXPECT_TRUE(file.Commit(true));
  EXPECT_EQ(ReadBytes(target), Golden(kGolden));
}

}  // namespace
