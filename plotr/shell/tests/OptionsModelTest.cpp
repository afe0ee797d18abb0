#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/profile/Profile.h"
#include "plotr/shell/OptionsModel.h"

namespace fs = std::filesystem;

namespace {

class OptionsModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("options-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    file = dir / "Program.cfg";
    std::ofstream(file) << "[Settings]\r\nSwitchKey=F1 0 0 0\r\nDockingKey=F10 0 1 0\r\n"
                           "MapAirspaceTransitionHight=31234\r\n";
    settings.SetProfileFile(file);
    // The pages read the cache as the start-up load left it.
    settings.GetSwitchKey(true);
    settings.GetDockingKey(true);
    settings.GetMapAirspaceTransitionHeight(true);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string FileText() const {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir, file;
  CSettings settings;
};

TEST_F(OptionsModelTest, UntouchedPagesWriteNothing) {
  const std::string before = FileText();
  options::GlobalPage global;
  options::PlanPage plan;
  options::MapPage map;
  options::FmsPage fms;
  global.Load(settings);
  plan.Load(settings);
  map.Load(settings);
  fms.Load(settings);
  uint32_t h1 = 1, h2 = 1, h3 = 1;
  EXPECT_FALSE(global.Apply(settings, h1));
  plan.Apply(settings, nullptr, h2);
  map.Apply(settings, h3);
  fms.Apply(settings);
  EXPECT_EQ(h1 | h2 | h3, 0u);
  EXPECT_EQ(FileText(), before);
}

TEST_F(OptionsModelTest, KeyListsMatchExactlyAndUnlistedNamesAreWrittenBackUnchanged) {
  options::GlobalPage global;
  global.Load(settings);
  EXPECT_EQ(options::KeyIndex("F11"), 18);
  EXPECT_EQ(global.keys[0].index, -1) << "a stored F1 is not shown as F11";
  EXPECT_EQ(global.keys[1].index, -1);
  global.keys[2].index = options::KeyIndex("F5");
  global.changed = true;
  uint32_t hint = 0;
  EXPECT_TRUE(global.Apply(settings, hint));
  EXPECT_EQ(hint, 0x0Au);
  EXPECT_EQ(profile::GetString(file, "Settings", "SwitchKey", ""), "F1 0 0 0");
  EXPECT_EQ(profile::GetString(file, "Settings", "DockingKey", ""), "F10 0 1 0");
  EXPECT_EQ(settings.GetFlyPlanKey(true).name, "F5");
}

TEST_F(OptionsModelTest, HeightAloneIsStoredWithoutAHint) {
  options::MapPage map;
  map.Load(settings);
  EXPECT_EQ(map.heightText, "30000") << "shown clamped; the file keeps its value";
  EXPECT_EQ(profile::GetInt(file, "Settings", "MapAirspaceTransitionHight", 0), 31234);
  map.SetSpinPosition(24);
  uint32_t hint = 1;
  map.Apply(settings, hint);
  EXPECT_EQ(hint, 0u);
  EXPECT_EQ(profile::GetInt(file, "Settings", "MapAirspaceTransitionHight", 0), 12000);
  map.backCourseIls = !map.backCourseIls;
  map.mapChanged = map.backCourseChanged = true;
  map.Apply(settings, hint);
  EXPECT_EQ(hint, 0x122u);
}

TEST_F(OptionsModelTest, SpeedLimitChangeRecomputesThePlan) {
  options::PlanPage plan;
  plan.Load(settings);
  int refreshes = 0;
  uint32_t hint = 0;
  plan.displayChanged = true;
  plan.Apply(settings, [&] { ++refreshes; }, hint);
  EXPECT_EQ(hint, 0x0Au);
  EXPECT_EQ(refreshes, 0);
  plan.speedLimit = 0;
  plan.speedLimitChanged = true;
  plan.Apply(settings, [&] { ++refreshes; }, hint);
  EXPECT_EQ(hint, 0x1Au);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(settings.GetSpeedLimit(true), 0);
}

TEST_F(OptionsModelTest, FmsPresetsPressOnlyTheMatchingButton) {
  options::FmsPage fms;
  fms.Load(settings);
  EXPECT_EQ(fms.PressedPreset(0), 0);
  EXPECT_EQ(fms.PressedPreset(1), 1);
  fms.ApplyPreset(0, 2);
  EXPECT_EQ(fms.PressedPreset(0), 2);
  fms.values[0][5] = 0;
  EXPECT_EQ(fms.PressedPreset(0), -1);
  fms.Apply(settings);
  EXPECT_EQ(settings.GetAvionicsAutoHead(true), 2);
  EXPECT_EQ(settings.GetAvionicsAutoAdf(true), 0);
}

}  // namespace
