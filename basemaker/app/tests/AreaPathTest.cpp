#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "basemaker/app/AreaEntry.h"
#include "basemaker/app/AreaLocation.h"

namespace {

TEST(AreaPathValue, SplitsDiscLabelFromFolderAndFormatsItBack) {
  struct Case {
    const char* value;
    bool onCd;
    const char* label;
    const char* path;
  };
  const Case cases[] = {
      {"[DISK1]\\Scenery\\Alps", true, "DISK1", "\\Scenery\\Alps"},
      {".\\Scenery\\Alps", false, "", ".\\Scenery\\Alps"},
      {"C:\\Add[on]\\x", false, "", "C:\\Add[on]\\x"},
      {"[]Alps\\", true, "", "Alps\\"},
      {"[", true, "", ""},
      {"[OPEN", true, "OPEN", ""},
      {"[A[B]C]D", true, "A[B", "C]D"},
      {"", false, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    AreaEntry entry;
    entry.cdLabel = "stale";
    entry.path = "stale";
    entry.onCd = true;
    entry.ParsePathValue(c.value);
    EXPECT_EQ(entry.onCd, c.onCd);
    EXPECT_EQ(entry.cdLabel, c.label);
    EXPECT_EQ(entry.path, c.path);
  }
  AreaEntry disc;
  disc.ParsePathValue("[DISK1]\\Scenery\\Alps");
  EXPECT_EQ(disc.FormatPathValue(), "[DISK1]\\Scenery\\Alps");
  AreaEntry local;
  local.ParsePathValue(".\\Scenery\\Alps");
  EXPECT_EQ(local.FormatPathValue(), ".\\Scenery\\Alps");
}

TEST(CdAreaSearchRoots, DiscDrivesFirstThenLocalDrivesMatchingTheLabel) {
  win::FakeDriveTable drives;
  drives.Add({"/", win::DriveType::Fixed, "ROOT"});
  drives.Add({"/mnt/net", win::DriveType::Remote, "DISK1"});
  drives.Add({"/mnt/usb", win::DriveType::Removable, "disk1"});
  drives.Add({"/media/cd0", win::DriveType::CdRom, "OTHER"});
  drives.Add({"/media/cd1", win::DriveType::CdRom, "Disk1"});
  drives.Add({"/data", win::DriveType::Fixed, "DISK1"});

  AreaEntry labelled;
  labelled.ParsePathValue("[DISK1]\\Scenery");
  EXPECT_EQ(CdAreaSearchRoots(labelled, drives),
            (std::vector<std::filesystem::path>{"/media/cd1", "/mnt/usb", "/data"}));

  AreaEntry unlabelled;
  unlabelled.ParsePathValue("[]Scenery");
  EXPECT_EQ(CdAreaSearchRoots(unlabelled, drives),
            (std::vector<std::filesystem::path>{"/media/cd0", "/media/cd1", "/", "/mnt/usb",
                                                "/data"}));

  AreaEntry unknown;
  unknown.ParsePathValue("[NOWHERE]Scenery");
  EXPECT_TRUE(CdAreaSearchRoots(unknown, drives).empty());
}

}  // namespace
