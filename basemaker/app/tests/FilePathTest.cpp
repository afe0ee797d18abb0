#include "basemaker/app/FilePath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "basemaker/app/FindFirstMatch.h"

namespace {

struct SplitCase {
  const char* name;
  const char* path;
  const char* drive;
  const char* directory;
  const char* fileName;
  const char* extension;
  const char* folder;
  const char* nameWithExtension;
};

const SplitCase kSplitCases[] = {
    {"CabinetInTemp", "C:\\TEMP\\x.cab", "C", "\\TEMP", "x", "cab", "C:\\TEMP", "x.cab"},
    {"RootDirectoryKeepsItsBackslash", "D:\\x.bgl", "D", "\\", "x", "bgl", "D:\\", "x.bgl"},
    {"NoExtensionGivesNoDot", "C:\\A\\README", "C", "\\A", "README", "", "C:\\A", "README"},
    {"LastDotStartsExtension", "C:\\a.b\\c.d.e", "C", "\\a.b", "c.d", "e", "C:\\a.b", "c.d.e"},
    {"FolderOnly", "C:\\A\\B\\", "C", "\\A\\B", "", "", "C:\\A\\B", ""},
    {"NoDrive", "Scenery\\x.bgl", "", "Scenery", "x", "bgl", "Scenery", "x.bgl"},
    {"SlashesSeparateToo", "/tmp/x.cab", "", "/tmp", "x", "cab", "/tmp", "x.cab"},
    {"Empty", "", "", "", "", "", "", ""},
};

TEST(FilePath, SplitsIntoDriveDirectoryNameAndExtension) {
  for (const auto& c : kSplitCases) {
    SCOPED_TRACE(c.name);
    CFilePath path;
    path.Set(c.path);
    std::string drive, directory, name, extension, folder, fileName;
    path.Split(&drive, &directory, &name, &extension);
    EXPECT_EQ(drive, c.drive);
    EXPECT_EQ(directory, c.directory);
    EXPECT_EQ(name, c.fileName);
    EXPECT_EQ(extension, c.extension);
    path.GetFolder(folder);
    EXPECT_EQ(folder, c.folder);
    path.GetFileName(fileName);
    EXPECT_EQ(fileName, c.nameWithExtension);
  }
}

TEST(FilePath, ReplacesFolderOrFileNameKeepingTheOtherPart) {
  CFilePath path;
  path.Set("C:\\TEMP\\x.cab");
  path.SetFileName("");
  EXPECT_STREQ(path.GetPath(), "C:\\TEMP\\");
  path.SetFileName("member.bgl");
  EXPECT_STREQ(path.GetPath(), "C:\\TEMP\\member.bgl");

  path.Set("C:\\TEMP\\x.cab");
  path.SetFolder("D:\\A");
  EXPECT_STREQ(path.GetPath(), "D:\\A\\x.cab");
  path.SetFolder("E:\\B\\");
  EXPECT_STREQ(path.GetPath(), "E:\\B\\x.cab");

  path.Set("x.cab");
  path.SetFileName("y.cab");
  EXPECT_STREQ(path.GetPath(), "y.cab");
}

TEST(FilePath, MakePathAddsSeparatorsOnlyWhereMissing) {
  CFilePath path;
  path.MakePath("C", "\\A", "n", "ext");
  EXPECT_STREQ(path.GetPath(), "C:\\A\\n.ext");
  path.MakePath("C:", "\\A\\", "n", ".ext");
  EXPECT_STREQ(path.GetPath(), "C:\\A\\n.ext");
  path.MakePath(nullptr, nullptr, "n", nullptr);
  EXPECT_STREQ(path.GetPath(), "n");
  path.MakePath(nullptr, nullptr, nullptr, nullptr);
  EXPECT_STREQ(path.GetPath(), "");
}

TEST(FilePath, LongPartsAreKeptWhole) {
  // Cutting a component would silently point the build at another file.
  const std::string longFolder = "C:\\" + std::string(300, 'f');
  const std::string longName(300, 'n');
  CFilePath path;
  path.MakePath(nullptr, longFolder.c_str(), longName.c_str(), "bgl");
  EXPECT_EQ(std::string(path.GetPath()), longFolder + "\\" + longName + ".bgl");
  std::string name;
  path.Split(nullptr, nullptr, &name, nullptr);
  EXPECT_EQ(name, longName);
}

TEST(FilePath, NullAndSelfAssignmentAreHarmless) {
  CFilePath path;
  EXPECT_STREQ(path.GetPath(), "");
  path.Set("C:\\x");
  path.Assign(path);
  EXPECT_STREQ(path.GetPath(), "C:\\x");
  path.Set(nullptr);
  EXPECT_STREQ(path.GetPath(), "");
  CFilePath other;
  other.Set("D:\\y");
  path.Assign(other);
  EXPECT_STREQ(path.GetPath(), "D:\\y");
}

TEST(FilePath, TempFolderEndsInBackslashAndExists) {
  CFilePath path;
  path.SetToTempFolder();
  const std::string text = path.GetPath();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\\');
  EXPECT_TRUE(path.Exists());
}

TEST(FilePath, ExistsIgnoresCaseAndTakesWildcards) {
  const auto root = std::filesystem::path(::testing::TempDir()) / "cw_filepath_exists";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "Scenery");
  std::ofstream(root / "Scenery" / "Airport.BGL") << "x";
  std::string base = root.string();
  for (char& c : base) c = c == '/' ? '\\' : c;

  struct {
    const char* suffix;
    bool exists;
  } const cases[] = {
      {"\\scenery\\airport.bgl", true}, {"\\SCENERY\\*.bgl", true}, {"\\scenery\\air?ort.*", true},
      {"\\scenery\\*.*", true},         {"\\scenery\\*.cab", false}, {"\\scenery\\other.bgl", false},
      {"\\texture\\*.bgl", false},      {"\\scenery", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.suffix);
    CFilePath path;
    path.Set((base + c.suffix).c_str());
    EXPECT_EQ(path.Exists(), c.exists);
  }
  std::filesystem::remove_all(root);
}

TEST(EnsureTrailingBackslash, AddsOneOnlyWhenMissing) {
  struct {
    const char* in;
    const char* out;
  } const cases[] = {{"", "\\"}, {"C:\\A\\", "C:\\A\\"}, {"C:\\A", "C:\\A\\"}, {"\\", "\\"}};
  for (const auto& c : cases) {
    std::string text = c.in;
    EnsureTrailingBackslash(text);
    EXPECT_EQ(text, c.out) << c.in;
  }
}

int CompareInts(const void* key, const void* element) {
  const int a = *static_cast<const int*>(key);
  const int b = *static_cast<const int*>(element);
  return a < b ? -1 : a > b ? 1 : 0;
}

TEST(FindFirstMatch, ReturnsFirstOfARunOfEqualKeys) {
  const int keys[] = {1, 2, 2, 2, 3};
  const int allEqual[] = {7, 7, 7, 7, 7, 7, 7};
  struct {
    const int* base;
    size_t count;
    int key;
    int expectedIndex;  // -1: none
  } const cases[] = {
      {keys, 5, 2, 1}, {keys, 5, 1, 0}, {keys, 5, 3, 4}, {keys, 5, 4, -1},
      {keys, 5, 0, -1}, {allEqual, 7, 7, 0}, {keys, 0, 1, -1},
  };
  for (const auto& c : cases) {
    const void* found = FindFirstMatch(&c.key, c.base, c.count, sizeof(int), CompareInts);
    if (c.expectedIndex < 0) {
      EXPECT_EQ(found, nullptr) << c.key;
    } else {
      EXPECT_EQ(found, c.base + c.expectedIndex) << c.key;
    }
  }
}

}  // namespace
