#include "platform/profile/Profile.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ProfileFiles : public testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(testing::TempDir()) / ("profile-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    file = folder / "Program.cfg";
  }
  void TearDown() override {
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder);
  }
  // Files in the folder other than the profile: leftovers of a failed write.
  std::vector<std::string> Others() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path() != file) names.push_back(entry.path().filename().string());
    }
    return names;
  }
  fs::path folder, file;
};

TEST_F(ProfileFiles, MissingFileReadsAsEmptyAndIsCreatedByTheFirstWrite) {
  EXPECT_EQ(profile::GetString(file, "Settings", "LastScenery", "none"), "none");
  EXPECT_EQ(profile::GetInt(file, "Essential", "SimVer", 90), 90);
  EXPECT_TRUE(profile::GetSectionNames(file).empty());
  EXPECT_TRUE(profile::GetKeys(file, "Settings").empty());
  EXPECT_TRUE(profile::DeleteKey(file, "Settings", "x"));
  EXPECT_TRUE(profile::DeleteSection(file, "Settings"));
  EXPECT_FALSE(fs::exists(file));

  ASSERT_TRUE(profile::WriteInt(file, "Essential", "SimVer", 61));
  ASSERT_TRUE(profile::WriteString(file, "Settings", "HoldingDist", "5"));
  EXPECT_EQ(ReadAll(file), "[Essential]\r\nSimVer=61\r\n\r\n[Settings]\r\nHoldingDist=5\r\n");
  EXPECT_EQ(profile::GetInt(file, "essential", "simver", 90), 61);
  EXPECT_TRUE(Others().empty());
}

TEST_F(ProfileFiles, EditsKeepEverythingElseOfAHandEditedFile) {
  WriteAll(file, "; mine\n[Settings]\nMapGrid = 1\n\n[Docked]\nPlanHeight=100\n");
  ASSERT_TRUE(profile::WriteString(file, "SETTINGS", "mapgrid", "0"));
  ASSERT_TRUE(profile::DeleteSection(file, "docked"));
  EXPECT_EQ(ReadAll(file), "; mine\r\n[Settings]\r\nMapGrid = 0\r\n\r\n");
  ASSERT_TRUE(profile::DeleteKey(file, "Settings", "MAPGRID"));
  EXPECT_EQ(profile::GetKeys(file, "Settings"), std::vector<std::string>{});
  EXPECT_EQ(profile::GetSectionNames(file), std::vector<std::string>{"Settings"});
}

TEST_F(ProfileFiles, KeepsTheFilesPermissions) {
  WriteAll(file, "[S]\nk=1\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(profile::WriteString(file, "S", "k", "2"));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProfileFiles, NeverRewritesAFileItCouldNotRead) {
  fs::create_directory(file);  // reads fail: it is a folder
  std::ofstream(file / "inside") << "x";
  EXPECT_FALSE(profile::WriteString(file, "S", "k", "v"));
  EXPECT_FALSE(profile::DeleteKey(file, "S", "k"));
  EXPECT_TRUE(fs::is_directory(file));
  EXPECT_EQ(Others(), std::vector<std::string>{});
  EXPECT_FALSE(profile::WriteString(folder / "NoSuchFolder" / "x.ini", "S", "k", "v"));
}

// The old file stays whole when the new one cannot be put in place. Root may write into any
// folder, so the write is tried from a child process that has given up root.
TEST_F(ProfileFiles, ReadOnlyFolderKeepsTheOldFile) {
  const std::string before = "[Settings]\r\nUseSound=1\r\n";
  WriteAll(file, before);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    bool written = profile::WriteString(file, "Settings", "UseSound", "0");
    ::_exit(written ? 1 : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot drop root here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have failed";
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_TRUE(Others().empty());
}

}  // namespace
