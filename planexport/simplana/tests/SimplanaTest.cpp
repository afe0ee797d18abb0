#include "planexport/simplana/SimplanaExport.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/simpln/tests/SimPlnScript.h"
#include "platform/profile/Profile.h"

namespace {

using namespace simplntest;

const char kGolden[] = "planexport/simplana/tests/goldens/KSEA-KPDX.PLN";

TEST(SimplanaModule, WritesTheGoldenPlanIntoThePilotsFolder) {
  ModuleSimroot root("simplana", SIMPLANA_MODULE);
  ScriptSeattlePortland();
  SetText(Script().info.departure.name, "Z\xFCrich/Kloten: X");
  const std::string target = (root.Root() / "plan.PLN").string();
  Script().savePath = target;

  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  std::string golden = Golden(kGolden);
  golden.replace(golden.find("Seattle-Tacoma Intl"), 19, "Z\xFCrich/Kloten: X");
  EXPECT_EQ(ReadBytes(target), golden);
  EXPECT_EQ(Script().initialDirSeen, root.Root().string() + "/Pilots");
  EXPECT_EQ(Script().initialNameSeen, "Z\xC3\xBCrich Kloten  X to Portland Intl.PLN");
  EXPECT_EQ(Script().defaultExtSeen, "PLN");
  EXPECT_EQ(Script().filterSeen, "Simplana Flight Plan (*.pln)|*.pln|All Files (*.*)|*.*||");
  EXPECT_EQ(profile::GetString(root.Ini(), "Simplana", "InitialDir", ""), root.Root().string() + "/");

  // Again in the same process: the stored folder seeds the dialog, the plan is the same.
  ScriptSeattlePortland();
  Script().savePath = target;
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(target), Golden(kGolden));
  EXPECT_EQ(Script().initialDirSeen, root.Root().string() + "/");
}

TEST(SimplanaModule, RefusesWithoutAnArrivalAndWritesNothingOnCancel) {
  ModuleSimroot root("simplana_refuse", SIMPLANA_MODULE);
  ScriptSeattlePortland();
  const std::string target = (root.Root() / "plan.PLN").string();
  Script().savePath = target;
  Script().info.arrival.present = 0;
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(Script().saveCalls, 0);

  Script().info.arrival.present = 1;
  Script().saveAccepts = false;
  EXPECT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_FALSE(std::filesystem::exists(root.Ini()));
}

}  // namespace
