#include "basemaker/compiler/CabinetReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>

#include <filesystem>
#include <string>

#include "basemaker/compiler/FileEntryList.h"
#include "basemaker/compiler/tests/support/ScratchDir.h"

namespace {

using testbgl::ScratchDir;

class CabinetReaderTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!testbgl::HaveCabinetMaker()) GTEST_SKIP() << "gcab is not installed";
    testbgl::WriteBytes(m_dir / "src/world/scenery/a.bgl", std::vector<uint8_t>(300, 'a'));
    testbgl::WriteBytes(m_dir / "src/b.bgl", std::vector<uint8_t>(200, 'b'));
    testbgl::WriteBytes(m_dir / "src/readme.txt", {'r'});
    // 2020-03-04 05:06:08 UTC; the cabinet keeps local time, which the test runs in as well.
    struct timespec times[2] = {{1583298368, 0}, {1583298368, 0}};
    ::utimensat(AT_FDCWD, (m_dir / "src/world/scenery/a.bgl").c_str(), times, 0);
    ASSERT_TRUE(testbgl::MakeCabinet(m_dir / "src", m_dir / "area.cab",
                                     {"world/scenery/a.bgl", "b.bgl", "readme.txt"}));
    std::filesystem::remove_all(m_dir / "src");
    std::filesystem::create_directories(m_dir / "tmp");
  }
  ScratchDir m_dir;
};

TEST_F(CabinetReaderTest, ListsSceneryMembersWithoutWritingAFile) {
  CFileEntryList list;
  CCabinetReader reader;
  reader.SetListing((m_dir / "area.cab").string(), &list);
  ASSERT_TRUE(reader.Copy((m_dir / "area.cab").string(), 1));
  ASSERT_EQ(2, list.GetSize());
  const FileEntry* a = &list[0];
  const FileEntry* b = &list[1];
  if (a->name != "a.bgl") std::swap(a, b);
  EXPECT_EQ("world\\scenery\\", a->subfolder);
  EXPECT_EQ("a.bgl", a->name);
  EXPECT_EQ(300u, a->size);
  EXPECT_EQ((m_dir / "area.cab").string(), a->fullPath);
  EXPECT_EQ((1583298368ULL + 11644473600ULL) * 10000000ULL, a->lastWrite);
  EXPECT_EQ("", b->subfolder);
  EXPECT_EQ("b.bgl", b->name);
  EXPECT_EQ(1u, m_dir.CountFiles());
}

TEST_F(CabinetReaderTest, ExtractsOneMemberToATemporaryFileWithItsTime) {
  std::string extracted;
  {
    CCabinetReader reader;
    reader.SetTempFolder((m_dir / "tmp").string());
    reader.SetRequestedMember("WORLD\\scenery\\A.bgl");
    ASSERT_TRUE(reader.Copy((m_dir / "area.cab").string(), 1));
    extracted = reader.GetTempFile();
    EXPECT_EQ(m_dir.path() / "tmp", std::filesystem::path(extracted).parent_path());
    EXPECT_EQ(0u, std::filesystem::path(extracted).filename().string().rfind("TMP", 0));
    EXPECT_EQ(300u, std::filesystem::file_size(extracted));
    struct stat st {};
    ASSERT_EQ(0, ::stat(extracted.c_str(), &st));
    EXPECT_EQ(1583298368, st.st_mtime);
    EXPECT_EQ(1u, static_cast<size_t>(std::distance(std::filesystem::directory_iterator(m_dir / "tmp"),
                                                     std::filesystem::directory_iterator())));
  }
  EXPECT_FALSE(std::filesystem::exists(extracted));
}

TEST_F(CabinetReaderTest, AMemberNotInTheCabinetIsAFailureAndLeavesNothing) {
  CCabinetReader reader;
  reader.SetTempFolder((m_dir / "tmp").string());
  reader.SetRequestedMember("world\\c.bgl");
  EXPECT_FALSE(reader.Copy((m_dir / "area.cab").string(), 1));
  EXPECT_EQ("", reader.GetTempFile());
  EXPECT_TRUE(std::filesystem::is_empty(m_dir / "tmp"));
}

TEST(FileEntryList, CollectorOrder) {
  struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> inserted;  // subfolder, name
    std::vector<std::string> expected;                           // subfolder + name
  } rows[] = {
      {"OneFolderDescends", {{"", "a.bgl"}, {"", "c.bgl"}, {"", "b.bgl"}}, {"c.bgl", "b.bgl", "a.bgl"}},
      {"CaseIsIgnored", {{"", "B.bgl"}, {"", "a.bgl"}, {"", "C.BGL"}}, {"C.BGL", "B.bgl", "a.bgl"}},
      {"SameNameStaysInArrivalOrder", {{"", "a.bgl"}, {"", "A.BGL"}}, {"a.bgl", "A.BGL"}},
      {"FoldersInterleave",
       {{"s\\", "b.bgl"}, {"s\\", "a.bgl"}, {"addon\\s\\", "c.bgl"}, {"addon\\s\\", "a0.bgl"}},
       {"s\\b.bgl", "s\\a.bgl", "addon\\s\\c.bgl", "addon\\s\\a0.bgl"}},
      {"LaterFolderGoesBeforeSmallerNames",
       {{"a\\", "m.bgl"}, {"b\\", "z.bgl"}, {"b\\", "a.bgl"}}, {"b\\z.bgl", "a\\m.bgl", "b\\a.bgl"}},
  };
  for (const Row& row : rows) {
    CFileEntryList list;
    for (const auto& [sub, name] : row.inserted) {
      FileEntry e;
      e.subfolder = sub;
      e.name = name;
      list.InsertInCollectorOrder(e);
    }
    std::vector<std::string> got;
    for (const FileEntry& e : list.Entries()) got.push_back(e.Identity());
    EXPECT_EQ(row.expected, got) << row.name;
  }
  CFileEntryList list;
  FileEntry e;
  e.name = "x";
  list.InsertAt(3, e, 2);
  ASSERT_EQ(5, list.GetSize());
  EXPECT_EQ("", list[2].name);
  EXPECT_EQ("x", list[4].name);
}

}  // namespace
