#include "plotr/tools/FileDialogModel.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/win/Codepage.h"
#include "plotr/plan/PlanFile.h"

namespace fs = std::filesystem;

namespace filedlg {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool NoCaseLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

bool WildMatch(std::string_view p, std::string_view s) {
  size_t pi = 0, si = 0, star = std::string_view::npos, mark = 0;
  while (si < s.size()) {
    if (pi < p.size() && (p[pi] == '?' || Lower(p[pi]) == Lower(s[si]))) {
      ++pi;
      ++si;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = si;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      si = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string Trim(std::string_view t) {
  size_t a = 0, b = t.size();
  while (a < b && (t[a] == ' ' || t[a] == '\t')) ++a;
  while (b > a && (t[b - 1] == ' ' || t[b - 1] == '\t')) --b;
  return std::string(t.substr(a, b - a));
}

}  // namespace

std::vector<FilterEntry> ParseFilter(std::string_view filter) {
  std::vector<FilterEntry> entries;
  std::string name, pattern;
  bool inPattern = false;
  for (char c : filter) {
    if (!inPattern) {
      if (c == '|')
        inPattern = true;
      else
        name += c;
      continue;
    }
    if (c == ' ') continue;
    if (c != '|') {
      pattern += c;
      continue;
    }
    if (name.empty() || pattern.empty()) break;
    entries.push_back({name, pattern});
    name.clear();
    pattern.clear();
    inPattern = false;
  }
  return entries;
}

bool MatchesPattern(std::string_view pattern, std::string_view name) {
  size_t start = 0;
  while (start <= pattern.size()) {
    const size_t end = std::min(pattern.find(';', start), pattern.size());
    std::string_view one = pattern.substr(start, end - start);
    // "*.*" names every file, with or without a dot.
    if (one == "*.*" || (!one.empty() && WildMatch(one, name))) return true;
    start = end + 1;
  }
  return false;
}

int DriveOfPath(const std::vector<win::DriveInfo>& drives, const std::string& path) {
  int best = -1;
  size_t bestLength = 0;
  for (size_t i = 0; i < drives.size(); ++i) {
    const std::string root = WithSlash(drives[i].root.string());
    const std::string p = WithSlash(path);
    if (p.compare(0, root.size(), root) == 0 && (best < 0 || root.size() > bestLength)) {
      best = static_cast<int>(i);
      bestLength = root.size();
    }
  }
  return best;
}

FolderComboItem DriveItem(const win::DriveInfo& drive) {
  FolderComboItem item;
  std::string label;
  int32_t image = kImageFixed;
  switch (drive.type) {
    case win::DriveType::Removable: label = "Diskette"; image = kImageRemovable; break;
    case win::DriveType::CdRom: label = drive.label.empty() ? "CD-Drive" : drive.label; image = kImageCd; break;
    case win::DriveType::Remote: label = "Drive"; image = kImageNetwork; break;
    case win::DriveType::Fixed: label = drive.label.empty() ? "Drive" : drive.label; break;
    case win::DriveType::Unknown: label = "Drive"; break;
  }
  std::transform(label.begin(), label.end(), label.begin(), Lower);
  const std::string root = WithSlash(drive.root.string());
  item.text = label + " (" + root + ")";
  item.name = root;
  item.path = root;
  item.image = item.selectedImage = image;
  item.indent = 1;
  return item;
}

std::vector<FolderComboItem> BuildFolderItems(const std::vector<win::DriveInfo>& drives, const std::string& path,
                                              int& selected) {
  std::vector<FolderComboItem> items;
  items.push_back({"Workplace", "", "", kImageWorkplace, kImageWorkplace, 0});
  selected = 0;
  const int drive = path.empty() ? -1 : DriveOfPath(drives, path);
  for (size_t i = 0; i < drives.size(); ++i) {
    items.push_back(DriveItem(drives[i]));
    if (static_cast<int>(i) != drive) continue;
    selected = static_cast<int>(items.size()) - 1;
    // The folders of the path below the drive's root, down to the deepest that exists.
    std::string current = items.back().path;
    const std::string rest = path.substr(std::min(current.size(), path.size()));
    int indent = 2;
    size_t start = 0;
    while (start < rest.size()) {
      size_t end = rest.find('/', start);
      if (end == std::string::npos) end = rest.size();
      const std::string component = rest.substr(start, end - start);
      start = end + 1;
      if (component.empty()) continue;
      std::error_code ec;
      const std::string next = current + component;
      if (!fs::is_directory(fs::symlink_status(next, ec))) break;
      current = next + "/";
      items.push_back({component, component, current, kImageFolder, kImageOpenFolder, indent++});
      selected = static_cast<int>(items.size()) - 1;
    }
  }
  return items;
}

void SortFileItems(std::vector<FileListItem>& items) {
  std::stable_sort(items.begin(), items.end(), [](const FileListItem& a, const FileListItem& b) {
    if (a.kind != b.kind) return a.kind < b.kind;
    return NoCaseLess(a.name, b.name);
  });
}

std::vector<FileListItem> ListFolder(const std::vector<win::DriveInfo>& drives, const std::string& folder,
                                     const std::string& pattern) {
  std::vector<FileListItem> items;
  if (folder.empty()) {
    for (const win::DriveInfo& d : drives) {
      const FolderComboItem drive = DriveItem(d);
      items.push_back({drive.text, drive.name, drive.image, 0});
    }
    return items;
  }
  std::error_code ec;
  for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (it->symlink_status(typeError).type() == fs::file_type::directory) {
      items.push_back({name, name, kImageFolder, 1});
    } else if (MatchesPattern(pattern, name)) {
      const size_t dot = name.rfind('.');
      std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
      std::transform(ext.begin(), ext.end(), ext.begin(), Lower);
      items.push_back({name, name, ext == "cwp" ? kImagePlanFile : kImageFile, 2});
    }
  }
  SortFileItems(items);
  return items;
}

std::string CutName(std::string_view text) {
  const size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) text = text.substr(colon + 1);
  const size_t slash = text.rfind('/');
  if (slash != std::string_view::npos) text = text.substr(slash + 1);
  return Trim(text);
}

std::string WithDefaultExtension(const std::string& name, const std::string& extension) {
  if (extension.empty()) return name;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot - 1 > 3) return name + "." + extension;
  return name;
}

AcceptResult Accept(const std::string& folder, const std::string& name, bool openMode, const std::string& extension) {
  AcceptResult r;
  if (name.empty()) return r;
  if (name.find_first_of("?*") != std::string::npos) {
    r.action = AcceptAction::SetPattern;
    return r;
  }
  if (folder.empty()) {
    r.action = AcceptAction::ChangeFolder;
    r.path = name;
    return r;
  }
  std::error_code ec;
  if (fs::is_directory(folder + name, ec)) {
    r.action = AcceptAction::ChangeFolder;
    r.path = WithSlash(folder + name);
    return r;
  }
  if (openMode) {
    r.path = folder + name;
    const int fd = ::open(r.path.c_str(), O_RDONLY);
    if (fd < 0) {
      r.action = AcceptAction::Error;
      r.message = std::strerror(errno);
      return r;
    }
    ::close(fd);
    r.action = AcceptAction::Done;
    return r;
  }
  r.path = folder + WithDefaultExtension(name, extension);
  struct stat st;
  if (::lstat(r.path.c_str(), &st) == 0) {
    // The old file stays until the save replaces it.
    r.action = AcceptAction::AskOverwrite;
    r.message = std::string(std::strerror(EEXIST)) + "\nOverwrite file?";
    return r;
  }
  // The folder must take a new file; nothing is left behind by the check.
  const int fd = ::open(r.path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) {
    r.action = AcceptAction::Error;
    r.message = std::strerror(errno);
    return r;
  }
  ::close(fd);
  ::unlink(r.path.c_str());
  r.action = AcceptAction::Done;
  return r;
}

std::string RenameEntry(const std::string& folder, const std::string& from, const std::string& to) {
  if (to.empty() || to == "." || to == ".." || to.find('/') != std::string::npos ||
      to.find('\0') != std::string::npos)
    return "The name is not valid.";
  const std::string source = folder + from, target = folder + to;
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
    return std::strerror(errno);
  return {};
}

std::string DeleteEntry(const std::string& folder, const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return "The name is not valid.";
  std::error_code ec;
  fs::remove_all(folder + name, ec);
  return ec ? ec.message() : std::string();
}

std::string PlanPreviewTitle(const uint8_t* data, size_t size, uint64_t fileLength) {
  if (size != sizeof(PlanFileHeader)) return {};
  uint32_t length = 0;
  uint16_t version = 0;
  std::memcpy(&length, data + offsetof(PlanFileHeader, length), sizeof length);
  std::memcpy(&version, data + offsetof(PlanFileHeader, version), sizeof version);
  if (length != fileLength || data[4] != 'F' || data[5] != 'P' || version < 100 || version > 105) return {};
  const char* title = reinterpret_cast<const char*>(data + offsetof(PlanFileHeader, title));
  return std::string(title, strnlen(title, kPlanTitleSize));
}

std::string PlanPreviewOfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  uint8_t head[sizeof(PlanFileHeader)];
  in.read(reinterpret_cast<char*>(head), sizeof head);
  const size_t got = static_cast<size_t>(in.gcount());
  std::error_code ec;
  const uint64_t length = fs::file_size(path, ec);
  if (ec) return {};
  return PlanPreviewTitle(head, got, length);
}

}  // namespace filedlg
