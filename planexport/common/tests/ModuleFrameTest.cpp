#include "planexport/common/ModuleFrame.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "planexport/common/Coordinates.h"
#include "planexport/common/testing/ScriptedPlan.h"
#include "platform/profile/Profile.h"

namespace {

namespace fs = std::filesystem;
using namespace flpxtest;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ModuleFrame, FoldersAreCutFromTheSettingsPath) {
  struct Case {
    const char* settings;
    int cuts;
    const char* name;
    const char* expected;  // nullptr: no folder that high
  };
  const Case cases[] = {
      {"/sim/Modules/Chartwright/FlpExport/FlpExport.ini", 0, "Other.ini", "/sim/Modules/Chartwright/FlpExport/Other.ini"},
      {"/sim/Modules/Chartwright/FlpExport/FlpExport.ini", 2, "fsint.ini", "/sim/Modules/fsint.ini"},
      {"/sim/Modules/Chartwright/FlpExport/FlpExport.ini", 3, "Gpsplan.dat", "/sim/Gpsplan.dat"},
      {"/Modules/Chartwright/FlpExport/FlpExport.ini", 3, "Gpsplan.dat", "/Gpsplan.dat"},
      {"/Chartwright/FlpExport/FlpExport.ini", 3, "Gpsplan.dat", nullptr},  // too shallow for a simulator root
      {"/FlpExport/FlpExport.ini", 2, "fsint.ini", nullptr},                 // too shallow for a client folder
      {"FlpExport.ini", 0, "x", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.settings << " cut " << c.cuts);
    std::string out = "unchanged";
    EXPECT_EQ(FlpxPathAbove(c.settings, c.cuts, c.name, out), c.expected != nullptr);
    if (c.expected) {
      EXPECT_EQ(out, c.expected);
    }
  }

  std::string settings;
  EXPECT_TRUE(FlpxSettingsPathFor("/sim/Modules/Chartwright/FlpExport/Tabtext.so", settings));
  EXPECT_EQ(settings, "/sim/Modules/Chartwright/FlpExport/FlpExport.ini");
  EXPECT_FALSE(FlpxSettingsPathFor("Tabtext.so", settings));
  EXPECT_EQ(FlpxFolderOf("/a/b/plan.txt"), "/a/b/");
  EXPECT_EQ(FlpxFolderOf("plan.txt"), "plan.txt");
  EXPECT_EQ(FlpxFilter("Netplanb", "sfp"), "Netplanb Flight Plan (*.sfp)|*.sfp|All Files (*.*)|*.*||");
  EXPECT_EQ(FlpxCaption("Gpsplan", "Export Options"), "Gpsplan Export Options");
}

TEST(ModuleFrame, CoordinatesRoundToHundredthsOfAMinute) {
  struct Case {
    double value;
    bool negative;
    int degrees;
    double minutes;
  };
  const Case cases[] = {
      {47.4497, false, 47, 26.98}, {-122.3106, true, 122, 18.64}, {8.5, false, 8, 30.0},
      {-0.0001, true, 0, 0.01},    {47.99999, false, 48, 0.0},    {0.0, false, 0, 0.0},
      // Half hundredths of a minute, which one factor of 6000 rounds the other way.
      {7.81675, false, 7, 49.01},  {-7.69625, true, 7, 41.78},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const FlpxDegMin d = SplitDegrees(c.value);
    EXPECT_EQ(d.negative, c.negative);
    EXPECT_EQ(d.degrees, c.degrees);
    EXPECT_NEAR(d.minutes, c.minutes, 1e-9);
  }
  EXPECT_EQ(SplitDegrees(std::nan("")).degrees, 0);
  EXPECT_EQ(TruncUnsigned(-3), 0u);
  EXPECT_EQ(TruncUnsigned(std::nan("")), 0u);
  EXPECT_EQ(TruncUnsigned(1e30), 4294967295u);
  EXPECT_EQ(TruncInt(-1e30), INT_MIN);
  EXPECT_EQ(TruncInt(-2.9), -2);
}

class ExportFlowTest : public ::testing::Test {
 protected:
  // A folder per test: ctest runs the tests of this file side by side.
  ExportFlowTest()
      : m_folder(fs::path(::testing::TempDir()) /
                 (std::string("flpx_flow_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                  "_" + std::to_string(::getpid()))) {
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    ResetScript();
    SetAirport(Script().info.departure, "Zurich", "LSZH", 0, 0, 0, 0, 0);
    SetAirport(Script().info.arrival, "Basel", "LFSB", 0, 0, 0, 0, 0);
    m_settings = (m_folder / "FlpExport.ini").string();
  }
  ~ExportFlowTest() override {
    CExportFile::FailAtPrint(0);
    fs::remove_all(m_folder);
  }

  int Run(bool refuse, int lines = 3) {
    const FlpxCall call{m_imports, &Script(), &m_parent, "Tester", m_settings.c_str()};
    const FlpxTarget target{"tst", "TST", "/default/", true};
    return FlpxRunExport(call, target, refuse, [&](CExportFile& file, const FlpxPlanInfo& info) {
      for (int i = 1; i <= lines; ++i) {
        if (!file.Print("line %d of %.5s\n", i, info.departure.ident)) return 0;
      }
      return 1;
    });
  }
  int FileCount() const { return static_cast<int>(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator())); }

  fs::path m_folder;
  std::string m_settings;
  FlpxImportTableRecord m_imports = ScriptedImports();
  int m_parent = 0;
};

TEST_F(ExportFlowTest, RemembersTheChosenFolderAndSeedsTheNextDialog) {
  Script().savePath = (m_folder / "plan.tst").string();
  ASSERT_EQ(Run(true), 1);
  EXPECT_EQ(ReadBytes(m_folder / "plan.tst"), "line 1 of LSZH\r\nline 2 of LSZH\r\nline 3 of LSZH\r\n");
  EXPECT_EQ(Script().initialDirSeen, "/default/");
  EXPECT_EQ(Script().defaultExtSeen, "TST");
  EXPECT_EQ(Script().filterSeen, "Tester Flight Plan (*.tst)|*.tst|All Files (*.*)|*.*||");
  EXPECT_EQ(Script().parentSeen, &m_parent);
  EXPECT_EQ(profile::GetString(m_settings, "Tester", "InitialDir", ""), m_folder.string() + "/");

  ASSERT_EQ(Run(true), 1);
  EXPECT_EQ(Script().initialDirSeen, m_folder.string() + "/");

  // A chosen name without any folder is stored whole (and written relative to the current folder).
  const fs::path current = fs::current_path();
  fs::current_path(m_folder);
  Script().savePath = "relative.tst";
  EXPECT_EQ(Run(true), 1);
  fs::current_path(current);
  EXPECT_EQ(profile::GetString(m_settings, "Tester", "InitialDir", ""), "relative.tst");
  EXPECT_TRUE(fs::exists(m_folder / "relative.tst"));
}

TEST_F(ExportFlowTest, ADefaultNameAndAModuleFolderSeedTheDialog) {
  Script().savePath = (m_folder / "chosen.tst").string();
  profile::WriteString(m_settings, "Tester", "InitialDir", "/stored/");
  const FlpxCall call{m_imports, &Script(), &m_parent, "Tester", m_settings.c_str()};
  FlpxTarget target{"tst", "TST", "/module/folder/", false, false, "Z\xC3\xBCrich to Basel.TST"};
  std::string path;
  ASSERT_EQ(FlpxAskTarget(call, target, path), FlpxAsked::Path);
  EXPECT_EQ(path, Script().savePath);
  EXPECT_EQ(Script().initialDirSeen, "/module/folder/") << "the stored folder is not read";
  EXPECT_EQ(Script().initialNameSeen, "Z\xC3\xBCrich to Basel.TST");
  EXPECT_EQ(profile::GetString(m_settings, "Tester", "InitialDir", ""), "/stored/") << "nor stored back";

  // A name longer than the path buffer is left out rather than cut.
  target.defaultName = std::string(kFlpxPathSize, 'x');
  ASSERT_EQ(FlpxAskTarget(call, target, path), FlpxAsked::Path);
  EXPECT_EQ(Script().initialNameSeen, "");
}

TEST_F(ExportFlowTest, CancelAndRefusalTouchNothing) {
  Script().savePath = (m_folder / "plan.tst").string();
  Script().saveAccepts = false;
  EXPECT_EQ(Run(true), 1) << "a cancelled dialog is not a failure";
  EXPECT_EQ(FileCount(), 0) << "no file and no settings written";

  Script().saveAccepts = true;
  Script().info.departure.present = 0;
  EXPECT_EQ(Run(true), 0);
  EXPECT_EQ(Script().saveCalls, 1) << "refused before the dialog";
  EXPECT_EQ(Run(false), 1) << "modules that do not refuse write anyway";

  Script().infoFails = true;
  EXPECT_EQ(Run(true), 0);
}

TEST_F(ExportFlowTest, AFailedWriteKeepsThePreviousFile) {
  const fs::path target = m_folder / "plan.tst";
  Script().savePath = target.string();
  for (int failAt = 1; failAt <= 3; ++failAt) {
    SCOPED_TRACE(failAt);
    std::ofstream(target, std::ios::binary) << "previous";
    CExportFile::FailAtPrint(failAt);
    EXPECT_EQ(Run(true), 0);
    EXPECT_EQ(ReadBytes(target), "previous");
    EXPECT_EQ(FileCount(), 2) << "the target and the settings, no temporary file";
  }
  // A folder that cannot take the file fails without touching anything.
  Script().savePath = (m_folder / "missing" / "plan.tst").string();
  EXPECT_EQ(Run(true), 0);
}

TEST_F(ExportFlowTest, PathsAsLongAsTheFileSystemTakesAreWritten) {
  // A host that hands over a path without its terminator: cut to fit, it would name another file
  // (here "plan.ts"), and taken for a cancel, nobody would hear of it.
  const std::string name = "plan.tst";
  const std::string folder = m_folder.string();
  Script().savePath = folder + std::string(kFlpxPathSize - folder.size() - name.size(), '/') + name;
  Script().saveUnterminated = true;
  EXPECT_EQ(Run(true), 0) << "a failure, which the host reports";
  EXPECT_EQ(FileCount(), 0) << "no file and no settings written";

  // Folders named in UTF-8 pass the 260 bytes of older path buffers soon.
  fs::path deep = m_folder;
  while (deep.string().size() < 700) deep /= "Fl\xC3\xBCge nach \xC3\x9C" "bersee";
  fs::create_directories(deep);
  Script().savePath = (deep / name).string();
  ASSERT_EQ(Run(true), 1);
  EXPECT_EQ(ReadBytes(deep / name), "line 1 of LSZH\r\nline 2 of LSZH\r\nline 3 of LSZH\r\n");
  EXPECT_EQ(profile::GetString(m_settings, "Tester", "InitialDir", ""), deep.string() + "/");
}

TEST_F(ExportFlowTest, OntoALinkTheFileItLeadsToIsReplacedAndTheLinkKept) {
  const fs::path real = m_folder / "real";
  fs::create_directories(real);
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // in the test folder: name, what it holds
    fs::path written;  // where the plan lands, through the first link
    bool existed;
  };
  const Case cases[] = {
      {"an absolute link", {{"absolute.tst", (real / "a.tst").string()}}, real / "a.tst", true},
      {"a relative link", {{"relative.tst", "real/b.tst"}}, real / "b.tst", true},
      {"a chain of links", {{"chain.tst", "hop.tst"}, {"hop.tst", "real/c.tst"}}, real / "c.tst", true},
      {"a link to a file not made yet", {{"dangling.tst", "real/d.tst"}}, real / "d.tst", false},
  };
  size_t files = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.existed) std::ofstream(c.written, std::ios::binary) << "previous";
    for (const auto& [link, leadsTo] : c.links) fs::create_symlink(leadsTo, m_folder / link);
    Script().savePath = (m_folder / c.links.front().first).string();
    ASSERT_EQ(Run(true), 1);
    EXPECT_EQ(ReadBytes(c.written), "line 1 of LSZH\r\nline 2 of LSZH\r\nline 3 of LSZH\r\n");
    for (const auto& [link, leadsTo] : c.links) {
      ASSERT_TRUE(fs::is_symlink(m_folder / link)) << link;
      EXPECT_EQ(fs::read_symlink(m_folder / link), leadsTo);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(real), fs::directory_iterator()), static_cast<long>(++files))
        << "no temporary file left";
  }

  // Links in a loop lead to no file: the export fails and they stay.
  fs::create_symlink("loop-b.tst", m_folder / "loop-a.tst");
  fs::create_symlink("loop-a.tst", m_folder / "loop-b.tst");
  Script().savePath = (m_folder / "loop-a.tst").string();
  EXPECT_EQ(Run(true), 0);
  EXPECT_EQ(fs::read_symlink(m_folder / "loop-a.tst"), "loop-b.tst");
}

TEST(ExportFile, NumbersStayInTheCLocale) {
  // A comma-decimal locale built for the test, as GTK would set from the user's environment.
  const fs::path locales = fs::path(::testing::TempDir()) / ("flpx_locales_" + std::to_string(::getpid()));
  fs::create_directories(locales);
  const std::string command =
      "localedef -i de_DE -f UTF-8 '" + (locales / "de_DE.UTF-8").string() + "' > /dev/null 2>&1";
  if (!fs::exists(locales / "de_DE.UTF-8" / "LC_NUMERIC") && std::system(command.c_str()) != 0 &&
      !fs::exists(locales / "de_DE.UTF-8" / "LC_NUMERIC")) {
    GTEST_SKIP() << "localedef could not build de_DE (package locales)";
  }
  ::setenv("LOCPATH", locales.c_str(), 1);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
  char check[16];
  std::snprintf(check, sizeof check, "%.1f", 1.5);
  EXPECT_STREQ(check, "1,5") << "the locale really uses a comma";

  const fs::path file = locales / "numbers.txt";
  CExportFile out;
  ASSERT_TRUE(out.Open(file.string()));
  EXPECT_TRUE(out.Print("%0.6f %.2f %5.0f\n", 47.5, 114.25, 1234.0));
  EXPECT_TRUE(out.Commit(true));
  EXPECT_EQ(FormatC("%.1f", 2.5), "2.5");
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LOCPATH");
  EXPECT_EQ(ReadBytes(file), "47.500000 114.25  1234\r\n");
  fs::remove_all(locales);
}

}  // namespace
