#pragma once

// The two route modules that write a plain key file with a speed and a level: their module
// tests differ only in names, keys and the writer, so they share these checks.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/route/testing/RoutePlan.h"
#include "platform/profile/Profile.h"
#include "plotr/tools/FlpxHost.h"

namespace flpxtest {

struct LevelFileModule {
  const char* name;        // as listed, and the settings section
  const char* tag;         // folder name of the test's simulator root
  const char* modulePath;  // the built module
  const char* golden;      // the plan at 454.9 kt and 17749 ft
  const char* extension;
  const char* speedKey;    // "<key>450" in the golden becomes "<key>460" at 455 kt
  const char* levelAt17749;  // the golden's level text and the text at 17750 ft
  const char* levelAt17750;
  const char* emptyPlan;   // the file of a plan without route points
  int (*write)(const FlpxPlanSource&, CExportFile&, const FlpxPlanInfo&);
};

inline void ExpectGoldenExportsAndFolder(const LevelFileModule& m) {
  namespace fs = std::filesystem;
  ModuleSimroot root(m.tag, m.modulePath);
  const std::vector<FlpxModuleInfo> listed = ListFlpxModules(root.Folder().string());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].displayName, m.name);
  EXPECT_EQ(listed[0].hasConfigure, CW_GUI_BUILD != 0);

  const std::string golden = Golden(m.golden);
  std::string above = golden;
  const std::string speed = std::string(m.speedKey) + "450";
  above.replace(above.find(speed), speed.size(), std::string(m.speedKey) + "460");
  above.replace(above.find(m.levelAt17749), std::string(m.levelAt17749).size(), m.levelAt17750);
  const std::string ext = m.extension;
  struct Case {
    const char* name;
    double speed, altitude;
    std::string expected;
  };
  const Case cases[] = {{"17749 ft at 454.9 kt", 454.9, 17749, golden}, {"17750 ft at 455 kt", 455, 17750, above}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptRoutePlan(c.speed, c.altitude);
    const fs::path target = root.Root() / "chosen" / ("plan." + ext);
    fs::create_directories(target.parent_path());
    Script().savePath = target.string();
    ASSERT_EQ(root.Export(), FlpxCallResult::Done);
    EXPECT_EQ(ReadBytes(target), c.expected);
    EXPECT_EQ(Script().filterSeen,
              std::string(m.name) + " Flight Plan (*." + ext + ")|*." + ext + "|All Files (*.*)|*.*||");
    EXPECT_EQ(Script().defaultExtSeen, ext);
    EXPECT_EQ(Script().initialNameSeen, "LFPG to EDDF." + ext);
  }
  EXPECT_EQ(Script().initialDirSeen, root.Root().string() + "/chosen/") << "the folder of the first export";
  EXPECT_EQ(profile::GetString(root.Ini().string(), m.name, "InitialDir", ""), root.Root().string() + "/chosen/");

  ScriptPlanWithoutRoutePoints();
  const fs::path target = root.Root() / ("empty." + ext);
  Script().savePath = target.string();
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target), m.emptyPlan);

  Script().info.arrival.present = 0;
  const int dialogs = Script().saveCalls;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().saveCalls, dialogs) << "refused before the dialog";
}

inline void ExpectStopAtTheFirstFailedLine(const LevelFileModule& m) {
  namespace fs = std::filesystem;
  ScriptRoutePlan(454.9, 17749);
  const FlpxImportTableRecord imports = ScriptedImports();
  const FlpxPlanSource plan(imports, &Script());
  const fs::path target = TestFolder(std::string(m.tag) + "_fail") / ("plan." + std::string(m.extension));
  fs::create_directories(target.parent_path());
  for (int line = 1; line <= 8; ++line) {
    SCOPED_TRACE(line);
    CExportFile file;
    ASSERT_TRUE(file.Open(target.string()));
    CExportFile::FailAtPrint(line);
    EXPECT_EQ(m.write(plan, file, Script().info), 0);
    CExportFile::FailAtPrint(0);
  }
  CExportFile file;
  ASSERT_TRUE(file.Open(target.string()));
  EXPECT_EQ(m.write(plan, file, Script().info), 1);
  EXPECT_TRUE(file.Commit(true));
  EXPECT_EQ(ReadBytes(target), Golden(m.golden));
  fs::remove_all(target.parent_path());
}

}  // namespace flpxtest
