#include "planexport/opsplan/OpsplanWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/route/testing/RoutePlan.h"
#include "platform/profile/Profile.h"
#include "plotr/tools/FlpxHost.h"

namespace {

namespace fs = std::filesystem;
using namespace flpxtest;

const char kGolden[] = "planexport/opsplan/tests/goldens/LFPG-EDDF.fp";

TEST(OpsplanModule, WritesTheGoldenPlanAndKeepsItsFolder) {
  ModuleSimroot root("opsplan", OPSPLAN_MODULE);
  const std::vector<FlpxModuleInfo> listed = ListFlpxModules(root.Folder().string());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].displayName, "Opsplan");
  EXPECT_EQ(listed[0].hasConfigure, CW_GUI_BUILD != 0);

  const std::string golden = Golden(kGolden);
  std::string above = golden;
  above.replace(above.find("FPAirSpeed=450"), 14, "FPAirSpeed=460");
  above.replace(above.find("FPAlt=17500"), 11, "FPAlt=FL180");
  struct Case {
    const char* name;
    double speed, altitude;
    std::string expected;
  };
  const Case cases[] = {{"17749 ft at 454.9 kt", 454.9, 17749, golden}, {"17750 ft at 455 kt", 455, 17750, above}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptRoutePlan(c.speed, c.altitude);
    const fs::path target = root.Root() / "chosen" / "plan.fp";
    fs::create_directories(target.parent_path());
    Script().savePath = target.string();
    ASSERT_EQ(root.Export(), FlpxCallResult::Done);
    EXPECT_EQ(ReadBytes(target), c.expected);
    EXPECT_EQ(Script().filterSeen, "Opsplan Flight Plan (*.fp)|*.fp|All Files (*.*)|*.*||");
    EXPECT_EQ(Script().defaultExtSeen, "fp");
    EXPECT_EQ(Script().initialNameSeen, "LFPG to EDDF.fp");
  }
  EXPECT_EQ(Script().initialDirSeen, root.Root().string() + "/chosen/") << "the folder of the first export";
  EXPECT_EQ(profile::GetString(root.Ini().string(), "Opsplan", "InitialDir", ""), root.Root().string() + "/chosen/");

  ScriptPlanWithoutRoutePoints();
  const fs::path target = root.Root() / "empty.fp";
  Script().savePath = target.string();
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target),
            "[FLIGHTPLAN]\r\nFPDepAirport=LFPG\r\nFPDestAirport=EDDF\r\nFPRoute=DCT\r\nFPAirSpeed=420\r\n"
            "FPAlt=15000\r\nFPSlotHour=0\r\nFPSlotMin=4\r\n");

  Script().info.arrival.present = 0;
  const int dialogs = Script().saveCalls;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().saveCalls, dialogs) << "refused before the dialog";
}

TEST(OpsplanModule, StopsAtTheFirstFailedLine) {
  ScriptRoutePlan(454.9, 17749);
  const FlpxImportTableRecord imports = ScriptedImports();
  const FlpxPlanSource plan(imports, &Script());
  const fs::path target = TestFolder("opsplan_fail") / "plan.fp";
  fs::create_directories(target.parent_path());
  for (int line = 1; line <= 8; ++line) {
    SCOPED_TRACE(line);
    CExportFile file;
    ASSERT_TRUE(file.Open(target.string()));
    CExportFile::FailAtPrint(line);
    EXPECT_EQ(WriteOpsplanPlan(plan, file, Script().info), 0);
    CExportFile::FailAtPrint(0);
  }
  CExportFile file;
  ASSERT_TRUE(file.Open(target.string()));
  EXPECT_EQ(WriteOpsplanPlan(plan, file, Script().info), 1);
  EXPECT_TRUE(file.Commit(true));
  EXPECT_EQ(ReadBytes(target), Golden(kGolden));
  fs::remove_all(target.parent_path());
}

}  // namespace
