#include "basemaker/compiler/AreaScanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "basemaker/app/AreaEntry.h"
#include "basemaker/compiler/tests/support/ScratchDir.h"
#include "platform/win/Drives.h"
#include "platform/win/WinePrefix.h"

namespace {

namespace fs = std::filesystem;
using testbgl::ScratchDir;

void Touch(const fs::path& p) {
  testbgl::WriteBytes(p, std::vector<uint8_t>(3, 'x'));
}

std::vector<std::string> Identities(const CAreaScanner& s) {
  std::vector<std::string> out;
  for (const FileEntry& e : s.GetFileList().Entries()) out.push_back(e.Identity());
  return out;
}

AreaEntry Area(const std::string& path, const std::string& label = "", bool onCd = false) {
  AreaEntry a;
  a.path = path;
  a.cdLabel = label;
  a.onCd = onCd;
  a.exclude = "x";
  return a;
}

TEST(AreaScanner, DiskAreaWithSceneryFolderAndAddOns) {
  ScratchDir dir;
  Touch(dir / "Area/Scenery/a.bgl");
  Touch(dir / "Area/Scenery/notes.txt");
  Touch(dir / "Area/Addon/scenery/b.BGL");
  Touch(dir / "Area/TEXTURE/scenery/t.bgl");
  Touch(dir / "Area/Other/o.bgl");
  Touch(dir / "Area/top.bgl");
  CAreaScanner s;
  s.SetBaseFolder(dir.path());
  ASSERT_TRUE(s.CollectAreaFolder(Area(".\\area")));
  EXPECT_EQ((std::vector<std::string>{"scenery\\a.bgl", "Addon\\scenery\\b.BGL"}), Identities(s));
  EXPECT_EQ(".\\area", s.GetFileList().m_pathValue);
  EXPECT_EQ("x", s.GetFileList().m_exclude);
  const FileEntry& a = s.GetFileList()[0];
  EXPECT_EQ(3u, a.size);
  EXPECT_NE(0u, a.lastWrite);
  EXPECT_TRUE(fs::equivalent(dir / "Area/Scenery/a.bgl", a.fullPath));
}

TEST(AreaScanner, DiskAreaWithoutSceneryFolderListsOnlyItsOwnFilesInDescendingNameOrder) {
  ScratchDir dir;
  Touch(dir / "Area/a.bgl");
  Touch(dir / "Area/C.bgl");
  Touch(dir / "Area/b.bgl");
  Touch(dir / "Area/sub/d.bgl");
  CAreaScanner s;
  s.SetBaseFolder(dir.path());
  ASSERT_TRUE(s.CollectAreaFolder(Area(".\\Area")));
  EXPECT_EQ((std::vector<std::string>{"C.bgl", "b.bgl", "a.bgl"}), Identities(s));
}

TEST(AreaScanner, MissingFolderFallsBackToACabinet) {
  ScratchDir dir;
  CAreaScanner none;
  none.SetBaseFolder(dir.path());
  EXPECT_FALSE(none.CollectAreaFolder(Area(".\\Area")));
  EXPECT_EQ(0, none.GetFileList().GetSize());
  if (!testbgl::HaveCabinetMaker()) GTEST_SKIP() << "gcab is not installed";
  Touch(dir / "src/scenery/a.bgl");
  Touch(dir / "src/read.txt");
  ASSERT_TRUE(testbgl::MakeCabinet(dir / "src", dir / "AREA.CAB", {"scenery/a.bgl", "read.txt"}));
  CAreaScanner s;
  s.SetBaseFolder(dir.path());
  ASSERT_TRUE(s.CollectAreaFolder(Area(".\\Area")));
  ASSERT_EQ((std::vector<std::string>{"scenery\\a.bgl"}), Identities(s));
  EXPECT_TRUE(fs::equivalent(dir / "AREA.CAB", s.GetFileList()[0].fullPath));
}

// Every file the area path matches is a cabinet of the area: several spellings of one name (this
// file system tells them apart) and wildcards; one that is no cabinet is passed over.
TEST(AreaScanner, EveryCabinetThePathMatchesIsListed) {
  if (!testbgl::HaveCabinetMaker()) GTEST_SKIP() << "gcab is not installed";
  ScratchDir dir;
  Touch(dir / "src/scenery/a.bgl");
  Touch(dir / "src/scenery/b.bgl");
  Touch(dir / "src/scenery/c.bgl");
  ASSERT_TRUE(testbgl::MakeCabinet(dir / "src", dir / "Alps.cab", {"scenery/a.bgl"}));
  ASSERT_TRUE(testbgl::MakeCabinet(dir / "src", dir / "ALPS.CAB", {"scenery/b.bgl"}));
  ASSERT_TRUE(testbgl::MakeCabinet(dir / "src", dir / "Alpine2.cab", {"scenery/c.bgl"}));
  Touch(dir / "Alz.cab");
  struct Row {
    const char* path;
    bool found;
    std::vector<std::string> identities;
  } rows[] = {
      {".\\alps", true, {"scenery\\b.bgl", "scenery\\a.bgl"}},
      {".\\Alp*", true, {"scenery\\c.bgl", "scenery\\b.bgl", "scenery\\a.bgl"}},
      {".\\Alpine?.CAB", true, {"scenery\\c.bgl"}},
      {".\\Alz", false, {}},
      {".\\Nothing*", false, {}},
  };
  for (const Row& row : rows) {
    CAreaScanner s;
    s.SetBaseFolder(dir.path());
    EXPECT_EQ(row.found, s.CollectAreaFolder(Area(row.path))) << row.path;
    EXPECT_EQ(row.identities, Identities(s)) << row.path;
  }
}

// A Windows installation in a Wine prefix: drive C is the prefix's link to drive_c, and an area
// folder may itself be a link to a folder elsewhere. Inside an area links are still never
// followed.
TEST(AreaScanner, DriveLettersThroughAWinePrefixAndLinkedAreaFolders) {
  ScratchDir dir;
  const fs::path prefix = dir / "wine";
  const fs::path addons = prefix / "drive_c/FS9/Addon Scenery";
  fs::create_directories(prefix / "dosdevices");
  fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
  Touch(addons / "Alps/scenery/a.bgl");
  Touch(dir / "library/Jura/scenery/j.bgl");
  Touch(dir / "library/x.bgl");
  fs::create_directory_symlink(dir / "library/Jura", addons / "Jura");
  fs::create_directory_symlink(dir / "library/Jura", addons / "Alps/Linked");
  fs::create_symlink(dir / "library/x.bgl", addons / "Alps/scenery/x.bgl");
  const win::DriveRoots drives = win::WineDriveRoots(prefix);
  struct Row {
    const char* path;
    std::vector<std::string> identities;  // empty: not found
  } rows[] = {
      {"C:\\FS9\\Addon Scenery\\Alps", {"scenery\\a.bgl"}},
      {"c:\\fs9\\addon scenery\\JURA\\", {"scenery\\j.bgl"}},
      {"D:\\FS9\\Addon Scenery\\Alps", {}},
  };
  for (const Row& row : rows) {
    CAreaScanner s;
    s.SetBaseFolder(dir / "elsewhere");
    s.SetDriveRoots(&drives);
    EXPECT_EQ(!row.identities.empty(), s.CollectAreaFolder(Area(row.path))) << row.path;
    EXPECT_EQ(row.identities, Identities(s)) << row.path;
  }
}

TEST(AreaScanner, DiscAreasAreFoundByLabelCdRomsFirst) {
  ScratchDir dir;
  struct Drive {
    const char* name;
    win::DriveType type;
    const char* label;
  };
  const Drive drives[] = {{"hd", win::DriveType::Fixed, "disk1"},
                          {"net", win::DriveType::Remote, "DISK1"},
                          {"cdOther", win::DriveType::CdRom, "OTHER"},
                          {"cd", win::DriveType::CdRom, "DISK1"}};
  for (const Drive& d : drives) Touch(dir / d.name / "Scenery/World" / (std::string(d.name) + ".bgl"));
  struct Row {
    const char* name;
    std::vector<int> present;  // indexes into drives
    std::string label;
    std::string expected;  // identity of the single entry, "" for no success
  } rows[] = {{"LabelledCdBeforeHardDisk", {0, 1, 2, 3}, "DISK1", "World\\cd.bgl"},
              {"HardDiskInTheSecondPass", {0, 1, 2}, "DISK1", "World\\hd.bgl"},
              {"NetworkDriveNever", {1, 2}, "DISK1", ""},
              {"EmptyLabelTakesTheFirstCd", {0, 1, 2, 3}, "", "World\\cdOther.bgl"}};
  for (const Row& row : rows) {
    win::FakeDriveTable table;
    for (int i : row.present) table.Add({dir / drives[i].name, drives[i].type, drives[i].label});
    CAreaScanner s;
    s.SetDriveTable(&table);
    const bool ok = s.CollectAreaFromDrives(Area("\\SCENERY", row.label, true));
    EXPECT_EQ(!row.expected.empty(), ok) << row.name;
    if (!row.expected.empty()) {
      EXPECT_EQ(std::vector<std::string>{row.expected}, Identities(s)) << row.name;
      EXPECT_EQ("[" + row.label + "]\\SCENERY", s.GetFileList().m_pathValue) << row.name;
    }
  }
}

TEST(AreaScanner, DiscWalkNeverFollowsSymlinks) {
  ScratchDir dir;
  Touch(dir / "cd/Area/a.bgl");
  Touch(dir / "cd/Area/deep/b.bgl");
  Touch(dir / "elsewhere/x.bgl");
  fs::create_directory_symlink(dir / "cd/Area", dir / "cd/Area/deep/loop");
  fs::create_directory_symlink(dir / "elsewhere", dir / "cd/Area/link");
  fs::create_symlink(dir / "elsewhere/x.bgl", dir / "cd/Area/x.bgl");
  win::FakeDriveTable table;
  table.Add({dir / "cd", win::DriveType::CdRom, "L"});
  CAreaScanner s;
  s.SetDriveTable(&table);
  ASSERT_TRUE(s.CollectAreaFromDrives(Area("area", "L", true)));
  EXPECT_EQ((std::vector<std::string>{"deep\\b.bgl", "a.bgl"}), Identities(s));
}

TEST(AreaScanner, NavigationTextFilesInTheirOrder) {
  ScratchDir dir;
  Touch(dir / "prog/airway.TXT");
  Touch(dir / "prog/ISEC.txt");
  Touch(dir / "prog/AIRSPACE.txt");
  fs::create_directories(dir / "prog/TRACK.txt");  // a folder, not a file
  CAreaScanner nav;
  nav.SetProgramFolder(dir / "prog");
  nav.AddNavTextFiles();
  EXPECT_EQ((std::vector<std::string>{"ISEC.txt", "airway.TXT"}), Identities(nav));
  CAreaScanner air;
  air.SetProgramFolder(dir / "prog");
  air.AddAirspaceFile();
  EXPECT_EQ(std::vector<std::string>{"AIRSPACE.txt"}, Identities(air));
  EXPECT_EQ((dir / "prog/").string(), air.GetFileList().m_pathValue);
}

}  // namespace
