#include "plotr/shell/ModuleApp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/profile/Profile.h"
#include "platform/win/WinePrefix.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/WorldMap.h"

namespace {

namespace fs = std::filesystem;

class ModuleAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("moduleapp-" + std::to_string(getpid())) / "";
    fs::create_directories(root / "Modules/Chartwright/Bin");
  }
  void TearDown() override { fs::remove_all(root); }
  // A copy of a versioned executable as the simulator's program.
  std::string Simulator(const char* fixture) {
    fs::copy_file(fixture, root / "sim", fs::copy_options::overwrite_existing);
    return (root / "sim").string();
  }
  fs::path root;
};

TEST_F(ModuleAppTest, FoldersDeriveFromTheExecutableAndTheVersionGivesTheInterfaceWord) {
  struct Case { const char* exe; int simVer; uint32_t word; } cases[] = {
      {FIXTURE_EXE_V61, 61, 0}, {FIXTURE_EXE_V70, 70, 0}, {FIXTURE_EXE_V80, 80, 0x800}, {FIXTURE_EXE_V90, 90, 0x900}};
  for (const Case& c : cases) {
    CSettings settings;
    CModuleApp app(&settings);
    ASSERT_TRUE(app.InitInstance(Simulator(c.exe))) << c.simVer;
    EXPECT_EQ(c.word, app.GetInterfaceWord()) << c.simVer;
    EXPECT_EQ(c.simVer, profile::GetInt(root / "Modules/Chartwright/Bin/Program.cfg", "Essential", "SimVer", 0));
    const std::string product = root.string() + "Modules/Chartwright/";
    EXPECT_EQ(root.string(), app.GetSimulatorFolder());
    EXPECT_EQ(product, app.GetProductFolder());
    EXPECT_EQ(product + "Plan/", app.GetPlanFolder());
    EXPECT_EQ(product + "FlpExport/", app.GetExportFolder());
    EXPECT_EQ(product + "Bin/", app.GetBinFolder());
    EXPECT_EQ(product + "SidStar/", app.GetSidStarFolder());
    EXPECT_EQ(product + "Bin/Plotr.hlp", app.GetHelpFile());
    EXPECT_EQ(product + "Bin/Program.cfg", settings.GetProfileFile());
    EXPECT_EQ(fs::path(product + "Aircraft.ini"), AircraftIniPath());
    EXPECT_EQ(fs::path(product + "Bin/world.map"), WorldMapPath());
  }
}

TEST_F(ModuleAppTest, AnUnknownSimulatorVersionFailsTheStart) {
  CSettings settings;
  CModuleApp app(&settings);
  EXPECT_FALSE(app.InitInstance(Simulator(FIXTURE_EXE_V75)));
  uint32_t word = 7;
  EXPECT_FALSE(InterfaceWordForSimVer(75, word));
  EXPECT_FALSE(InterfaceWordForSimVer(0, word));
}

TEST_F(ModuleAppTest, AnExecutableWithoutAFolderMakesEveryFolderRelative) {
  CSettings settings;
  CModuleApp app(&settings);
  app.InitInstance("sim");  // no version readable: the stored SimVer (default 61) decides
  EXPECT_EQ("", app.GetSimulatorFolder());
  EXPECT_EQ("Modules/Chartwright/", app.GetProductFolder());
  EXPECT_EQ("Modules/Chartwright/Bin/Program.cfg", app.GetProfileFile());
}

TEST_F(ModuleAppTest, RecentFilesAreReadAtStartAndWrittenAtExit) {
  const fs::path cfg = root / "Modules/Chartwright/Bin/Program.cfg";
  std::ofstream(cfg, std::ios::binary) << "[Recent File List]\r\nFile1=C:\\Plans\\a.cwp\r\nFile3=b.cwp\r\n"
                                          "[Settings]\r\nPreviewPages=2\r\n";
  CSettings settings;
  CModuleApp app(&settings);
  ASSERT_TRUE(app.InitInstance(Simulator(FIXTURE_EXE_V90)));
  ASSERT_EQ(4u, app.GetRecentFiles().size());
  EXPECT_EQ("C:\\Plans\\a.cwp", app.GetRecentFiles()[0]);
  EXPECT_EQ("", app.GetRecentFiles()[1]);
  EXPECT_EQ("b.cwp", app.GetRecentFiles()[2]);
  EXPECT_EQ(2, app.GetPreviewPages());
  fs::remove(cfg);
  EXPECT_EQ(0, app.ExitInstance());
  EXPECT_EQ("b.cwp", profile::GetString(cfg, "Recent File List", "File3", ""));
  EXPECT_EQ(2, profile::GetInt(cfg, "Settings", "PreviewPages", 0));
}

// A plan that no longer opens leaves the list; the list written at exit is the shorter one, and
// the next start finds each file once.
TEST_F(ModuleAppTest, ARemovedRecentFileLeavesNoStaleKeyBehind) {
  const fs::path cfg = root / "Modules/Chartwright/Bin/Program.cfg";
  std::ofstream(cfg, std::ios::binary) << "[Recent File List]\r\nFile1=a.cwp\r\nFile2=b.cwp\r\nFile3=c.cwp\r\n"
                                          "File4=d.cwp\r\n";
  {
    CSettings settings;
    CModuleApp app(&settings);
    ASSERT_TRUE(app.InitInstance(Simulator(FIXTURE_EXE_V90)));
    app.RemoveFromRecentFileList("b.cwp");
    app.ExitInstance();
  }
  EXPECT_EQ("", profile::GetString(cfg, "Recent File List", "File4", "")) << "the fourth key stayed";
  CSettings settings;
  CModuleApp app(&settings);
  ASSERT_TRUE(app.InitInstance(Simulator(FIXTURE_EXE_V90)));
  EXPECT_EQ(app.GetRecentFiles(), (std::vector<std::string>{"a.cwp", "c.cwp", "d.cwp", ""}));
  // Opening one again puts it first, still once.
  app.AddToRecentFileList("d.cwp");
  app.ExitInstance();
  CSettings again;
  CModuleApp next(&again);
  ASSERT_TRUE(next.InitInstance(Simulator(FIXTURE_EXE_V90)));
  EXPECT_EQ(next.GetRecentFiles(), (std::vector<std::string>{"d.cwp", "a.cwp", "c.cwp", ""}));
}

// A simulator of the newest version keeps its airspeed display in the user's application data;
// installed in a Wine prefix, that is the prefix's folder of the user running it. What it says
// wins over the stored choice at every start; without it, indicated airspeed is assumed.
TEST_F(ModuleAppTest, TheNewestSimulatorsAirspeedSettingComesFromItsWinePrefix) {
  struct Case {
    const char* name;
    const char* config;  // FS9.cfg in the application data; null: none
    bool indicated;
  } cases[] = {
      {"true airspeed", "[REALISM]\r\nTrueAirspeed=True\r\n", false},
      {"indicated airspeed", "[REALISM]\r\nTrueAirspeed=False\r\n", true},
      {"no configuration", nullptr, true},
  };
  for (const Case& c : cases) {
    const fs::path prefix = root / "prefix";
    fs::remove_all(prefix);
    const fs::path sim = prefix / "drive_c/Program Files/Sim/";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
    fs::create_directories(sim / "Modules/Chartwright/Bin");
    const fs::path appData = prefix / "drive_c/users" / win::WineUserName() / "AppData/Roaming";
    fs::create_directories(appData / "Microsoft/FS9");
    if (c.config) std::ofstream(appData / "Microsoft/FS9/FS9.cfg", std::ios::binary) << c.config;
    const fs::path cfg = sim / "Modules/Chartwright/Bin/Program.cfg";
    std::ofstream(cfg, std::ios::binary) << "[Settings]\r\nUseIndicatedAirSpeed=" << (c.indicated ? 0 : 1) << "\r\n";
    fs::copy_file(FIXTURE_EXE_V90, sim / "sim");
    CSettings settings;
    CModuleApp app(&settings);
    ASSERT_TRUE(app.InitInstance((sim / "sim").string())) << c.name;
    EXPECT_EQ(c.indicated, settings.GetUseIndicatedAirSpeed(false)) << c.name;
    EXPECT_EQ(c.indicated ? 1 : 0, profile::GetInt(cfg, "Settings", "UseIndicatedAirSpeed", -1)) << c.name;
  }
}

}  // namespace
