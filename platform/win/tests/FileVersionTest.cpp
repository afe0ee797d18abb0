#include "platform/win/FileVersion.h"

#include "cw/SourceDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(std::string& image, size_t at, uint64_t value, size_t width) {
  if (image.size() < at + width) image.resize(at + width);
  for (size_t i = 0; i < width; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
}

std::string VersionNoteBytes(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision) {
  win::VersionNote note{12, 8, 1, "Chartwright", {major, minor, build, revision}};
  return std::string(reinterpret_cast<const char*>(&note), sizeof note);
}

// A minimal ELF image holding `notes` at 0x100, described by one section header or by one
// program header at 0x200.
std::string MakeElf(bool wide, bool asSegment, const std::string& notes) {
  std::string image(0x200, '\0');
  std::memcpy(image.data(), "\x7f" "ELF", 4);
  image[4] = wide ? 2 : 1;
  image[5] = 1;
  image[6] = 1;
  image.replace(0x100, notes.size(), notes);
  const size_t w = wide ? 8 : 4;
  if (asSegment) {
    Put(image, wide ? 32 : 28, 0x200, w);            // program header table
    Put(image, wide ? 54 : 42, wide ? 56 : 32, 2);   // entry size
    Put(image, wide ? 56 : 44, 1, 2);                // count
    Put(image, 0x200, 4, 4);                         // PT_NOTE
    Put(image, 0x200 + (wide ? 8 : 4), 0x100, w);
    Put(image, 0x200 + (wide ? 32 : 16), notes.size(), w);
    Put(image, 0x200 + (wide ? 48 : 28), 4, w);
  } else {
    Put(image, wide ? 40 : 32, 0x200, w);            // section header table
    Put(image, wide ? 58 : 46, wide ? 64 : 40, 2);
    Put(image, wide ? 60 : 48, 1, 2);
    Put(image, 0x200 + 4, 7, 4);                     // SHT_NOTE
    Put(image, 0x200 + (wide ? 24 : 16), 0x100, w);
    Put(image, 0x200 + (wide ? 32 : 20), notes.size(), w);
    Put(image, 0x200 + (wide ? 48 : 32), 4, w);
    image.resize(0x200 + (wide ? 64 : 40));
  }
  return image;
}

TEST(FileVersion, ReadsTheNoteOfABuiltExecutable) {
  auto version = win::GetFileVersion(CW_VERSION_FIXTURE);
  ASSERT_TRUE(version);
  EXPECT_EQ(version->major, 9);
  EXPECT_EQ(version->minor, 1);
  EXPECT_EQ(version->build, 2304);
  EXPECT_EQ(version->revision, 17);
}

TEST(FileVersion, FindsNothingWhereThereIsNoNote) {
  EXPECT_FALSE(win::GetFileVersion("/proc/self/exe"));  // this test carries no version
  EXPECT_FALSE(win::GetFileVersion(std::string(CW_VERSION_FIXTURE) + ".missing"));
  EXPECT_FALSE(win::GetFileVersion(std::filesystem::path(CW_SOURCE_DIR) / "CMakeLists.txt"));
  EXPECT_FALSE(win::GetFileVersion(testing::TempDir()));  // a folder
}

TEST(FileVersion, ReadsBothWidthsFromSectionsOrSegments) {
  // Another note in front must be stepped over.
  std::string other = std::string("\x04\0\0\0\x04\0\0\0\x03\0\0\0GNU\0\x01\x02\x03\x04", 20);
  std::string notes = other + VersionNoteBytes(8, 0, 1, 2);
  for (bool wide : {false, true}) {
    for (bool asSegment : {false, true}) {
      auto version = win::ParseFileVersion(MakeElf(wide, asSegment, notes));
      ASSERT_TRUE(version) << wide << asSegment;
      EXPECT_EQ(version->major, 8);
      EXPECT_EQ(version->revision, 2);
    }
  }
}

TEST(FileVersion, RefusesDamagedImages) {
  std::string note = VersionNoteBytes(1, 2, 3, 4);
  struct Case {
    const char* name;
    std::string image;
  } cases[] = {
      {"bigEndian", [&] { auto i = MakeElf(true, false, note); i[5] = 2; return i; }()},
      {"unknownClass", [&] { auto i = MakeElf(true, false, note); i[4] = 3; return i; }()},
      {"hugeNameSize", [&] { auto n = note; Put(n, 0, 0xFFFFFFFF, 4); return MakeElf(true, false, n); }()},
      {"hugeDescSize", [&] { auto n = note; Put(n, 4, 0xFFFFFFF0, 4); return MakeElf(true, true, n); }()},
      {"noteAreaPastEnd", [&] { auto i = MakeElf(true, false, note); Put(i, 0x200 + 24, ~0ULL - 8, 8); return i; }()},
      {"noteSizePastEnd", [&] { auto i = MakeElf(false, true, note); Put(i, 0x200 + 16, 0x7FFFFFFF, 4); return i; }()},
      {"tableOfManyEntries", [&] { auto i = MakeElf(true, false, note); Put(i, 60, 0xFFFF, 2); return i; }()},
      {"tinyEntrySize", [&] { auto i = MakeElf(true, false, note); Put(i, 58, 4, 2); return i; }()},
      {"descCutShort", [&] { auto n = note; Put(n, 4, 6, 4); return MakeElf(true, false, n.substr(0, 30)); }()},
      {"wrongOwner", [&] { auto n = note; n[12] = 'c'; return MakeElf(true, false, n); }()},
  };
  for (const auto& c : cases) EXPECT_FALSE(win::ParseFileVersion(c.image)) << c.name;
}

TEST(FileVersion, TruncatedOrScrambledExecutablesNeverGiveAWrongVersion) {
  std::string image = ReadAll(CW_VERSION_FIXTURE);
  ASSERT_GT(image.size(), 1000u);
  for (size_t length = 0; length < image.size(); length += 1 + length / 16) {
    auto version = win::ParseFileVersion(std::string_view(image).substr(0, length));
    if (version) {
      EXPECT_EQ(version->build, 2304) << length;
    }
  }
  std::mt19937 random(1234);
  for (int round = 0; round < 300; ++round) {
    std::string scrambled = image;
    for (int flips = 0; flips < 8; ++flips) {
      // Mostly the headers, where a bad value sends the reader furthest astray.
      size_t at = random() % 2 ? random() % 128 : random() % scrambled.size();
      scrambled[at] = static_cast<char>(random());
    }
    win::ParseFileVersion(scrambled);
  }
}

}  // namespace
