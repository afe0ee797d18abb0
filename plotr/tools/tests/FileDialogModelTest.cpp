#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "plotr/plan/PlanFile.h"
#include "plotr/tools/FileDialogModel.h"

namespace fs = std::filesystem;
using namespace filedlg;

namespace {

class FileDialogModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = (fs::temp_directory_path() / ("filedlg-" + std::to_string(::getpid()))).string() + "/";
    fs::remove_all(dir);
    fs::create_directories(dir + "b-folder/inner");
    fs::create_directories(dir + "A-folder");
    for (const char* f : {"zeta.cwp", "Alpha.CWP", "notes.txt", "beta.cwp"}) std::ofstream(dir + f) << "x";
    drives.Add({"/", win::DriveType::Fixed, "System"});
    drives.Add({dir + "b-folder", win::DriveType::CdRom, ""});
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string dir;
  win::FakeDriveTable drives;
};

TEST(FileDialogFilter, PairsNeedNameAndPatternAndTheirClosingBar) {
  auto f = ParseFilter("Plans (*.cwp)|*.cwp|All Files (*.*)|*. *|");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].name, "Plans (*.cwp)");
  EXPECT_EQ(f[1].pattern, "*.*");
  EXPECT_EQ(ParseFilter("Plans|*.cwp|Rest|*.*").size(), 1u);  // last pair not closed
  EXPECT_EQ(ParseFilter("|*.cwp|Rest|*.*|").size(), 0u);      // empty name ends the list
  EXPECT_EQ(ParseFilter("Plans||Rest|*.*|").size(), 0u);
  EXPECT_EQ(ParseFilter("").size(), 0u);
  EXPECT_EQ(ParseFilter("no bar at all").size(), 0u);
}

TEST(FileDialogFilter, WildcardsMatchWithoutCase) {
  EXPECT_TRUE(MatchesPattern("*.cwp", "KSEA.CWP"));
  EXPECT_FALSE(MatchesPattern("*.cwp", "KSEA.cwpx"));
  EXPECT_TRUE(MatchesPattern("*.*", "README"));
  EXPECT_TRUE(MatchesPattern("k???.cwp", "KSEA.cwp"));
  EXPECT_TRUE(MatchesPattern("*.txt;*.cwp", "a.cwp"));
  EXPECT_FALSE(MatchesPattern("", "a.cwp"));
}

TEST_F(FileDialogModelTest, FolderListSortsFoldersFirstThenFilesByNameWithoutCase) {
  const auto items = ListFolder(drives.Drives(), dir, "*.cwp");
  std::vector<std::string> names;
  for (const auto& i : items) names.push_back(i.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A-folder", "b-folder", "Alpha.CWP", "beta.cwp", "zeta.cwp"}));
  EXPECT_EQ(items[2].image, kImagePlanFile);
  const auto workplace = ListFolder(drives.Drives(), "", "*.*");
  ASSERT_EQ(workplace.size(), 2u);
  EXPECT_EQ(workplace[0].kind, 0);
  EXPECT_EQ(workplace[1].text, "cd-drive (" + dir + "b-folder/)");
}

TEST_F(FileDialogModelTest, BreadcrumbStopsAtTheDeepestExistingFolderOfTheLongestMount) {
  int selected = -1;
  auto items = BuildFolderItems(drives.Drives(), dir + "b-folder/inner/missing/deeper", selected);
  // Workplace, "/" drive, the CD drive (the longest root holding the path), "inner".
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[selected].path, dir + "b-folder/inner/");
  EXPECT_EQ(items[selected].indent, 2);
  EXPECT_EQ(items[2].image, kImageCd);
  items = BuildFolderItems(drives.Drives(), "", selected);
  EXPECT_EQ(selected, 0);
  win::FakeDriveTable none;
  none.Add({"/nonexistent-mount", win::DriveType::Fixed, ""});
  items = BuildFolderItems(none.Drives(), dir, selected);
  EXPECT_EQ(selected, 0) << "a path on no known drive leaves Workplace selected";
}

TEST(FileDialogNames, TypedNameIsCutAndTheExtensionJudgedOnTheNameAlone) {
  EXPECT_EQ(CutName("  C:plans/KSEA.cwp "), "KSEA.cwp");
  EXPECT_EQ(WithDefaultExtension("plan", "cwp"), "plan.cwp");
  EXPECT_EQ(WithDefaultExtension("plan.a", "cwp"), "plan.a");
  EXPECT_EQ(WithDefaultExtension("plan.abcd", "cwp"), "plan.abcd.cwp");
  EXPECT_EQ(WithDefaultExtension("plan", ""), "plan");
}

TEST_F(FileDialogModelTest, SaveAsksBeforeOverwritingAndLeavesNoFileBehind) {
  AcceptResult r = Accept(dir, "new", false, "cwp");
  EXPECT_EQ(r.action, AcceptAction::Done);
  EXPECT_EQ(r.path, dir + "new.cwp");
  EXPECT_FALSE(fs::exists(dir + "new.cwp"));
  r = Accept(dir, "beta", false, "cwp");
  EXPECT_EQ(r.action, AcceptAction::AskOverwrite);
  EXPECT_TRUE(fs::exists(dir + "beta.cwp")) << "the old file stays until the save replaces it";
  EXPECT_NE(r.message.find("Overwrite file?"), std::string::npos);
  EXPECT_EQ(Accept(dir + "missing-folder/", "x", false, "cwp").action, AcceptAction::Error);
  EXPECT_EQ(Accept(dir, "A-folder", false, "cwp").action, AcceptAction::ChangeFolder);
  EXPECT_EQ(Accept(dir, "*.txt", false, "cwp").action, AcceptAction::SetPattern);
  EXPECT_EQ(Accept(dir, "gone.cwp", true, "cwp").action, AcceptAction::Error);
  EXPECT_EQ(Accept(dir, "zeta.cwp", true, "cwp").action, AcceptAction::Done);
}

TEST_F(FileDialogModelTest, RenameRefusesBadNamesAndExistingTargets) {
  for (const char* bad : {"", ".", "..", "a/b"}) EXPECT_FALSE(RenameEntry(dir, "zeta.cwp", bad).empty()) << bad;
  EXPECT_FALSE(RenameEntry(dir, "zeta.cwp", std::string("a\0b", 3)).empty());
  EXPECT_FALSE(RenameEntry(dir, "zeta.cwp", "beta.cwp").empty());
  EXPECT_TRUE(fs::exists(dir + "zeta.cwp"));
  EXPECT_TRUE(RenameEntry(dir, "zeta.cwp", "eta.cwp").empty());
  EXPECT_TRUE(fs::exists(dir + "eta.cwp"));
  EXPECT_TRUE(DeleteEntry(dir, "b-folder").empty());
  EXPECT_FALSE(fs::exists(dir + "b-folder"));
}

TEST(FileDialogPreview, OnlyAWholePlanHeaderOfTheRightLengthShowsItsTitle) {
  PlanFileHeader h;
  h.length = 1000;
  h.version = 105;
  std::strcpy(h.title, "LSZH to LFSB - Aircraft: C172");
  uint8_t bytes[sizeof h];
  std::memcpy(bytes, &h, sizeof h);
  EXPECT_EQ(PlanPreviewTitle(bytes, sizeof bytes, 1000), "LSZH to LFSB - Aircraft: C172");
  EXPECT_EQ(PlanPreviewTitle(bytes, sizeof bytes - 1, 1000), "");
  EXPECT_EQ(PlanPreviewTitle(bytes, sizeof bytes, 999), "");
  for (uint16_t v : {99, 106}) {
    PlanFileHeader other = h;
    other.version = v;
    std::memcpy(bytes, &other, sizeof other);
    EXPECT_EQ(PlanPreviewTitle(bytes, sizeof bytes, 1000), "") << v;
  }
  h.magic[0] = 'X';
  std::memcpy(bytes, &h, sizeof h);
  EXPECT_EQ(PlanPreviewTitle(bytes, sizeof bytes, 1000), "");
  // A title without its terminating zero stays inside its field.
  PlanFileHeader full;
  full.length = 1000;
  std::memset(full.title, 'A', sizeof full.title);
  std::memcpy(bytes, &full, sizeof full);
  EXPECT_EQ(PlanPreviewTitle(bytes, sizeof bytes, 1000).size(), sizeof full.title);
}

}  // namespace
