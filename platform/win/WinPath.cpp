#include "platform/win/WinPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "platform/win/Codepage.h"

namespace win {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// A directory entry by its exact name: 0 missing, 1 directory, 2 other (file, device...),
// 3 symlink. Paths the caller gave (the base, a drive root) may be symlinks, so those are
// followed; what we walk ourselves is not.
int EntryKind(const std::filesystem::path& path, bool followLinks = false) {
  struct stat st {};
  if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return 0;
  if (S_ISLNK(st.st_mode)) return 3;
  return S_ISDIR(st.st_mode) ? 1 : 2;
}

// The entry of `folder` whose name equals `name` (UTF-8) ignoring case, preferring an exact
// match and otherwise the first in byte order, so the answer does not depend on directory order.
// Symlinks are skipped unless `followLinks`.
std::optional<std::string> FindEntry(const std::filesystem::path& folder, const std::string& name,
                                     bool followLinks) {
  int exact = EntryKind(folder / name, followLinks);
  if (exact == 1 || exact == 2) return name;
  std::string wanted = Utf8ToCp1252(name, '\x01');
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (dirent* entry = ::readdir(dir)) {
    std::string candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (!EqualsNoCase(Utf8ToCp1252(candidate, '\x01'), wanted)) continue;
    int kind = EntryKind(folder / candidate, followLinks);
    if (kind != 1 && kind != 2) continue;
    if (!best || candidate < *best) best = candidate;
  }
  ::closedir(dir);
  return best;
}

struct Start {
  std::filesystem::path root;
  std::vector<std::string> components;  // code page 1252, as written
  bool ok = true;
};

Start StartOf(std::string_view winPath, const std::filesystem::path& base, const DriveRoots* drives) {
  Start start;
  if (winPath.find('\0') != std::string_view::npos) {
    start.ok = false;  // the system would cut the name short there
    return start;
  }
  if (winPath.size() >= 2 && IsSeparator(winPath[0]) && IsSeparator(winPath[1])) {
    start.ok = false;  // network shares have no place here
    return start;
  }
  if (HasDrive(winPath)) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(winPath[0])));
    if (!drives) {
      start.ok = false;
      return start;
    }
    auto it = drives->find(letter);
    if (it == drives->end()) {
      start.ok = false;
      return start;
    }
    start.root = it->second;
    winPath.remove_prefix(2);
  } else if (!winPath.empty() && IsSeparator(winPath[0])) {
    start.root = "/";
  } else {
    start.root = base;
  }
  start.components = SplitWinPath(winPath);
  return start;
}

struct Walk {
  std::filesystem::path path;
  size_t depth = 0;       // components walked below the start
  bool complete = true;   // every component was found
  bool ok = true;         // the start could be mapped
};

// Follows the components from the start as far as they exist; the rest is appended as written.
Walk WalkPath(std::string_view winPath, const std::filesystem::path& base, const DriveRoots* drives,
              bool followLinks = false) {
  Start start = StartOf(winPath, base, drives);
  Walk walk;
  walk.ok = start.ok;
  if (!start.ok) return walk;
  walk.path = start.root;
  for (const auto& component : start.components) {
    if (component == ".") continue;
    if (component == "..") {
      if (walk.path.has_relative_path()) walk.path = walk.path.parent_path();
      if (walk.depth > 0) --walk.depth;
      continue;
    }
    std::string name = Cp1252ToUtf8(component);
    // Only folders can be walked through; a file in the middle of a path is missing too.
    if (walk.complete && EntryKind(walk.path, followLinks || walk.depth == 0) == 1) {
      if (auto found = FindEntry(walk.path, name, followLinks)) {
        walk.path /= *found;
        ++walk.depth;
        continue;
      }
    }
    walk.complete = false;
    walk.path /= name;
  }
  return walk;
}

}  // namespace

std::vector<std::string> SplitWinPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > pos) parts.emplace_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

std::string WithTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

bool IsRelativeWinPath(std::string_view path) {
  return !path.empty() && !HasDrive(path) && !IsSeparator(path[0]);
}

std::string JoinWinPath(std::string_view base, std::string_view rel) {
  if (!rel.empty() && !IsRelativeWinPath(rel)) return std::string(rel);
  while (rel.size() >= 2 && rel[0] == '.' && IsSeparator(rel[1])) rel.remove_prefix(2);
  if (rel == ".") rel = {};
  if (base.empty()) return std::string(rel);
  std::string out(base);
  if (!IsSeparator(out.back())) out += '\\';
  out += rel;
  return out;
}

std::optional<std::filesystem::path> ResolveWinPath(std::string_view winPath,
                                                    const std::filesystem::path& base,
                                                    const DriveRoots* drives) {
  Walk walk = WalkPath(winPath, base, drives);
  if (!walk.ok || !walk.complete) return std::nullopt;
  int kind = EntryKind(walk.path, walk.depth == 0);
  if (kind == 0 || kind == 3) return std::nullopt;
  return walk.path;
}

std::optional<std::filesystem::path> ResolveLinkedWinPath(std::string_view winPath,
                                                          const std::filesystem::path& base,
                                                          const DriveRoots* drives) {
  Walk walk = WalkPath(winPath, base, drives, true);
  if (!walk.ok || !walk.complete) return std::nullopt;
  std::error_code ec;
  std::filesystem::path real = std::filesystem::canonical(walk.path, ec);
  if (ec || EntryKind(real) == 0) return std::nullopt;
  return real;
}

std::optional<std::filesystem::path> LocateLinkedWinPath(std::string_view winPath,
                                                         const std::filesystem::path& base,
                                                         const DriveRoots* drives) {
  Walk walk = WalkPath(winPath, base, drives, true);
  if (!walk.ok || !walk.complete || EntryKind(walk.path, true) == 0) return std::nullopt;
  return walk.path;
}

std::filesystem::path ToNativePath(std::string_view winPath, const std::filesystem::path& base,
                                   const DriveRoots* drives) {
  Walk walk = WalkPath(winPath, base, drives);
  return walk.ok ? walk.path : std::filesystem::path();
}

}  // namespace win
