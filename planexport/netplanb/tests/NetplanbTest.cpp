#include "planexport/netplanb/NetplanbWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/route/testing/RoutePlan.h"
#include "platform/profile/Profile.h"
#include "plotr/tools/FlpxHost.h"

namespace {

namespace fs = std::filesystem;
using namespace flpxtest;

const char kGolden[] = "planexport/netplanb/tests/goldens/LFPG-EDDF.sfp";

TEST(NetplanbModule, WritesTheGoldenPlanAndKeepsItsFolder) {
  ModuleSimroot root("netplanb", NETPLANB_MODULE);
  const std::vector<FlpxModuleInfo> listed = ListFlpxModules(root.Folder().string());
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].displayName, "Netplanb");
  EXPECT_EQ(listed[0].hasConfigure, CW_GUI_BUILD != 0);

  const std::string golden = Golden(kGolden);
  std::string above = golden;
  above.replace(above.find("Airspeed=450"), 12, "Airspeed=460");
  above.replace(above.find("Altitude=F175"), 13, "Altitude=F180");
  struct Case {
    const char* name;
    double speed, altitude;
    std::string expected;
  };
  const Case cases[] = {{"17749 ft at 454.9 kt", 454.9, 17749, golden}, {"17750 ft at 455 kt", 455, 17750, above}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptRoutePlan(c.speed, c.altitude);
    const fs::path target = root.Root() / "chosen" / "plan.sfp";
    fs::create_directories(target.parent_path());
    Script().savePath = target.string();
    ASSERT_EQ(root.Export(), FlpxCallResult::Done);
    EXPECT_EQ(ReadBytes(target), c.expected);
    EXPECT_EQ(Script().filterSeen, "Netplanb Flight Plan (*.sfp)|*.sfp|All Files (*.*)|*.*||");
    EXPECT_EQ(Script().defaultExtSeen, "sfp");
    EXPECT_EQ(Script().initialNameSeen, "LFPG to EDDF.sfp");
  }
  EXPECT_EQ(Script().initialDirSeen, root.Root().string() + "/chosen/") << "the folder of the first export";
  EXPECT_EQ(profile::GetString(root.Ini().string(), "Netplanb", "InitialDir", ""), root.Root().string() + "/chosen/");

  ScriptPlanWithoutRoutePoints();
  const fs::path target = root.Root() / "empty.sfp";
  Script().savePath = target.string();
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target),
            "[SBFlightPlan]\r\nDeparture=LFPG\r\nArrival=EDDF\r\nFlightHours=0\r\nFlightMinutes=4\r\n"
            "Airspeed=420\r\nAltitude=F150\r\nRoute=DCT\r\n");

  Script().info.arrival.present = 0;
  const int dialogs = Script().saveCalls;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().saveCalls, dialogs) << "refused before the dialog";
}

TEST(NetplanbModule, StopsAtTheFirstFailedLine) {
  ScriptRoutePlan(454.9, 17749);
  const FlpxImportTableRecord imports = ScriptedImports();
  const FlpxPlanSource plan(imports, &Script());
  const fs::path target = TestFolder("netplanb_fail") / "plan.sfp";
  fs::create_directories(target.parent_path());
  for (int line = 1; line <= 8; ++line) {
    SCOPED_TRACE(line);
    CExportFile file;
    ASSERT_TRUE(file.Open(target.string()));
    CExportFile::FailAtPrint(line);
    EXPECT_EQ(WriteNetplanbPlan(plan, file, Script().info), 0);
    CExportFile::FailAtPrint(0);
  }
  CExportFile file;
  ASSERT_TRUE(file.Open(target.string()));
  EXPECT_EQ(WriteNetplanbPlan(plan, file, Script().info), 1);
  EXPECT_TRUE(file.Commit(true));
  EXPECT_EQ(ReadBytes(target), Golden(kGolden));
  fs::remove_all(target.parent_path());
}

}  // namespace
