#include "platform/win/Drives.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <system_error>

namespace win {

namespace {

// Octal escapes of the mount table ("\040" for a blank).
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      std::string_view digits = field.substr(i + 1, 3);
      bool octal = digits.size() == 3 && std::all_of(digits.begin(), digits.end(),
                                                     [](char c) { return c >= '0' && c <= '7'; });
      if (octal) {
        out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) | (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// Hex escapes of udev's link names ("\x20" for a blank).
std::string UnescapeUdevName(std::string_view name) {
  std::string out;
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hex(name[i + 2]) >= 0 &&
        hex(name[i + 3]) >= 0) {
      out += static_cast<char>(hex(name[i + 2]) * 16 + hex(name[i + 3]));
      i += 3;
      continue;
    }
    out += name[i];
  }
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsRemoteType(std::string_view fsType) {
  static constexpr std::array<std::string_view, 12> kRemote = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "9p", "glusterfs", "davfs",
      "fuse.sshfs"};
  return std::find(kRemote.begin(), kRemote.end(), fsType) != kRemote.end();
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    size_t end = pos;
    while (end < line.size() && line[end] != ' ') ++end;
    if (end > pos) fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

}  // namespace

std::vector<DriveInfo> ParseMountInfo(std::string_view mountInfo, const DeviceFacts& facts) {
  std::vector<DriveInfo> drives;
  bool haveRoot = false;
  size_t pos = 0;
  while (pos < mountInfo.size()) {
    size_t end = mountInfo.find('\n', pos);
    if (end == std::string_view::npos) end = mountInfo.size();
    auto fields = SplitFields(mountInfo.substr(pos, end - pos));
    pos = end + 1;

    auto dash = std::find(fields.begin(), fields.end(), std::string_view("-"));
    if (fields.size() < 5 || dash == fields.end() || fields.end() - dash < 3 || dash - fields.begin() < 6) {
      continue;  // not a mount line
    }
    std::string root = UnescapeMountField(fields[3]);
    std::string mountPoint = UnescapeMountField(fields[4]);
    std::string fsType = UnescapeMountField(dash[1]);
    std::string source = UnescapeMountField(dash[2]);
    bool isRoot = mountPoint == "/";
    if (root != "/" && !isRoot) continue;  // a bind mount of a sub-folder or a single file
    if (std::any_of(drives.begin(), drives.end(),
                    [&](const DriveInfo& d) { return d.root == mountPoint; })) {
      // Mounted over: the later mount is the one that is visible.
      drives.erase(std::remove_if(drives.begin(), drives.end(),
                                  [&](const DriveInfo& d) { return d.root == mountPoint; }),
                   drives.end());
    }

    DriveInfo drive;
    drive.root = mountPoint;
    const bool isLoop = StartsWith(source, "/dev/loop");
    bool isDevice = StartsWith(source, "/dev/") && !isLoop;
    const bool isDisc = fsType == "iso9660" || fsType == "udf" || StartsWith(source, "/dev/sr");
    if (isDisc) {
      drive.type = DriveType::CdRom;
    } else if (IsRemoteType(fsType)) {
      drive.type = DriveType::Remote;
    } else if (isDevice) {
      bool removable = (facts.removable && facts.removable(source)) ||
                       StartsWith(mountPoint, "/media/") || StartsWith(mountPoint, "/run/media/");
      drive.type = removable ? DriveType::Removable : DriveType::Fixed;
    } else if (isRoot) {
      drive.type = DriveType::Fixed;  // an overlay or similar root, as in containers
    } else {
      continue;
    }
    // A disc image mounted through a loop device is how simulator discs are kept here; other
    // loop mounts (squashfs packages) never got this far.
    if ((isDevice || (isLoop && isDisc)) && facts.label) drive.label = facts.label(source);
    haveRoot = haveRoot || isRoot;
    drives.push_back(std::move(drive));
  }
  if (!haveRoot) drives.push_back({"/", DriveType::Fixed, ""});
  std::sort(drives.begin(), drives.end(), [](const DriveInfo& a, const DriveInfo& b) {
    bool aRoot = a.root == "/", bRoot = b.root == "/";
    if (aRoot != bRoot) return aRoot;
    return a.root.native() < b.root.native();
  });
  return drives;
}

void FakeDriveTable::Add(DriveInfo drive) { m_drives.push_back(std::move(drive)); }

std::vector<DriveInfo> FakeDriveTable::Drives() const { return m_drives; }

namespace {

std::string Canonical(const std::string& path) {
  std::error_code ec;
  auto canonical = std::filesystem::canonical(path, ec);
  return ec ? path : canonical.string();
}

std::string ReadSmallFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class SystemDrives : public DriveTable {
 public:
  std::vector<DriveInfo> Drives() const override {
    std::vector<std::pair<std::string, std::string>> labels;  // canonical device, label
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end;
         it.increment(ec)) {
      labels.emplace_back(Canonical(it->path().string()),
                          UnescapeUdevName(it->path().filename().string()));
    }
    DeviceFacts facts;
    facts.label = [&labels](const std::string& device) {
      std::string canonical = Canonical(device);
      for (const auto& [node, label] : labels) {
        if (node == canonical) return label;
      }
      return std::string();
    };
    facts.removable = [](const std::string& device) {
      // A partition's removable flag lives with its whole disk, one folder up.
      std::string name = std::filesystem::path(Canonical(device)).filename().string();
      std::error_code error;
      auto node = std::filesystem::canonical("/sys/class/block/" + name, error);
      if (error) return false;
      for (const auto& folder : {node, node.parent_path()}) {
        std::string flag = ReadSmallFile(folder / "removable");
        if (!flag.empty()) return flag[0] == '1';
      }
      return false;
    };
    return ParseMountInfo(ReadSmallFile("/proc/self/mountinfo"), facts);
  }
};

}  // namespace

DriveTable& SystemDriveTable() {
  static SystemDrives table;
  return table;
}

}  // namespace win
