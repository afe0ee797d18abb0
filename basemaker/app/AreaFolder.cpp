#include "basemaker/app/AreaFolder.h"

#include <algorithm>
#include <system_error>

#include "basemaker/app/TextCase.h"
#include "platform/win/Codepage.h"
#include "platform/win/WinPath.h"

namespace fs = std::filesystem;

namespace {

// Where the folder is, every link on the way resolved.
fs::path Normal(const fs::path& path) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(path, ec);
  return (ec ? path : canonical).lexically_normal();
}

// The folder the way the user reached it: absolute and tidied, its links left in place.
fs::path Reached(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return (ec ? path : absolute).lexically_normal();
}

// The components of `path` below `base`, or nullopt when it is not at or below it.
std::optional<std::vector<std::string>> Below(const fs::path& path, const fs::path& base) {
  auto p = path.begin();
  for (auto b = base.begin(); b != base.end(); ++b, ++p) {
    if (b->empty()) continue;  // the empty last component of a path ending in a separator
    if (p == path.end() || *p != *b) return std::nullopt;
  }
  std::vector<std::string> rest;
  for (; p != path.end(); ++p)
    if (!p->empty()) rest.push_back(p->string());
  return rest;
}

std::string JoinBackslashed(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) out += '\\';
    out += win::Utf8ToCp1252(part);
  }
  return out;
}

bool HasBglFile(const fs::path& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->symlink_status(typeError).type() != fs::file_type::regular) continue;
    if (MatchesWildcardNoCase("*.bgl", it->path().filename().string())) return true;
  }
  return false;
}

// The components of a folder below `base`: the folder as reached below the base as written
// first, so that links below the base stay in the text, then where both lead.
std::optional<std::vector<std::string>> Inside(const fs::path& reached, const fs::path& real, const fs::path& base) {
  if (auto rest = Below(reached, Reached(base))) return rest;
  const fs::path realBase = Normal(base);
  if (auto rest = Below(reached, realBase)) return rest;
  return Below(real, realBase);
}

}  // namespace

StoredFolder StoredFolderOf(const fs::path& folder, const fs::path& simRoot, const win::DriveTable& drives,
                            const win::DriveRoots* driveRoots) {
  const fs::path reached = Reached(folder);
  const fs::path real = Normal(folder);
  // The deepest CD-ROM mount holding the folder: a disc may be mounted below another volume. The
  // deepest holds the fewest components below it.
  const win::DriveInfo* cd = nullptr;
  std::vector<std::string> onDisc;
  const auto table = drives.Drives();
  for (const win::DriveInfo& drive : table) {
    if (drive.type != win::DriveType::CdRom) continue;
    auto rest = Inside(reached, real, drive.root);
    if (rest && (cd == nullptr || rest->size() < onDisc.size())) {
      cd = &drive;
      onDisc = *rest;
    }
  }
  if (cd != nullptr) {
    const std::string rest = onDisc.empty() ? "\\" : JoinBackslashed(onDisc);
    return {"[" + win::Utf8ToCp1252(cd->label) + "]" + rest, true};
  }
  if (auto rest = Inside(reached, real, simRoot)) return {rest->empty() ? ".\\" : JoinBackslashed(*rest), false};
  // The simulator under Wine finds a folder outside its own only through a drive letter.
  std::optional<std::vector<std::string>> onDrive;
  char letter = 0;
  if (driveRoots != nullptr) {
    for (const auto& [driveLetter, root] : *driveRoots) {
      auto rest = Inside(reached, real, root);
      if (rest && (!onDrive || rest->size() < onDrive->size())) {
        onDrive = std::move(rest);
        letter = driveLetter;
      }
    }
  }
  if (onDrive) return {std::string(1, letter) + ":\\" + JoinBackslashed(*onDrive), false};
  std::vector<std::string> parts;
  for (const fs::path& part : reached.relative_path()) parts.push_back(part.string());
  return {"\\" + JoinBackslashed(parts), false};
}

bool FolderHasBgl(const fs::path& folder) {
  if (HasBglFile(folder)) return true;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->symlink_status(typeError).type() != fs::file_type::directory) continue;
    if (CompareNoCase(it->path().filename().string(), "scenery") == 0 && HasBglFile(it->path())) return true;
  }
  return false;
}

std::optional<fs::path> FindCdAreaFolder(const AreaEntry& area, const win::DriveTable& drives) {
  for (const win::DriveInfo& drive : drives.Drives()) {
    if (drive.type != win::DriveType::CdRom) continue;
    if (!area.cdLabel.empty() && !win::EqualsNoCase(area.cdLabel, win::Utf8ToCp1252(drive.label))) continue;
    // Stored below the disc's root, like the build reads it ("\" is the root itself).
    std::string rel = area.path;
    if (!rel.empty() && (rel[0] == '\\' || rel[0] == '/')) rel.erase(0, 1);
    if (rel.empty()) return drive.root;
    return win::ResolveWinPath(rel, drive.root);
  }
  return std::nullopt;
}

std::optional<fs::path> FindAreaFolder(const AreaEntry& area, const fs::path& simRoot,
                                       const win::DriveRoots* drives) {
  if (area.path.empty()) return std::nullopt;
  return win::LocateLinkedWinPath(area.path, simRoot, drives);
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  return ec ? Reached(a) == Reached(b) : same;
}

std::vector<fs::path> BrowsableSubfolders(const fs::path& folder) {
  std::vector<fs::path> folders;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    // A link counts by where it leads; one that leads nowhere, or round in a loop, is left out.
    std::error_code typeError;
    if (it->status(typeError).type() != fs::file_type::directory) continue;
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    folders.push_back(it->path());
  }
  std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
    return CompareNoCase(a.filename().string(), b.filename().string()) < 0;
  });
  return folders;
}
