#include "navdb/ProfileFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = fs::temp_directory_path() / ("cw-profile-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string WriteFile(const char* name, const std::string& bytes) const {
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  CProfileFile& Loaded(const std::string& bytes, const char* filter = nullptr) {
    EXPECT_TRUE(m_profile.Load(WriteFile("in.ini", bytes), filter));
    return m_profile;
  }

  std::string Get(const char* section, const char* key, const char* defaultText = "<default>") const {
    char buffer[256];
    m_profile.GetString(section, key, defaultText, buffer, sizeof buffer);
    return buffer;
  }

  size_t FilesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
  }

  fs::path m_dir;
  CProfileFile m_profile;
};

TEST_F(ProfileFileTest, TrimsNamesKeysAndValuesAndIgnoresCase) {
  Loaded("  [ Main ]  \r\n Key  =  a b \r\n");
  EXPECT_EQ(Get("main", "KEY"), "a b");
}

TEST_F(ProfileFileTest, LineRules) {
  struct Case {
    const char* name;
    const char* file;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"empty value is not loaded", "[S]\r\nKey=\r\n", "Key", "<default>"},
      {"blank value is not loaded", "[S]\r\nKey=   \r\n", "Key", "<default>"},
      {"semicolon only starts a comment at the line start", "[S]\r\nk=v ; note\r\n", "k", "v ; note"},
      {"indented comment", "[S]\r\n   ;k=v\r\n", "k", "<default>"},
      {"line without equals sign", "[S]\r\nk\r\n", "k", "<default>"},
      {"value keeps later equals signs", "[S]\r\nk = a=b\r\n", "k", "a=b"},
      {"lines before any header", "k=v\r\n[S]\r\n", "k", "<default>"},
      {"no line end at the end of the file", "[S]\r\nk=last", "k", "last"},
      {"lone CR stays inside the value", "[S]\r\nk=a\rb\r\n", "k", "a\rb"},
      {"LF-only lines", "[S]\nj=1\nk=2\n", "k", "2"},
      {"mixed line ends", "[S]\r\nj=1\nk=2\r\n", "j", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded(c.file);
    EXPECT_EQ(Get("S", c.key), c.expected);
  }
}

TEST_F(ProfileFileTest, HeadersWithoutEntriesOrNameCreateNoSection) {
  Loaded("[Empty]\r\n[NoClose\r\nk=lost\r\n[]\r\nk=lost\r\n[Kept]\r\nk=v\r\n");
  char buffer[64];
  EXPECT_EQ(m_profile.GetString(nullptr, nullptr, "", buffer, sizeof buffer), 4u);
  EXPECT_EQ(std::string(buffer, 6), std::string("Kept\0\0", 6));
}

TEST_F(ProfileFileTest, LastOfEqualNamesWins) {
  Loaded("[S]\r\nA=1\r\nA=2\r\n");
  EXPECT_EQ(m_profile.GetInt("S", "a", 0), 2);
  EXPECT_TRUE(m_profile.WriteString("S", "A", nullptr));
  EXPECT_EQ(m_profile.GetInt("S", "A", 0), 1);
  EXPECT_TRUE(m_profile.WriteString("S", "A", "3"));
  EXPECT_EQ(m_profile.GetInt("S", "A", 0), 3);

  Loaded("[Area]\r\nk=first\r\n[AREA]\r\nk=second\r\nonly=here\r\n");
  EXPECT_EQ(Get("area", "k"), "second");
  EXPECT_EQ(Get("area", "missing"), "<default>");
}

TEST_F(ProfileFileTest, FilterLoadsOnlyThatSection) {
  Loaded("[Area.001]\r\nTitle=One\r\n[Area.002]\r\nTitle=Two\r\n[area.002]\r\nLayer=5\r\n", "AREA.002");
  EXPECT_EQ(Get("Area.001", "Title"), "<default>");
  EXPECT_EQ(Get("Area.002", "Layer"), "5");
  char buffer[64];
  EXPECT_EQ(m_profile.GetString(nullptr, nullptr, "", buffer, sizeof buffer), 17u);
  EXPECT_EQ(std::string(buffer, 19), std::string("Area.002\0area.002\0\0", 19));
}

TEST_F(ProfileFileTest, ListsEndRightAfterTheLastName) {
  Loaded("[A]\r\nx=1\r\n[BC]\r\nk1=1\r\nk2=2\r\n");
  struct Case {
    const char* name;
    const char* section;
    size_t size;
    size_t result;
    std::string bytes;  // the whole buffer
  };
  const Case cases[] = {
      {"sections, roomy", nullptr, 8, 4, std::string("A\0BC\0\0\0\0", 8)},
      {"sections, exact fit", nullptr, 6, 4, std::string("A\0BC\0\0", 6)},
      {"sections, cut", nullptr, 4, 2, std::string("A\0\0\0", 4)},
      {"keys of a section", "bc", 9, 5, std::string("k1\0k2\0\0\0\0", 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The default text must not show through behind the list.
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(m_profile.GetString(c.section, nullptr, "DEFAULTTEXT", buffer, c.size), c.result);
    EXPECT_EQ(std::string(buffer, c.size), c.bytes);
    EXPECT_EQ(buffer[c.size], '#');
  }

  char buffer[100];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(m_profile.GetString(nullptr, nullptr, "", buffer, sizeof buffer), 4u);
  EXPECT_EQ(std::string(buffer, 6), std::string("A\0BC\0\0", 6));
}

TEST_F(ProfileFileTest, EmptyListsAreEmpty) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(m_profile.GetString(nullptr, nullptr, "dflt", buffer, sizeof buffer), 0u);
  EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));

  m_profile.WriteString("S", "k", "v");
  m_profile.WriteString("S", "k", nullptr);
  EXPECT_EQ(m_profile.GetString("S", nullptr, "dflt", buffer, sizeof buffer), 0u);
  EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));
}

TEST_F(ProfileFileTest, ValuesAreCutToTheBuffer) {
  m_profile.WriteString("S", "k", "abcdef");
  char buffer[8];
  EXPECT_EQ(m_profile.GetString("S", "k", "", buffer, 4), 3u);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(m_profile.GetString("S", "missing", "defaulttext", buffer, 4), 3u);
  EXPECT_STREQ(buffer, "def");
  EXPECT_EQ(m_profile.GetString("Nope", "k", "xy", buffer, sizeof buffer), 2u);
  EXPECT_STREQ(buffer, "xy");
}

TEST_F(ProfileFileTest, IntegerValues) {
  struct Case {
    const char* value;
    int expected;
  };
  const Case cases[] = {
      {"12abc", 12}, {"  -7", -7}, {"+5", 5}, {"abc", 0}, {"-", 0},
      {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}, {"", 42},
  };
  for (const Case& c : cases) {
    m_profile.WriteString("S", "n", c.value);
    EXPECT_EQ(m_profile.GetInt("S", "n", 42), c.expected) << '"' << c.value << '"';
  }
  EXPECT_EQ(m_profile.GetInt("S", "missing", 42), 42);
  EXPECT_EQ(m_profile.GetInt("Missing", "n", 42), 42);

  m_profile.WriteInt("S", "n", -2147483647 - 1);
  EXPECT_EQ(Get("S", "n"), "-2147483648");
}

TEST_F(ProfileFileTest, SaveWritesSectionsSeparatedByAnEmptyLine) {
  m_profile.WriteString("S1", "k", "v");
  m_profile.WriteString("S2", "x", nullptr);  // adds an empty section
  m_profile.WriteInt("S3", "n", 7);
  m_profile.WriteString("s1", "k2", "w");
  const std::string path = (m_dir / "out.ini").string();
  ASSERT_TRUE(m_profile.Save(path));
  EXPECT_EQ(ReadFile(path), "[S1]\r\nk=v\r\nk2=w\r\n\r\n[S2]\r\n\r\n[S3]\r\nn=7\r\n");
  EXPECT_EQ(FilesInDir(), 1u);

  CProfileFile again;
  ASSERT_TRUE(again.Load(path));
  EXPECT_EQ(again.GetInt("S3", "N", 0), 7);
  ASSERT_TRUE(again.Save(path));
  // The empty section is dropped on loading, everything else comes back the same.
  EXPECT_EQ(ReadFile(path), "[S1]\r\nk=v\r\nk2=w\r\n\r\n[S3]\r\nn=7\r\n");
}

TEST_F(ProfileFileTest, FailedSaveKeepsTheOldFile) {
  const std::string old = "[Old]\r\nk=v\r\n";
  const std::string path = WriteFile("keep.ini", old);
  for (int i = 0; i < 200; ++i) {
    m_profile.WriteInt("New", ("key" + std::to_string(i)).c_str(), i);
  }

  // Let the disk "fill up" part-way through the new file.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 256;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_ok = m_profile.Save(path);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(FilesInDir(), 1u) << "the temporary file is removed";

  EXPECT_FALSE(m_profile.Save((m_dir / "missing-dir" / "x.ini").string()));
  EXPECT_TRUE(m_profile.Save(path));
  EXPECT_NE(ReadFile(path), old);
}

TEST_F(ProfileFileTest, LoadFailuresLeaveTheProfileEmpty) {
  Loaded("[S]\r\nk=v\r\n");
  EXPECT_FALSE(m_profile.Load((m_dir / "missing.ini").string()));
  EXPECT_EQ(Get("S", "k"), "<default>");

  Loaded("[S]\r\nk=v\r\n");
  EXPECT_TRUE(m_profile.Load(WriteFile("empty.ini", "")));
  char buffer[8];
  EXPECT_EQ(m_profile.GetString(nullptr, nullptr, "", buffer, sizeof buffer), 0u);
}

TEST_F(ProfileFileTest, LongLinesHaveNoLimit) {
  const std::string value(100000, 'v');
  Loaded("[S]\r\nk=" + value + "\r\n");
  std::string buffer(value.size() + 1, '\0');
  EXPECT_EQ(m_profile.GetString("S", "k", "", buffer.data(), buffer.size()), value.size());
}

}  // namespace
