#pragma once
// Mounted volumes stand in for drive letters, drive types and volume labels.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

enum class DriveType { Unknown, Fixed, Removable, Remote, CdRom };

struct DriveInfo {
  std::filesystem::path root;  // the mount point
  DriveType type = DriveType::Unknown;
  std::string label;  // volume label in UTF-8 as the system reports it; empty when there is none
};

class DriveTable {
 public:
  virtual ~DriveTable() = default;
  // The file-system root first, then the other volumes in order of their mount points.
  virtual std::vector<DriveInfo> Drives() const = 0;
};

// The mounted volumes of this machine, read anew on every call (discs come and go).
DriveTable& SystemDriveTable();

class FakeDriveTable : public DriveTable {
 public:
  void Add(DriveInfo drive);
  std::vector<DriveInfo> Drives() const override;

 private:
  std::vector<DriveInfo> m_drives;
};

// What the mount table does not say about a device node ("/dev/sr0").
struct DeviceFacts {
  std::function<std::string(const std::string& device)> label;  // volume label or ""
  std::function<bool(const std::string& device)> removable;
};

// The drive table of a mount table in the format of /proc/self/mountinfo. Pseudo file systems,
// loop devices other than mounted disc images, and bind mounts of sub-folders are left out; the
// root is always listed.
std::vector<DriveInfo> ParseMountInfo(std::string_view mountInfo, const DeviceFacts& facts);

}  // namespace win
