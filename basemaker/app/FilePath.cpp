#include "basemaker/app/FilePath.h"

#include <filesystem>
#include <system_error>

#include "basemaker/app/TextCase.h"
#include "platform/win/WinPath.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

struct PathParts {
  std::string_view drive;      // "C:" or empty
  std::string_view directory;  // up to and including the last separator
  std::string_view name;
  std::string_view extension;  // from the last dot on
};

PathParts SplitParts(std::string_view path) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  const size_t lastSep = path.find_last_of("\\/");
  if (lastSep != std::string_view::npos) {
    parts.directory = path.substr(0, lastSep + 1);
    path.remove_prefix(lastSep + 1);
  }
  const size_t dot = path.find_last_of('.');
  if (dot != std::string_view::npos) {
    parts.name = path.substr(0, dot);
    parts.extension = path.substr(dot);
  } else {
    parts.name = path;
  }
  return parts;
}

}  // namespace

void CFilePath::Assign(const CFilePath& other) {
  if (&other != this) m_path = other.m_path;
}

void CFilePath::Set(const char* text) { m_path = text != nullptr ? text : ""; }

void CFilePath::Split(std::string* drive, std::string* directory, std::string* name,
                      std::string* extension) const {
  const PathParts parts = SplitParts(m_path);
  if (drive != nullptr) *drive = parts.drive.substr(0, parts.drive.empty() ? 0 : 1);
  if (directory != nullptr) {
    std::string_view dir = parts.directory;
    if (dir.size() > 1) dir.remove_suffix(1);
    *directory = dir;
  }
  if (name != nullptr) *name = parts.name;
  if (extension != nullptr) {
    *extension = parts.extension.empty() ? std::string() : std::string(parts.extension.substr(1));
  }
}

void CFilePath::GetFolder(std::string& out) const {
  std::string drive, directory;
  Split(&drive, &directory, nullptr, nullptr);
  // Every caller passes a path with a drive; without one the directory alone is the folder.
  out = drive.empty() ? directory : drive + ":" + directory;
}

void CFilePath::GetFileName(std::string& out) const {
  std::string name, extension;
  Split(nullptr, nullptr, &name, &extension);
  out = extension.empty() ? name : name + "." + extension;
}

void CFilePath::MakePath(const char* drive, const char* directory, const char* name,
                         const char* extension) {
  std::string path;
  if (drive != nullptr && drive[0] != '\0') {
    path += drive[0];
    path += ':';
  }
  if (directory != nullptr && directory[0] != '\0') {
    path += directory;
    if (!IsSeparator(path.back())) path += '\\';
  }
  if (name != nullptr) path += name;
  if (extension != nullptr && extension[0] != '\0') {
    if (extension[0] != '.') path += '.';
    path += extension;
  }
  m_path = std::move(path);
}

void CFilePath::SetFolder(const char* folder) {
  std::string name, extension;
  Split(nullptr, nullptr, &name, &extension);
  std::string dir = folder != nullptr ? folder : "";
  EnsureTrailingBackslash(dir);
  MakePath(nullptr, dir.c_str(), name.c_str(), extension.c_str());
}

void CFilePath::SetFileName(const char* name) {
  std::string drive, directory;
  Split(&drive, &directory, nullptr, nullptr);
  MakePath(drive.c_str(), directory.c_str(), name, nullptr);
}

void CFilePath::SetToTempFolder() {
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  // Held in the same syntax as every other path of the build.
  std::string text = temp.string();
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  m_path = text;
  SetFileName("");
}

bool CFilePath::Exists() const {
  if (m_path.empty()) return false;
  const PathParts parts = SplitParts(m_path);
  const std::string pattern = std::string(parts.name) + std::string(parts.extension);
  const bool wildcard = pattern.find_first_of("*?") != std::string::npos;
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::current_path(ec);
  if (ec) return false;
  if (!wildcard) return win::ResolveWinPath(m_path, base).has_value();

  const std::string folder = std::string(parts.drive) + std::string(parts.directory);
  const auto resolved = win::ResolveWinPath(folder.empty() ? std::string(".\\") : folder, base);
  if (!resolved) return false;
  std::filesystem::directory_iterator it(*resolved, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (MatchesWildcardNoCase(pattern, it->path().filename().string())) return true;
  }
  return false;
}

void EnsureTrailingBackslash(std::string& text) {
  if (text.empty() || text.back() != '\\') text += '\\';
}
