#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "plotr/core/CommandIds.h"
#include "plotr/shell/HotKeys.h"

namespace {

TEST(HotKeys, KeyNamesMatchExactlyAndFallBackToF9) {
  struct Case {
    const char* name;
    int code;
  } cases[] = {{"1", 0x31}, {"9", 0x39}, {"0", 0x30}, {"F1", 0x70}, {"F10", 0x79}, {"F12", 0x7B},
               {"F9", 0x78}, {"f5", 0x78}, {"F13", 0x78}, {"F01", 0x78}, {"F", 0x78}, {"", 0x78},
               {"10", 0x78}, {"A", 0x78}};
  for (const Case& c : cases) EXPECT_EQ(hotkey::KeyCodeForName(c.name), c.code) << c.name;
}

TEST(HotKeys, TextJoinsModifiersInFixedOrder) {
  struct Case {
    HotKey key;
    const char* text;
  } cases[] = {{{"F9", false, false, false}, "F9"},
               {{"F9", false, true, false}, "Ctrl+F9"},
               {{"F9", false, false, true}, "Shift+F9"},
               {{"5", true, false, false}, "Alt+5"},
               {{"F2", true, true, true}, "Ctrl+Alt+Shift+F2"}};
  for (const Case& c : cases) EXPECT_EQ(hotkey::KeyText(c.key), c.text);
}

class HotKeyTable : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("hotkeys-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    settings.SetProfileFile(dir / "Program.cfg");
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  CSettings settings;
};

TEST_F(HotKeyTable, DefaultsShareF9AndDifferByModifiers) {
  const auto table = hotkey::BuildHotKeyTable(settings);
  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(hotkey::Translate(table, 0x78, false, false, false), cmd::kSwitchKey);
  EXPECT_EQ(hotkey::Translate(table, 0x78, false, true, false), cmd::kDockingKey);
  EXPECT_EQ(hotkey::Translate(table, 0x78, false, false, true), cmd::kFlyPlanKey);
  EXPECT_EQ(hotkey::Translate(table, 0x78, true, false, false), 0);
  EXPECT_EQ(hotkey::Translate(table, 0x78, false, true, true), 0);
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkMultiply, false, false, false), cmd::kZoomInKey);
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkDivide, false, false, false), cmd::kZoomOutKey);
}

TEST_F(HotKeyTable, UnknownStoredNameBecomesF9WithItsModifiers) {
  settings.SetSwitchKey({"Pause", true, false, false});
  const auto table = hotkey::BuildHotKeyTable(settings);
  EXPECT_EQ(hotkey::Translate(table, 0x78, true, false, false), cmd::kSwitchKey);
}

TEST(HotKeys, EditKeysNeedTheirExactModifiers) {
  const auto table = hotkey::EditKeyTable();
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkDelete, false, false, false), cmd::kEditDelete);
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkDelete, false, false, true), cmd::kEditCut);
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkInsert, false, true, false), cmd::kEditCopy);
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkInsert, false, false, true), cmd::kEditPaste);
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkF1, false, false, true), cmd::kContextHelp);
  EXPECT_EQ(hotkey::Translate(table, hotkey::kVkInsert, false, false, false), 0);
}

}  // namespace
