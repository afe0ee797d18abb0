#include "platform/win/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>

namespace {

std::atomic<int> g_umaskChanges{0};

}  // namespace

// Every umask call of this program passes here: the process's mask is shared by all its threads,
// so a writer that changes it for a moment changes the mode of files other threads create.
extern "C" mode_t umask(mode_t mask) noexcept {
  const auto previous = static_cast<mode_t>(::syscall(SYS_umask, mask));
  if (previous != mask) ++g_umaskChanges;
  return previous;
}

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t EntryCount(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

mode_t ModeOf(const fs::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
  return st.st_mode & 07777;
}

class AtomicFileTest : public testing::Test {
 protected:
  AtomicFileTest() : folder(fs::path(testing::TempDir()) / ("atomic-" + std::to_string(::getpid()))) {
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  ~AtomicFileTest() override { fs::remove_all(folder); }
  fs::path folder;
};

TEST_F(AtomicFileTest, ReplacesTheTargetOrLeavesItAlone) {
  fs::create_directories(folder / "Busy");
  std::ofstream(folder / "Busy" / "inside") << "x";

  ASSERT_TRUE(win::WriteFileAtomically(folder / "new.bin", std::string("a\0b", 3)));
  EXPECT_EQ(ReadBytes(folder / "new.bin"), std::string("a\0b", 3));

  // A rename over a folder fails: the folder stays and no temporary file is left behind.
  std::error_code error;
  EXPECT_FALSE(win::WriteFileAtomically(folder / "Busy", "data", &error));
  EXPECT_TRUE(error);
  EXPECT_TRUE(fs::is_regular_file(folder / "Busy" / "inside"));
  EXPECT_EQ(EntryCount(folder), 2u);

  EXPECT_FALSE(win::WriteFileAtomically(folder / "Missing" / "x", "data"));
}

TEST_F(AtomicFileTest, NamesUpToTheFolderLimitAreWritten) {
  std::string umlauts;
  while (umlauts.size() + 2 <= 255) umlauts += "\xC3\xBC";
  for (const std::string& name : {std::string(255, 'n'), "x" + umlauts, std::string(248, 'n') + ".PLN"}) {
    SCOPED_TRACE(name.size());
    ASSERT_TRUE(win::WriteFileAtomically(folder / name, "first"));
    ASSERT_TRUE(win::WriteFileAtomically(folder / name, "second"));
    EXPECT_EQ(ReadBytes(folder / name), "second");
  }
  EXPECT_EQ(EntryCount(folder), 3u) << "no temporary file left";
}

TEST_F(AtomicFileTest, ModesComeFromTheTargetOrTheUmaskWhichStaysUntouched) {
  const mode_t saved = ::umask(027);
  g_umaskChanges = 0;
  ASSERT_TRUE(win::WriteFileAtomically(folder / "new.ini", "new"));
  EXPECT_EQ(ModeOf(folder / "new.ini"), 0640u);

  std::ofstream(folder / "kept.ini") << "old";
  fs::permissions(folder / "kept.ini", fs::perms(0604));
  ASSERT_TRUE(win::WriteFileAtomically(folder / "kept.ini", "replaced"));
  EXPECT_EQ(ModeOf(folder / "kept.ini"), 0604u);
  EXPECT_EQ(ReadBytes(folder / "kept.ini"), "replaced");

  EXPECT_EQ(g_umaskChanges, 0) << "the process's umask was changed while writing";
  ::umask(saved);
}

TEST_F(AtomicFileTest, LinksAreFollowedToTheFileTheyLeadTo) {
  fs::create_directories(folder / "real");
  std::ofstream(folder / "real" / "plan.txt") << "x";
  fs::create_symlink(folder / "real" / "plan.txt", folder / "absolute");
  fs::create_symlink("real/plan.txt", folder / "relative");
  fs::create_symlink("relative", folder / "chain");
  fs::create_symlink("real/missing.txt", folder / "dangling");
  fs::create_symlink("loop-b", folder / "loop-a");
  fs::create_symlink("loop-a", folder / "loop-b");

  struct Row {
    const char* name;
    fs::path expected;  // empty: an error
  } rows[] = {
      {"plain.txt", folder / "plain.txt"},
      {"real/plan.txt", folder / "real" / "plan.txt"},
      {"absolute", folder / "real" / "plan.txt"},
      {"relative", folder / "real" / "plan.txt"},
      {"chain", folder / "real" / "plan.txt"},
      {"dangling", folder / "real" / "missing.txt"},
      {"loop-a", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::error_code error;
    const fs::path followed = win::FollowLinks(folder / row.name, error);
    EXPECT_EQ(bool(error), row.expected.empty());
    EXPECT_EQ(followed.lexically_normal(), row.expected);
  }
}

}  // namespace
