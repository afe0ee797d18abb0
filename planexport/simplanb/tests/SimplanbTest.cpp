// Simplanb.so through the host with its departure-position dialog answered as a user would.
#include "planexport/simplanb/SimplanbExport.h"

#include <gtest/gtest.h>

#include <string>

#include "planexport/common/testing/DialogDriver.h"
#include "planexport/common/testing/ModuleHarness.h"
#include "planexport/simpln/tests/SimPlnScript.h"
#include "planexport/simpln/window/StartPositionDialog.h"
#include "platform/profile/Profile.h"

namespace {

using namespace simplntest;

TEST(SimplanbModule, WritesTheChosenPositionIntoTheRememberedFolder) {
  ModuleSimroot root("simplanb", SIMPLANB_MODULE);
  ScriptSeattlePortland();
  ScriptStartPositions({{"10L\tRunway", "10L"}, {"16L\tRunway", "16L"}});
  const std::string target = (root.Root() / "plan.PLN").string();
  Script().savePath = target;

  std::string caption;
  WhenModal([&](wxDialog& dialog) {
    caption = dialog.GetTitle().utf8_string();
    ui::PressButton(dialog, wxID_OK);
  });
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(WindowsLeft(), 0u);
  EXPECT_EQ(caption, "Simplanb Departure Position");
  EXPECT_EQ(ReadBytes(target), Golden("planexport/simpln/tests/goldens/KSEA-KPDX.PLN"));
  EXPECT_EQ(Script().initialDirSeen, root.Root().string() + "/flights/myflts");
  EXPECT_EQ(Script().filterSeen, "Simplanb Flight Plan (*.pln)|*.pln|All Files (*.*)|*.*||");
  EXPECT_EQ(profile::GetString(root.Ini(), "Simplanb", "InitialDir", ""), root.Root().string() + "/");

  // Cancelled the second time: nothing written, the remembered folder kept.
  std::filesystem::remove(target);
  WhenModal([](wxDialog& dialog) { ui::PressButton(dialog, wxID_CANCEL); });
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(WindowsLeft(), 0u);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ(Script().saveCalls, 1);
}

}  // namespace
