#include "basemaker/compiler/AreaScanner.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "basemaker/app/AreaEntry.h"
#include "basemaker/app/AreaLocation.h"
#include "basemaker/app/TextCase.h"
#include "basemaker/compiler/CabinetReader.h"
#include "platform/win/Drives.h"
#include "platform/win/FileTime.h"

namespace fs = std::filesystem;

namespace {

bool EndsWithNoCase(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() &&
         CompareFileNameNoCase(std::string_view(text).substr(text.size() - tail.size()), tail) == 0;
}

bool IsRealDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() == fs::file_type::directory;
}

bool IsRealFile(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() == fs::file_type::regular;
}

struct Found {
  std::string name;
  fs::path path;
  bool directory;
};

// The entries of a folder that are real files or folders (symlinks are never followed), in
// caseless name order so a listing does not depend on the file system's order.
std::vector<Found> ReadFolder(const fs::path& folder) {
  std::vector<Found> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::file_type type = it->symlink_status(ec).type();
    if (ec) break;
    if (type != fs::file_type::regular && type != fs::file_type::directory) continue;
    out.push_back({it->path().filename().string(), it->path(), type == fs::file_type::directory});
  }
  std::sort(out.begin(), out.end(), [](const Found& a, const Found& b) {
    const int c = CompareFileNameNoCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return out;
}

FileEntry EntryFor(const fs::path& file, const std::string& subfolder, const std::string& name) {
  FileEntry e;
  e.subfolder = subfolder;
  e.name = name;
  std::error_code ec;
  e.size = static_cast<uint32_t>(fs::file_size(file, ec));
  e.lastWrite = win::GetFileLastWriteTime(file).value_or(0);
  e.fullPath = file.string();
  return e;
}

}  // namespace

CAreaScanner::CAreaScanner() {
  std::error_code ec;
  m_base = fs::current_path(ec);
}

std::optional<fs::path> CAreaScanner::Resolve(const std::string& winPath, const fs::path& base) const {
  return win::ResolveWinPath(winPath, base, m_driveRoots);
}

std::optional<fs::path> CAreaScanner::ResolveConfigured(const std::string& winPath, const fs::path& base) const {
  return win::ResolveLinkedWinPath(winPath, base, m_driveRoots);
}

void CAreaScanner::ListFolder(const fs::path& folder, const std::string& subfolder, bool recurse) {
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  if (!m_visited.insert({static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)}).second) {
    return;
  }
  const std::vector<Found> entries = ReadFolder(folder);
  for (const Found& f : entries) {
    if (!f.directory && EndsWithNoCase(f.name, ".bgl")) {
      m_fileList.InsertInCollectorOrder(EntryFor(f.path, subfolder, f.name));
    }
  }
  if (!recurse) return;
  for (const Found& f : entries) {
    if (f.directory) ListFolder(f.path, subfolder + f.name + "\\", true);
  }
}

void CAreaScanner::ListBglFiles(const std::string& root, const std::string& subfolder, bool recurse) {
  const std::optional<fs::path> folder = Resolve(win::JoinWinPath(root, subfolder), m_base);
  if (folder) ListFolder(*folder, subfolder, recurse);
}

bool CAreaScanner::ListCabinetFile(const fs::path& cabinet) {
  if (!IsRealFile(cabinet)) return false;
  CCabinetReader reader;
  reader.SetListing(cabinet.string(), &m_fileList);
  return reader.Copy(cabinet.string(), 1);
}

bool CAreaScanner::ListCabinet(const std::string& path) {
  return ListCabinets(path, m_base);
}

bool CAreaScanner::ListCabinets(const std::string& path, const fs::path& base) {
  if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
  const std::string cabinet = EndsWithNoCase(path, ".cab") ? path : path + ".cab";
  // Every file the last part matches (wildcards allowed), each listed in turn; its folder may be
  // a linked one, and so may a cabinet the path names.
  const size_t cut = cabinet.find_last_of("\\/");
  const std::string pattern = cut == std::string::npos ? cabinet : cabinet.substr(cut + 1);
  std::optional<fs::path> folder = base;
  if (cut != std::string::npos) {
    folder = cut == 0 ? std::optional<fs::path>("/") : ResolveConfigured(cabinet.substr(0, cut), base);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    folder = std::nullopt;  // a drive letter without a folder has no place to start
  }
  if (!folder) return false;
  std::vector<std::pair<std::string, fs::path>> matches;
  std::error_code ec;
  for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code st;
    if (!MatchesWildcardNoCase(pattern, name) || !fs::is_regular_file(it->path(), st)) continue;
    const fs::path real = fs::canonical(it->path(), st);
    if (!st) matches.emplace_back(name, real);
  }
  std::sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) {
    const int c = CompareFileNameNoCase(a.first, b.first);
    return c != 0 ? c < 0 : a.first < b.first;
  });
  bool listed = false;
  for (const auto& [name, real] : matches) listed = ListCabinetFile(real) || listed;
  return listed;
}

bool CAreaScanner::CollectAreaFolder(const AreaEntry& area) {
  m_fileList.m_pathValue = area.FormatPathValue();
  m_fileList.m_exclude = area.exclude;
  const std::optional<fs::path> root = ResolveConfigured(area.path, m_base);
  if (!root || !IsRealDirectory(*root)) return ListCabinet(area.path);

  const std::optional<fs::path> scenery = Resolve("scenery", *root);
  if (scenery && IsRealDirectory(*scenery)) {
    ListFolder(*scenery, "scenery\\", false);
    for (const Found& f : ReadFolder(*root)) {
      if (!f.directory) continue;
      if (CompareFileNameNoCase(f.name, "scenery") == 0 || CompareFileNameNoCase(f.name, "texture") == 0) {
        continue;
      }
      const std::optional<fs::path> inner = Resolve("scenery", f.path);
      if (inner && IsRealDirectory(*inner)) ListFolder(*inner, f.name + "\\scenery\\", false);
    }
    return true;
  }
  ListFolder(*root, "", false);
  return true;
}

bool CAreaScanner::CollectAreaFromDrives(const AreaEntry& area) {
  m_fileList.m_pathValue = area.FormatPathValue();
  m_fileList.m_exclude = area.exclude;
  std::string rel = area.path;
  if (!rel.empty() && (rel[0] == '\\' || rel[0] == '/')) rel.erase(0, 1);
  const win::DriveTable& drives = m_drives != nullptr ? *m_drives : win::SystemDriveTable();
  for (const fs::path& root : CdAreaSearchRoots(area, drives)) {
    const std::optional<fs::path> folder =
        rel.empty() ? std::optional<fs::path>(root) : ResolveConfigured(rel, root);
    if (folder && IsRealDirectory(*folder)) {
      ListFolder(*folder, "", true);
      return true;
    }
    if (ListCabinets(rel, root)) return true;
  }
  return false;
}

void CAreaScanner::AppendProgramFile(const char* name) {
  if (m_programFolder.empty()) return;
  const std::optional<fs::path> found = Resolve(name, m_programFolder);
  if (!found || !IsRealFile(*found)) return;
  m_fileList.Add(EntryFor(*found, "", found->filename().string()));
}

void CAreaScanner::AddNavTextFiles() {
  m_fileList.m_pathValue = (m_programFolder / "").string();
  for (const char* name : {"ISEC.txt", "TRACK.txt", "AIRWAY.txt"}) AppendProgramFile(name);
}

void CAreaScanner::AddAirspaceFile() {
  m_fileList.m_pathValue = (m_programFolder / "").string();
  AppendProgramFile("AIRSPACE.txt");
}
