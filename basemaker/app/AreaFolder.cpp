#include "basemaker/app/AreaFolder.h"

#include <algorithm>
#include <system_error>

#include "basemaker/app/TextCase.h"
#include "platform/win/Codepage.h"
#include "platform/win/WinPath.h"

namespace fs = std::filesystem;

namespace {

fs::path Normal(const fs::path& path) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(path, ec);
  return (ec ? path : canonical).lexically_normal();
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

}  // namespace

StoredFolder StoredFolderOf(const fs::path& folder, const fs::path& simRoot, const win::DriveTable& drives) {
  const fs::path target = Normal(folder);
  // The deepest CD-ROM mount holding the folder: a disc may be mounted below another volume.
  const win::DriveInfo* cd = nullptr;
  std::vector<std::string> onDisc;
  const auto table = drives.Drives();
  for (const win::DriveInfo& drive : table) {
    if (drive.type != win::DriveType::CdRom) continue;
    auto rest = Below(target, Normal(drive.root));
    if (rest && (cd == nullptr || Normal(drive.root).string().size() > Normal(cd->root).string().size())) {
      cd = &drive;
      onDisc = *rest;
    }
  }
  if (cd != nullptr) {
    const std::string rest = onDisc.empty() ? "\\" : JoinBackslashed(onDisc);
    return {"[" + win::Utf8ToCp1252(cd->label) + "]" + rest, true};
  }
  if (auto rest = Below(target, Normal(simRoot))) return {rest->empty() ? ".\\" : JoinBackslashed(*rest), false};
  std::vector<std::string> parts;
  for (const fs::path& part : target.relative_path()) parts.push_back(part.string());
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
  return win::ResolveLinkedWinPath(area.path, simRoot, drives);
}

std::vector<fs::path> BrowsableSubfolders(const fs::path& folder) {
  std::vector<fs::path> folders;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->symlink_status(typeError).type() != fs::file_type::directory) continue;
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    folders.push_back(it->path());
  }
  std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
    return CompareNoCase(a.filename().string(), b.filename().string()) < 0;
  });
  return folders;
}
