#include "basemaker/app/BuilderStartup.h"

#include <gtest/gtest.h>

#include "basemaker/app/BuilderSettings.h"
#include "basemaker/app/tests/SimRootFixture.h"

namespace {

TEST(BuilderStartup, FoldersComeFromTheExecutablesPlace) {
  struct Case {
    const char* exe;
    const char* program;
    const char* database;
    const char* simRoot;
  };
  const Case cases[] = {
      {"/sim/Modules/Nav/Bin/Basemaker", "/sim/Modules/Nav/Bin", "/sim/Modules/Nav", "/sim"},
      {"/a/b/sim/Modules/Nav/Bin/Basemaker", "/a/b/sim/Modules/Nav/Bin", "/a/b/sim/Modules/Nav",
       "/a/b/sim"},
      // Too short for the layout: the levels that are missing stop at the root.
      {"/Nav/Bin/Basemaker", "/Nav/Bin", "/Nav", "/"},
      {"/Basemaker", "/", "/", "/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    const BuilderFolders folders = FoldersFromExecutable(c.exe);
    EXPECT_EQ(folders.programFolder, c.program);
    EXPECT_EQ(folders.databaseFolder, c.database);
    EXPECT_EQ(folders.simRoot, c.simRoot);
  }
}

class BuilderStart : public SimRootTest {};

TEST_F(BuilderStart, SimulatorVersionChoosesTheMainDialog) {
  struct Case {
    const char* profile;  // nullptr: no Program.cfg at all
    int simVer;
    BuilderMode mode;
  };
  const Case cases[] = {
      {nullptr, 90, BuilderMode::Full},
      {"[Essential]\r\nOther=1\r\n", 90, BuilderMode::Full},
      {"[Essential]\r\nSimVer=61\r\n", 61, BuilderMode::Simple},
      {"[Essential]\r\nSimVer=65\r\n", 65, BuilderMode::InstallationError},
      {"[Essential]\r\nSimVer=0\r\n", 0, BuilderMode::InstallationError},
      {"[Essential]\r\nSimVer=70\r\n", 70, BuilderMode::Full},
      {"[ESSENTIAL]\r\nsimver=80\r\n", 80, BuilderMode::Full},
      {"[Essential]\r\nSimVer=90\r\n", 90, BuilderMode::Full},
  };
  const auto exe = Root() / "Modules" / "Chartwright" / "Bin" / "Basemaker";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile ? c.profile : "no profile");
    std::filesystem::remove_all(Root() / "Modules");
    std::filesystem::create_directories(exe.parent_path());
    if (c.profile) Put("Modules/Chartwright/Bin/Program.cfg", c.profile);
    const BuilderStartup startup = StartBuilder(exe);
    EXPECT_EQ(startup.simVer, c.simVer);
    EXPECT_EQ(startup.mode, c.mode);
    EXPECT_EQ(startup.folders.simRoot, Root());
    EXPECT_EQ(startup.profileFile, exe.parent_path() / "Program.cfg");
  }
}

TEST_F(BuilderStart, ProfileIsFoundInAnyLetterCase) {
  Put("Modules/Chartwright/Bin/PROGRAM.CFG", "[Essential]\r\nSimVer=61\r\n");
  const BuilderStartup startup = StartBuilder(Root() / "Modules/Chartwright/Bin/Basemaker");
  EXPECT_EQ(startup.profileFile, Root() / "Modules/Chartwright/Bin/PROGRAM.CFG");
  EXPECT_EQ(startup.mode, BuilderMode::Simple);
}

TEST_F(BuilderStart, DriveLettersComeFromTheWinePrefixTheSimulatorLivesIn) {
  const auto sim = Root() / "prefix/drive_c/FS9";
  std::filesystem::create_directories(sim / "Modules/Chartwright/Bin");
  std::filesystem::create_directories(Root() / "prefix/dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", Root() / "prefix/dosdevices/c:");
  const BuilderStartup startup = StartBuilder(sim / "Modules/Chartwright/Bin/Basemaker");
  const win::DriveRoots expected = {{'C', std::filesystem::canonical(Root() / "prefix/drive_c")}};
  EXPECT_EQ(expected, startup.driveRoots);
}

TEST_F(BuilderStart, SimVerIsReadOnceAndCached) {
  Put("Program.cfg", "[Essential]\r\nSimVer=80\r\n");
  CBuilderSettings settings(Root() / "Program.cfg");
  EXPECT_EQ(settings.GetSimVer(), 80);
  Put("Program.cfg", "[Essential]\r\nSimVer=61\r\n");
  EXPECT_EQ(settings.GetSimVer(), 80);
}

TEST(BuilderStartup, RunningProgramFindsItsOwnExecutable) {
  const auto exe = CurrentExecutablePath();
  ASSERT_TRUE(exe);
  EXPECT_TRUE(std::filesystem::exists(*exe));
  const BuilderStartup startup = StartBuilder();
  EXPECT_EQ(startup.folders.programFolder, exe->parent_path());
}

}  // namespace
