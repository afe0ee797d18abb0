#include "platform/win/WinPath.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(WinPath, SplitsAtBothSeparators) {
  using V = std::vector<std::string>;
  EXPECT_EQ(win::SplitWinPath("C:\\Sim\\Scenery\\"), (V{"C:", "Sim", "Scenery"}));
  EXPECT_EQ(win::SplitWinPath(".\\Addon Scenery/World\\\\x.bgl"),
            (V{".", "Addon Scenery", "World", "x.bgl"}));
  EXPECT_EQ(win::SplitWinPath("\\"), V{});
  EXPECT_EQ(win::SplitWinPath(""), V{});
}

TEST(WinPath, ClassifiesAndJoinsPaths) {
  struct Case {
    const char* path;
    bool relative;
    const char* joined;  // with base "C:\Sim"
  } cases[] = {
      {".\\Scenery\\World", true, "C:\\Sim\\Scenery\\World"},
      {".\\.\\x", true, "C:\\Sim\\x"},
      {"Scenery\\World", true, "C:\\Sim\\Scenery\\World"},
      {"x", true, "C:\\Sim\\x"},
      {"C:\\Other", false, "C:\\Other"},
      {"d:rel", false, "d:rel"},
      {"\\Root", false, "\\Root"},
      {"/native", false, "/native"},
      {"", false, "C:\\Sim\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win::IsRelativeWinPath(c.path), c.relative) << c.path;
    EXPECT_EQ(win::JoinWinPath("C:\\Sim", c.path), c.joined) << c.path;
  }
  EXPECT_EQ(win::JoinWinPath("C:\\Sim\\", ".\\x"), "C:\\Sim\\x");
  EXPECT_EQ(win::WithTrailingBackslash("C:\\Sim"), "C:\\Sim\\");
  EXPECT_EQ(win::WithTrailingBackslash("C:\\Sim\\"), "C:\\Sim\\");
}

// A simulator folder as copied from Windows: mixed case, a file, a symlink pointing elsewhere.
class ResolveFixture : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::path(testing::TempDir()) / ("winpath-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "Scenery" / "World" / "SCENERY");
    std::ofstream(root / "Scenery" / "World" / "SCENERY" / "Nav.BGL") << "bgl";
    std::ofstream(root / "Scenery.cfg") << "[General]";
    fs::create_directories(root / "Elsewhere" / "Inner");
    std::ofstream(root / "Elsewhere" / "Inner" / "secret.txt") << "x";
    fs::create_directory_symlink(root / "Elsewhere", root / "Linked");
    fs::create_symlink(root / "Scenery.cfg", root / "cfg-link");
    // U with diaeresis in a file name on disk (UTF-8), written as code page 1252 in the path.
    fs::create_directories(root / "Z\xC3\xBCrich");
  }
  void TearDown() override { fs::remove_all(root); }
  fs::path root;
};

TEST_F(ResolveFixture, FindsEachComponentIgnoringCase) {
  struct Case {
    const char* winPath;
    std::optional<fs::path> expected;  // relative to root
  } cases[] = {
      {".\\scenery\\world\\scenery\\nav.bgl", fs::path("Scenery/World/SCENERY/Nav.BGL")},
      {"SCENERY\\WORLD\\Scenery\\", fs::path("Scenery/World/SCENERY")},
      {"scenery.CFG", fs::path("Scenery.cfg")},
      {"Scenery\\..\\Scenery.cfg", fs::path("Scenery/../Scenery.cfg").lexically_normal()},
      {"Z\xDCRICH", fs::path("Z\xC3\xBCrich")},
      {".", fs::path("")},
      {"Scenery\\Missing\\Nav.bgl", std::nullopt},
      {"Scenery.cfg\\below", std::nullopt},            // a file is no folder
      {"Linked\\Inner\\secret.txt", std::nullopt},     // a folder symlink is not walked
      {"linked", std::nullopt},
      {"cfg-link", std::nullopt},                      // nor is a file symlink taken
      {"C:\\Scenery", std::nullopt},                   // no drive table
      {"\\\\server\\share\\x", std::nullopt},
  };
  for (const auto& c : cases) {
    auto got = win::ResolveWinPath(c.winPath, root);
    if (!c.expected) {
      EXPECT_EQ(got, std::nullopt) << c.winPath;
    } else {
      ASSERT_TRUE(got) << c.winPath;
      fs::path want = c.expected->empty() ? root : root / *c.expected;
      EXPECT_EQ(fs::path(*got).lexically_normal(), want.lexically_normal())
          << c.winPath;
    }
  }
}

TEST_F(ResolveFixture, ConfiguredPathsFollowLinksToWhereTheyLead) {
  fs::create_directory_symlink(root / "loop", root / "loop");  // a link to itself
  const struct {
    const char* winPath;
    std::optional<fs::path> real;     // where the links lead
    std::optional<fs::path> reached;  // the same place named through the links
  } cases[] = {
      {"linked\\INNER\\Secret.txt", root / "Elsewhere" / "Inner" / "secret.txt", root / "Linked" / "Inner" / "secret.txt"},
      {"Linked", root / "Elsewhere", root / "Linked"},
      {"CFG-LINK", root / "Scenery.cfg", root / "cfg-link"},
      {"scenery\\WORLD", root / "Scenery" / "World", root / "Scenery" / "World"},
      {"loop", std::nullopt, std::nullopt},
      {"loop\\x", std::nullopt, std::nullopt},
      {"Linked\\missing", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.winPath);
    EXPECT_EQ(c.real ? std::optional<fs::path>(fs::canonical(*c.real)) : std::nullopt,
              win::ResolveLinkedWinPath(c.winPath, root));
    EXPECT_EQ(c.reached, win::LocateLinkedWinPath(c.winPath, root));
  }
}

TEST_F(ResolveFixture, RefusesANameWithANulInside) {
  // Cut at the NUL, the name would be an existing file.
  EXPECT_EQ(win::ResolveWinPath(std::string_view("Scenery.cfg\0.txt", 16), root), std::nullopt);
  EXPECT_EQ(win::ToNativePath(std::string_view("x\0y", 3), root), fs::path());
}

TEST_F(ResolveFixture, PrefersTheExactSpellingWhenNamesDifferOnlyInCase) {
  fs::create_directories(root / "scenery");
  EXPECT_EQ(win::ResolveWinPath("scenery", root), root / "scenery");
  EXPECT_EQ(win::ResolveWinPath("Scenery", root), root / "Scenery");
  EXPECT_EQ(win::ResolveWinPath("SCENERY", root), root / "Scenery");  // first in byte order
}

TEST_F(ResolveFixture, MapsDriveLettersThroughTheTable) {
  win::DriveRoots drives{{'C', root}};
  EXPECT_EQ(win::ResolveWinPath("c:\\SCENERY\\world", fs::path("/nowhere"), &drives),
            root / "Scenery" / "World");
  EXPECT_EQ(win::ResolveWinPath("D:\\Scenery", root, &drives), std::nullopt);
  EXPECT_EQ(win::ResolveWinPath(root.string() + "/scenery.cfg", "/nowhere"), root / "Scenery.cfg");
}

TEST_F(ResolveFixture, NativePathKeepsTheMissingTailAsWritten) {
  EXPECT_EQ(win::ToNativePath("SCENERY\\world\\New Folder\\File.TXT", root),
            root / "Scenery" / "World" / "New Folder" / "File.TXT");
  EXPECT_EQ(win::ToNativePath(".\\scenery.cfg", root), root / "Scenery.cfg");
  EXPECT_EQ(win::ToNativePath("Z\xDCRICH\\Caf\xE9.txt", root), root / "Z\xC3\xBCrich" / "Caf\xC3\xA9.txt");
  EXPECT_EQ(win::ToNativePath("Q:\\x", root), fs::path());
}

}  // namespace
