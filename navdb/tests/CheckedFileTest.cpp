#include "navdb/CheckedFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CheckedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = fs::temp_directory_path() /
            ("cw-checkedfile-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string PathOf(const char* name) const { return (m_dir / name).string(); }

  // A file whose byte at position p is p % 251, so any read shows where it came from.
  std::string MakeNumberedFile(const char* name, size_t length) const {
    std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary);
    for (size_t p = 0; p < length; ++p) {
      out.put(static_cast<char>(p % 251));
    }
    return path;
  }

  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path m_dir;
};

constexpr unsigned kReader = CCheckedFile::modeRead | CCheckedFile::shareDenyWrite;
constexpr unsigned kWriter = CCheckedFile::modeCreate | CCheckedFile::modeWrite | CCheckedFile::shareExclusive;

TEST_F(CheckedFileTest, ReadAddressesRecordsFromTheStart) {
  struct Case {
    const char* name;
    uint64_t index, recordSize, offset;
    int64_t expectedStart;  // where the bytes come from; the file is first positioned at 100
  };
  const Case cases[] = {
      {"all zero reads at the current position", 0, 0, 0, 100},
      {"header plus records", 3, 14, 488, 530},
      {"offset alone", 0, 14, 5, 5},
      {"index alone", 2, 100, 0, 200},
  };
  const std::string path = MakeNumberedFile("numbers.bin", 1024);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CCheckedFile file;
    ASSERT_TRUE(file.Open(path, kReader));
    ASSERT_EQ(file.Seek(100, CCheckedFile::begin), 100);
    unsigned char buffer[10] = {};
    ASSERT_EQ(file.Read(buffer, sizeof buffer, nullptr, c.index, c.recordSize, c.offset), 10u);
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(buffer[i], (c.expectedStart + i) % 251);
    }
    EXPECT_EQ(file.Seek(0, CCheckedFile::current), c.expectedStart + 10);
  }
}

TEST_F(CheckedFileTest, ReadAtTheEndReturnsWhatIsThere) {
  CCheckedFile file;
  ASSERT_TRUE(file.Open(MakeNumberedFile("short.bin", 20), kReader));
  EXPECT_EQ(file.GetLength(), 20u);
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, sizeof buffer, nullptr, 1, 15, 0), 5u);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

TEST_F(CheckedFileTest, RecordAddressThatOverflowsFailsCleanly) {
  CCheckedFile file;
  ASSERT_TRUE(file.Open(MakeNumberedFile("any.bin", 20), kReader));
  CFileException error;
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(file.Read(buffer, sizeof buffer, &error, UINT64_MAX / 2, 16, 0), 0u);
  EXPECT_EQ(error.m_cause, CFileException::badSeek);
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_FALSE(file.Write(buffer, sizeof buffer, &error, 1, 16, UINT64_MAX - 8));
  EXPECT_EQ(error.m_cause, CFileException::badSeek);
}

TEST_F(CheckedFileTest, WritesRecordsAndTruncatesOnCreate) {
  const std::string path = MakeNumberedFile("out.bin", 500);
  CCheckedFile file;
  ASSERT_TRUE(file.Open(path, kWriter));
  EXPECT_EQ(file.GetLength(), 0u);
  ASSERT_TRUE(file.Write("HEAD", 4));
  ASSERT_TRUE(file.Write("bb", 2, nullptr, 1, 2, 4));  // 4 + 1 * 2
  ASSERT_TRUE(file.Write("aa", 2, nullptr, 0, 2, 4));
  ASSERT_TRUE(file.Flush());
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Contents(path), "HEADaabb");
}

TEST_F(CheckedFileTest, OperationsOnAClosedFile) {
  CCheckedFile file;
  CFileException error;
  char buffer[4] = {'x', 'x', 'x', 'x'};

  EXPECT_EQ(file.Read(buffer, sizeof buffer, &error, 1, 2, 3), 0u);
  EXPECT_EQ(std::string(buffer, 4), "xxxx");

  // Nothing can be written, and the caller is told so.
  EXPECT_FALSE(file.Write(buffer, sizeof buffer, &error));
  EXPECT_EQ(error.m_cause, CFileException::invalidFile);

  EXPECT_TRUE(file.Close(&error));
  EXPECT_EQ(error.m_cause, CFileException::none);
  EXPECT_EQ(file.Seek(10, CCheckedFile::begin, &error), 0);
  EXPECT_TRUE(file.Flush(&error));
  EXPECT_EQ(file.GetLength(&error), 0u);
}

TEST_F(CheckedFileTest, FailuresFillTheRecord) {
  CCheckedFile file;
  CFileException error;
  const std::string missing = PathOf("missing.bin");
  EXPECT_FALSE(file.Open(missing, kReader, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_osError, ENOENT);
  EXPECT_EQ(error.m_fileName, missing);

  EXPECT_FALSE(file.Open(m_dir.string(), kReader, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);

  const std::string path = MakeNumberedFile("seek.bin", 10);
  ASSERT_TRUE(file.Open(path, kReader, &error));
  EXPECT_EQ(error.m_cause, CFileException::none);
  EXPECT_EQ(error.m_osError, -1);

  EXPECT_EQ(file.Seek(-5, CCheckedFile::begin, &error), -1);
  EXPECT_EQ(error.m_cause, CFileException::badSeek);
  EXPECT_EQ(error.m_osError, EINVAL);
  EXPECT_EQ(error.m_fileName, path);

  // The next successful call clears the record again.
  EXPECT_EQ(file.Seek(3, CCheckedFile::begin, &error), 3);
  EXPECT_EQ(error.m_cause, CFileException::none);
  EXPECT_TRUE(error.m_fileName.empty());
}

TEST_F(CheckedFileTest, ExclusiveWriterCannotTruncateAFileBeingRead) {
  const std::string path = MakeNumberedFile("shared.bin", 64);
  CCheckedFile reader;
  ASSERT_TRUE(reader.Open(path, kReader));
  CCheckedFile secondReader;
  EXPECT_TRUE(secondReader.Open(path, kReader));

  CCheckedFile writer;
  CFileException error;
  EXPECT_FALSE(writer.Open(path, kWriter, &error));
  EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
  EXPECT_EQ(fs::file_size(path), 64u);

  reader.Close();
  secondReader.Close();
  EXPECT_TRUE(writer.Open(path, kWriter, &error));
  CCheckedFile lateReader;
  EXPECT_FALSE(lateReader.Open(path, kReader, &error));
  EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
}

TEST_F(CheckedFileTest, RenameAndRemove) {
  const std::string a = MakeNumberedFile("a.bin", 3);
  const std::string b = MakeNumberedFile("b.bin", 7);
  CFileException error;

  // Renaming onto an existing name is refused and both files survive.
  EXPECT_FALSE(CCheckedFile::Rename(a, b, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);
  EXPECT_EQ(fs::file_size(a), 3u);
  EXPECT_EQ(fs::file_size(b), 7u);

  const std::string c = PathOf("c.bin");
  EXPECT_TRUE(CCheckedFile::Rename(a, c, &error));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(fs::file_size(c), 3u);

  EXPECT_TRUE(CCheckedFile::Remove(c, &error));
  EXPECT_FALSE(CCheckedFile::Remove(c, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_fileName, c);
}

}  // namespace
