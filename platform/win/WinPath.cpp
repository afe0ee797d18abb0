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

// A directory entry by its exact name, not following a symlink: 0 missing, 1 directory,
// 2 other (file, device...), 3 symlink.
// Paths the caller gave (the base, a drive root) may be symlinks; only what we walk is checked
// without following links.
int EntryKind(const std::filesystem::path& path, bool followLinks = false) {
  struct stat st {};
  if ((followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return 0;
  if (S_ISLNK(st.st_mode)) return 3;
  return S_ISDIR(st.st_mode) ? 1 : 2;
}

// The entry of `folder` whose name equals `name` (UTF-8) ignoring case, preferring an exact
// match and otherwise the first in byte order, so the answer does not depend on directory order.
// Symlinks are skipped.
std::optional<std::string> FindEntry(const std::filesystem::path& folder, const std::string& name) {
  int exact = EntryKind(folder / name);
  if (exact == 1 || exact == 2) return name;
  std::string wanted = Utf8ToCp1252(name, '\x01');
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (dirent* entry = ::readdir(dir)) {
    std::string candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (!EqualsNoCase(Utf8ToCp1252(candidate, '\x01'), wanted)) continue;
    int kind = EntryKind(folder / candidate);
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
  Start start = StartOf(winPath, base, drives);
  if (!start.ok) return std::nullopt;
  std::filesystem::path current = start.root;
  size_t depth = 0;  // components walked below the start
  for (const auto& component : start.components) {
    if (component == ".") continue;
    if (component == "..") {
      if (current.has_relative_path()) current = current.parent_path();
      if (depth > 0) --depth;
      continue;
    }
    // Only folders can be walked through; a file in the middle of a path is missing too.
    if (EntryKind(current, depth == 0) != 1) return std::nullopt;
    auto found = FindEntry(current, Cp1252ToUtf8(component));
    if (!found) return std::nullopt;
    current /= *found;
    ++depth;
  }
  int kind = EntryKind(current, depth == 0);
  if (kind == 0 || kind == 3) return std::nullopt;
  return current;
}

std::filesystem::path ToNativePath(std::string_view winPath, const std::filesystem::path& base,
                                   const DriveRoots* drives) {
  Start start = StartOf(winPath, base, drives);
  if (!start.ok) return {};
  std::filesystem::path current = start.root;
  bool resolving = true;
  size_t depth = 0;
  for (const auto& component : start.components) {
    if (component == ".") continue;
    if (component == "..") {
      if (current.has_relative_path()) current = current.parent_path();
      if (depth > 0) --depth;
      continue;
    }
    std::string name = Cp1252ToUtf8(component);
    if (resolving && EntryKind(current, depth == 0) == 1) {
      if (auto found = FindEntry(current, name)) {
        current /= *found;
        ++depth;
        continue;
      }
    }
    resolving = false;
    current /= name;
  }
  return current;
}

}  // namespace win
