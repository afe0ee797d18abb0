#include "platform/win/WinePrefix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class WinePrefixTest : public testing::Test {
 protected:
  void SetUp() override {
    base = fs::path(testing::TempDir()) / ("wineprefix-" + std::to_string(::getpid()));
    fs::remove_all(base);
    for (const char* prefix : {"wine", "env", "home/.wine"}) fs::create_directories(base / prefix / "dosdevices");
    fs::create_directories(base / "wine/drive_c/Games/FS9");
    fs::create_directories(base / "plain/FS9");
  }
  void TearDown() override { fs::remove_all(base); }
  fs::path base;
};

TEST_F(WinePrefixTest, FoundAboveTheInstallationElseFromTheEnvironmentElseInHome) {
  const std::string env = (base / "env").string(), home = (base / "home").string(), plain = (base / "plain").string();
  struct Row {
    const char* name;
    fs::path installation;
    const char* winePrefix;
    const char* home;
    std::optional<fs::path> expected;
  } rows[] = {
      {"holding prefix first", base / "wine/drive_c/Games/FS9", env.c_str(), home.c_str(), base / "wine"},
      {"then WINEPREFIX", base / "plain/FS9", env.c_str(), home.c_str(), base / "env"},
      {"then ~/.wine", base / "plain/FS9", "", home.c_str(), base / "home/.wine"},
      {"a WINEPREFIX without dosdevices is none", base / "plain/FS9", plain.c_str(), nullptr, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, win::FindWinePrefix(row.installation, row.winePrefix, row.home)) << row.name;
  }
}

TEST_F(WinePrefixTest, DriveLettersLeadToTheRealFoldersOfTheirLinks) {
  const fs::path devices = base / "wine/dosdevices";
  fs::create_directories(base / "media/cd");
  fs::create_directory_symlink("../drive_c", devices / "c:");
  fs::create_directory_symlink(base / "media/cd", devices / "D:");
  fs::create_symlink("/dev/null", devices / "d::");            // raw device of the drive
  fs::create_directory_symlink(base / "gone", devices / "e:");  // leads nowhere
  std::ofstream(base / "file") << "x";
  fs::create_symlink(base / "file", devices / "f:");  // not a folder
  std::ofstream(devices / "readme") << "x";
  const win::DriveRoots roots = win::WineDriveRoots(base / "wine");
  const win::DriveRoots expected = {{'C', fs::canonical(base / "wine/drive_c")}, {'D', fs::canonical(base / "media/cd")}};
  EXPECT_EQ(expected, roots);
  EXPECT_EQ(win::ResolveWinPath("c:\\GAMES\\fs9", "/nowhere", &roots), fs::canonical(base / "wine/drive_c/Games/FS9"));
}

// Per-user configuration of a Windows program lives in the user's application-data folder: the
// current Wine layout first, the older one else, letter case as the files came.
TEST_F(WinePrefixTest, ApplicationDataFolderIsTheUsersRoamingFolderOnDriveC) {
  struct Row {
    const char* name;
    std::vector<const char*> folders;  // below drive_c
    const char* user;
    bool driveC;
    const char* expected;  // below drive_c; null: none
  } rows[] = {
      {"current layout", {"users/pilot/AppData/Roaming"}, "pilot", true, "users/pilot/AppData/Roaming"},
      {"older layout", {"users/pilot/Application Data"}, "pilot", true, "users/pilot/Application Data"},
      {"current layout wins", {"users/pilot/Application Data", "users/pilot/AppData/Roaming"}, "pilot", true,
       "users/pilot/AppData/Roaming"},
      {"any letter case", {"Users/Pilot/appdata/roaming"}, "pilot", true, "Users/Pilot/appdata/roaming"},
      {"another user's folder", {"users/other/AppData/Roaming"}, "pilot", true, nullptr},
      {"no profile yet", {"users/pilot"}, "pilot", true, nullptr},
      {"no drive C", {"users/pilot/AppData/Roaming"}, "pilot", false, nullptr},
      {"no user", {"users/AppData/Roaming"}, "", true, nullptr},
      {"a user name leaving the folder", {"AppData/Roaming"}, "..", true, nullptr},
  };
  for (const Row& row : rows) {
    const fs::path prefix = base / "app";
    fs::remove_all(prefix);
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c");
    if (row.driveC) fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
    for (const char* folder : row.folders) fs::create_directories(prefix / "drive_c" / folder);
    const std::optional<fs::path> expected =
        row.expected ? std::optional<fs::path>(fs::canonical(prefix / "drive_c" / row.expected)) : std::nullopt;
    EXPECT_EQ(expected, win::WineAppDataFolder(prefix, row.user)) << row.name;
  }
  // An installation inside a prefix finds the folder of the user running it.
  fs::create_directory_symlink("../drive_c", base / "wine/dosdevices/c:");
  const fs::path roaming = base / "wine/drive_c/users" / win::WineUserName() / "AppData/Roaming";
  fs::create_directories(roaming);
  EXPECT_EQ(fs::canonical(roaming), win::AppDataFolderFor(base / "wine/drive_c/Games/FS9"));
}

}  // namespace
