#include "platform/cab/Cabinet.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/cab/tests/support/CabinetWriter.h"

namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "cw_cab_XXXXXX").string();
    m_path = ::mkdtemp(tmpl.data());
  }
  ~TempDir() { fs::remove_all(m_path); }
  const fs::path& path() const { return m_path; }

 private:
  fs::path m_path;
};

void WriteFile(const fs::path& p, const std::string& data) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << data;
}

void WriteBytes(const fs::path& p, const std::vector<uint8_t>& data) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t CountFiles(const fs::path& dir) {
  size_t n = 0;
  for (const auto& e : fs::recursive_directory_iterator(dir)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

// Runs the cabinet maker in `dir` over `members` (relative paths); false when it is missing.
bool MakeCab(const fs::path& dir, const std::string& cab, const std::vector<std::string>& members) {
  if (std::system("command -v gcab >/dev/null 2>&1") != 0) return false;
  std::string cmd = "cd '" + dir.string() + "' && gcab -c -z '" + cab + "'";
  for (const auto& m : members) cmd += " '" + m + "'";
  return std::system(cmd.c_str()) == 0;
}

// Records every member and extracts the ones whose names are asked for.
class Recorder : public cab::ICopyHandler {
 public:
  cab::CopyAction OnCopyFile(const cab::MemberInfo& member, std::string& target) override {
    seen.push_back(member);
    for (const auto& [name, path] : wanted) {
      if (cab::SameMemberName(name, member.name)) {
        target = path;
        return cab::CopyAction::kExtract;
      }
    }
    return cab::CopyAction::kSkip;
  }
  bool OnNextCabinet(const std::string& name, const std::string&, std::string& folder,
                     cab::Error) override {
    ++nextCabinetCalls;
    asked.push_back(name);
    if (redirect.empty()) return false;
    folder = redirect;
    return true;
  }
  std::vector<cab::MemberInfo> seen;
  std::vector<std::pair<std::string, std::string>> wanted;
  std::vector<std::string> asked;
  std::string redirect;
  int nextCabinetCalls = 0;
};

TEST(Cabinet, ListsMembersWithoutWritingAnything) {
  TempDir dir;
  WriteFile(dir.path() / "src/world/scenery/a.bgl", "AAAA");
  WriteFile(dir.path() / "src/b.bgl", "BB");
  WriteFile(dir.path() / "src/readme.txt", "r");
  if (!MakeCab(dir.path() / "src", "../set.cab", {"world/scenery/a.bgl", "b.bgl", "readme.txt"})) {
    GTEST_SKIP() << "gcab is not installed";
  }
  fs::remove_all(dir.path() / "src");
  cab::CabinetInfo info;
  ASSERT_TRUE(cab::IsCabinet((dir.path() / "set.cab").string(), &info));
  EXPECT_EQ(3, info.fileCount);
  EXPECT_FALSE(info.hasNext);

  Recorder rec;
  cab::Error err;
  ASSERT_TRUE(cab::Copy((dir.path() / "set.cab").string(), rec, true, &err));
  ASSERT_EQ(3u, rec.seen.size());
  EXPECT_EQ("world\\scenery\\a.bgl", rec.seen[0].name);
  EXPECT_EQ(4u, rec.seen[0].size);
  EXPECT_EQ(1u, CountFiles(dir.path()));  // the cabinet alone
}

TEST(Cabinet, ExtractsOneMemberMatchedCaselessWithItsTime) {
  TempDir dir;
  WriteFile(dir.path() / "src/world/scenery/a.bgl", std::string(70000, 'x') + "end");
  WriteFile(dir.path() / "src/b.bgl", "BB");
  struct timespec times[2] = {{1583298368, 0}, {1583298368, 0}};  // 2020-03-04 05:06:08 UTC
  ::utimensat(AT_FDCWD, (dir.path() / "src/world/scenery/a.bgl").c_str(), times, 0);
  if (!MakeCab(dir.path() / "src", "../set.cab", {"world/scenery/a.bgl", "b.bgl"})) {
    GTEST_SKIP() << "gcab is not installed";
  }
  Recorder rec;
  const fs::path out = dir.path() / "out.tmp";
  rec.wanted = {{"WORLD\\Scenery\\A.BGL", out.string()}};
  ASSERT_TRUE(cab::Copy((dir.path() / "set.cab").string(), rec, true));
  EXPECT_EQ(std::string(70000, 'x') + "end", ReadFile(out));
  struct stat st {};
  ASSERT_EQ(0, ::stat(out.c_str(), &st));
  const cab::MemberInfo& m = rec.seen[0];
  EXPECT_EQ((cab::DosTimeToFileTime(m.dosDate, m.dosTime) / 10000000ULL) - 11644473600ULL,
            static_cast<uint64_t>(st.st_mtime));
}

TEST(Cabinet, RejectsWhatIsNoCabinetOrIsBroken) {
  TempDir dir;
  WriteFile(dir.path() / "plain.cab", "not a cabinet at all");
  std::vector<uint8_t> good = testcab::MakeCabinet({{"a.bgl", std::string(100, 'a')}});
  std::vector<uint8_t> cut(good.begin(), good.end() - 50);
  WriteBytes(dir.path() / "cut.cab", cut);
  Recorder rec;
  rec.wanted = {{"a.bgl", (dir.path() / "a.out").string()}};
  cab::Error err = cab::Error::kNone;
  EXPECT_FALSE(cab::IsCabinet((dir.path() / "plain.cab").string()));
  EXPECT_FALSE(cab::Copy((dir.path() / "plain.cab").string(), rec, true, &err));
  EXPECT_EQ(cab::Error::kNotACabinet, err);
  EXPECT_FALSE(cab::Copy((dir.path() / "missing.cab").string(), rec, true, &err));
  EXPECT_EQ(cab::Error::kCabinetNotFound, err);
  EXPECT_FALSE(cab::Copy((dir.path() / "cut.cab").string(), rec, true, &err));
}

TEST(Cabinet, NeverOffersMembersThatClimbOutOfTheirFolder) {
  TempDir dir;
  WriteBytes(dir.path() / "evil.cab",
             testcab::MakeCabinet({{"..\\..\\evil.bgl", "e"}, {"\\abs.bgl", "a"},
                                   {"C:\\x.bgl", "c"}, {"ok\\..x.bgl", "k"}}));
  Recorder rec;
  ASSERT_TRUE(cab::Copy((dir.path() / "evil.cab").string(), rec, true));
  ASSERT_EQ(1u, rec.seen.size());
  EXPECT_EQ("ok\\..x.bgl", rec.seen[0].name);
}

TEST(Cabinet, FollowsASpannedSetAndStopsWhenTheNextCabinetIsMissing) {
  TempDir dir;
  WriteBytes(dir.path() / "disk1.cab",
             testcab::MakeCabinet({{"a.bgl", "aa"}}, {7, 0, "", "DISK2.CAB"}));
  WriteBytes(dir.path() / "elsewhere.bin", {});
  fs::create_directories(dir.path() / "other");
  WriteBytes(dir.path() / "other/disk2.cab",
             testcab::MakeCabinet({{"b.bgl", "bbb"}}, {7, 1, "DISK1.CAB", ""}));

  // Missing next cabinet: the default handler gives up instead of asking forever.
  Recorder giveUp;
  cab::Error err = cab::Error::kNone;
  EXPECT_FALSE(cab::Copy((dir.path() / "disk1.cab").string(), giveUp, true, &err));
  EXPECT_EQ(cab::Error::kUserAbort, err);
  EXPECT_EQ(std::vector<std::string>{"DISK2.CAB"}, giveUp.asked);

  // A handler that always says "try again" in the same folder is still cut off.
  Recorder stubborn;
  stubborn.redirect = dir.path().string();
  EXPECT_FALSE(cab::Copy((dir.path() / "disk1.cab").string(), stubborn, true, &err));
  EXPECT_GT(stubborn.nextCabinetCalls, 1);
  EXPECT_LT(stubborn.nextCabinetCalls, 100);

  // Pointed at the right folder, both cabinets' members come through, found caselessly.
  Recorder found;
  found.redirect = (dir.path() / "other").string();
  ASSERT_TRUE(cab::Copy((dir.path() / "disk1.cab").string(), found, true, &err));
  ASSERT_EQ(2u, found.seen.size());
  EXPECT_EQ("b.bgl", found.seen[1].name);

  // Without following the set only the first cabinet is read.
  Recorder firstOnly;
  ASSERT_TRUE(cab::Copy((dir.path() / "disk1.cab").string(), firstOnly, false, &err));
  EXPECT_EQ(1u, firstOnly.seen.size());
}

TEST(Cabinet, RefusesACabinetOfAnotherSetAsTheNextOne) {
  TempDir dir;
  WriteBytes(dir.path() / "disk1.cab",
             testcab::MakeCabinet({{"a.bgl", "aa"}}, {7, 0, "", "disk2.cab"}));
  WriteBytes(dir.path() / "disk2.cab",
             testcab::MakeCabinet({{"b.bgl", "bb"}}, {8, 1, "disk1.cab", ""}));
  Recorder rec;
  cab::Error err;
  EXPECT_FALSE(cab::Copy((dir.path() / "disk1.cab").string(), rec, true, &err));
  EXPECT_EQ(1, rec.nextCabinetCalls);
}

TEST(Cabinet, MemberNameHelpers) {
  struct Row {
    const char* name;
    bool safe;
  } rows[] = {{"a.bgl", true},      {"w\\s\\a.bgl", true}, {"..", false},     {"a\\..\\b", false},
              {"a/../b", false},    {"\\a", false},        {"C:a", false},    {"", false},
              {"a\\..b\\c", true}};
  for (const Row& r : rows) EXPECT_EQ(r.safe, cab::IsSafeMemberName(r.name)) << r.name;
  EXPECT_TRUE(cab::SameMemberName("World\\A.BGL", "world/a.bgl"));
  EXPECT_FALSE(cab::SameMemberName("a.bgl", "a.bg"));
  EXPECT_EQ(0u, cab::DosTimeToFileTime(0, 0));
}

}  // namespace
