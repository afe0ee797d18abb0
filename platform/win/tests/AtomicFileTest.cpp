#include "platform/win/AtomicFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesTheTargetOrLeavesItAlone) {
  fs::path folder = fs::path(testing::TempDir()) / ("atomic-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "Busy");
  std::ofstream(folder / "Busy" / "inside") << "x";

  ASSERT_TRUE(win::WriteFileAtomically(folder / "new.bin", std::string("a\0b", 3)));
  std::ifstream in(folder / "new.bin", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("a\0b", 3));

  // A rename over a folder fails: the folder stays and no temporary file is left behind.
  std::error_code error;
  EXPECT_FALSE(win::WriteFileAtomically(folder / "Busy", "data", &error));
  EXPECT_TRUE(error);
  EXPECT_TRUE(fs::is_regular_file(folder / "Busy" / "inside"));
  size_t entries = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
  EXPECT_EQ(entries, 2u);

  EXPECT_FALSE(win::WriteFileAtomically(folder / "Missing" / "x", "data"));
  fs::remove_all(folder);
}

}  // namespace
