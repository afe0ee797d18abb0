#include "platform/win/Drives.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A desktop with a container-style root, a data disk, a CD, a USB stick, a network share, two
// disc images mounted through loop devices, a squashfs package and the usual pseudo file
// systems.
constexpr const char* kMountInfo =
    "21 1 0:19 / / rw,relatime - overlay overlay rw,lowerdir=/x\n"
    "22 21 0:20 / /proc rw - proc proc rw\n"
    "23 21 0:21 / /sys rw - sysfs sysfs rw\n"
    "24 21 0:22 / /dev/shm rw - tmpfs tmpfs rw\n"
    "30 21 8:1 / /data rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "31 21 8:1 /var/lib/x/hosts /etc/hosts rw - ext4 /dev/sda1 rw\n"
    "32 21 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "33 21 8:17 / /mnt/Flight\\040Disc ro - udf /dev/sdb1 ro\n"
    "34 21 8:33 / /mnt/stick rw - vfat /dev/sdc1 rw\n"
    "35 21 0:50 / /mnt/share rw - nfs4 server:/export rw\n"
    "36 21 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
    "37 21 8:49 / /media/user/USB rw - vfat /dev/sdd1 rw\n"
    "38 21 7:1 / /media/user/DISK1 ro - iso9660 /dev/loop1 ro\n"
    "39 21 7:2 / /mnt/image ro - udf /dev/loop2 ro\n"
    "garbage line\n";

TEST(DriveTable, ReadsVolumesTypesAndLabelsFromTheMountTable) {
  std::map<std::string, std::string> labels{{"/dev/sr0", "FS2004 DISC1"}, {"/dev/sda1", "Data"},
                                            {"/dev/loop0", "core"},    {"/dev/loop1", "DISK1"},
                                            {"/dev/loop2", "FS2004 DISC2"}};
  win::DeviceFacts facts;
  facts.label = [&](const std::string& device) {
    auto it = labels.find(device);
    return it == labels.end() ? std::string() : it->second;
  };
  facts.removable = [](const std::string& device) { return device == "/dev/sdc1"; };

  auto drives = win::ParseMountInfo(kMountInfo, facts);
  struct Expected {
    const char* root;
    win::DriveType type;
    const char* label;
  } expected[] = {
      {"/", win::DriveType::Fixed, ""},
      {"/data", win::DriveType::Fixed, "Data"},
      {"/media/cdrom", win::DriveType::CdRom, "FS2004 DISC1"},
      {"/media/user/DISK1", win::DriveType::CdRom, "DISK1"},
      {"/media/user/USB", win::DriveType::Removable, ""},
      {"/mnt/Flight Disc", win::DriveType::CdRom, ""},
      {"/mnt/image", win::DriveType::CdRom, "FS2004 DISC2"},
      {"/mnt/share", win::DriveType::Remote, ""},
      {"/mnt/stick", win::DriveType::Removable, ""},
  };
  ASSERT_EQ(drives.size(), std::size(expected));
  for (size_t i = 0; i < drives.size(); ++i) {
    EXPECT_EQ(drives[i].root, expected[i].root) << i;
    EXPECT_EQ(drives[i].type, expected[i].type) << expected[i].root;
    EXPECT_EQ(drives[i].label, expected[i].label) << expected[i].root;
  }
}

TEST(DriveTable, AlwaysListsTheRoot) {
  auto drives = win::ParseMountInfo("", {});
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].root, "/");
  auto system = win::SystemDriveTable().Drives();
  ASSERT_FALSE(system.empty());
  EXPECT_EQ(system[0].root, "/");
}

}  // namespace
