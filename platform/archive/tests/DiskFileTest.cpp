#include "platform/archive/DiskFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using archive::DiskFile;
using archive::FileException;

class DiskFiles : public testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(testing::TempDir()) / ("diskfile-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t Entries() {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }
  fs::path folder;
};

TEST_F(DiskFiles, ReportsOpenFailuresWithTheirCause) {
  struct Case {
    const char* name;
    fs::path path;
    unsigned flags;
    int cause;
  } cases[] = {
      {"missing", folder / "missing.cwp", DiskFile::modeRead, FileException::fileNotFound},
      {"missingFolder", folder / "no" / "x.cwp", DiskFile::modeCreate | DiskFile::modeWrite,
       FileException::fileNotFound},
      {"folder", folder, DiskFile::modeRead, FileException::accessDenied},
      {"throughAFile", folder / "file" / "x", DiskFile::modeRead, FileException::badPath},
  };
  std::ofstream(folder / "file") << "x";
  for (const auto& c : cases) {
    DiskFile file;
    FileException error(FileException::none, -1, "");
    EXPECT_FALSE(file.Open(c.path, c.flags, &error)) << c.name;
    EXPECT_EQ(error.cause, c.cause) << c.name;
    EXPECT_EQ(error.fileName, c.path.string()) << c.name;
    EXPECT_GT(error.osError, 0) << c.name;
  }
  EXPECT_THROW(DiskFile(folder / "missing", DiskFile::modeRead), FileException);
}

TEST_F(DiskFiles, WritesSeeksAndReadsBack) {
  fs::path path = folder / "plan.cwp";
  {
    DiskFile file(path, DiskFile::modeCreate | DiskFile::modeReadWrite);
    file.Write("0123456789", 10);
    file.Seek(2, archive::SeekFrom::begin);
    char two[2];
    EXPECT_EQ(file.Read(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "23");
    file.Write("xy", 2);  // straight after a read
    EXPECT_EQ(file.GetLength(), 10u);
    file.Close();
  }
  EXPECT_EQ(Contents(path), "0123xy6789");
  DiskFile file(path, DiskFile::modeRead);
  char buffer[20];
  file.Seek(8, archive::SeekFrom::begin);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
  EXPECT_THROW(file.Seek(-1, archive::SeekFrom::begin), FileException);
}

TEST_F(DiskFiles, ReplaceOnCloseKeepsTheOldFileUntilTheNewOneIsComplete) {
  fs::path path = folder / "Plan.cwp";
  std::ofstream(path) << "old plan";
  {
    DiskFile file(path, DiskFile::modeReplaceOnClose);
    file.Write("half", 4);
    EXPECT_EQ(Contents(path), "old plan");
    // Leaving without Close (as when a save throws) discards the new file.
  }
  EXPECT_EQ(Contents(path), "old plan");
  EXPECT_EQ(Entries(), 1u);

  DiskFile file(path, DiskFile::modeReplaceOnClose);
  file.Write("new plan", 8);
  file.Close();
  EXPECT_EQ(Contents(path), "new plan");
  EXPECT_EQ(Entries(), 1u);

  // The target cannot be replaced (it is a folder): Close throws and nothing is left behind.
  fs::create_directories(folder / "Busy" / "inside");
  DiskFile busy(folder / "Busy", DiskFile::modeReplaceOnClose);
  busy.Write("x", 1);
  EXPECT_THROW(busy.Close(), FileException);
  EXPECT_EQ(Entries(), 2u);
}

}  // namespace
