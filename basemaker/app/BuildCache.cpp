#include "basemaker/app/BuildCache.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <tuple>

#include "basemaker/compiler/FileEntryList.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/FileTime.h"

namespace fs = std::filesystem;

namespace {

using FileKey = std::tuple<std::string, uint32_t, uint64_t>;

std::vector<FileKey> ListedFiles(const CFileEntryList& list) {
  std::vector<FileKey> keys;
  for (const FileEntry& e : list.Entries()) keys.emplace_back(e.Identity(), e.size, e.lastWrite);
  std::sort(keys.begin(), keys.end());
  return keys;
}

std::vector<FileKey> StoredFiles(const CSceneryDatabase& cache, int area) {
  std::vector<FileKey> keys;
  const IndexRange files = cache.FileRange(area);
  for (int f = std::max(files.first, 0); f < files.end && f < cache.m_files.GetSize(); ++f) {
    const BglFileRecord& r = cache.m_files[f];
    const uint32_t size = r.fileSize;  // packed fields: copied, never bound by reference
    const uint64_t time = r.fileTime;
    keys.emplace_back(std::string(cache.GetString(r.subfolderText)) + cache.GetString(r.fileNameText), size, time);
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

}  // namespace

std::string DatabaseKeyFile(const fs::path& databaseFolder, const std::string& databaseName) {
  return (databaseFolder / (databaseName + ".key")).string();
}

std::string BuildKeyText(int simVer, const std::optional<fs::path>& icaoFile) {
  std::string text = "SimVer=" + std::to_string(simVer) + "\r\nICAO.txt=";
  std::error_code ec;
  const uintmax_t size = icaoFile ? fs::file_size(*icaoFile, ec) : 0;
  if (icaoFile && !ec) {
    text += std::to_string(size) + "," + std::to_string(win::GetFileLastWriteTime(*icaoFile).value_or(0));
  } else {
    text += "none";
  }
  return text + "\r\n";
}

bool CacheHoldsAreas(const CSceneryDatabase& cache, const std::vector<const CFileEntryList*>& areas) {
  if (cache.m_areas.GetSize() != static_cast<int>(areas.size())) return false;
  for (int a = 0; a < cache.m_areas.GetSize(); ++a) {
    const CFileEntryList& list = *areas[static_cast<size_t>(a)];
    const AreaRecord& area = cache.m_areas[a];
    if (list.m_pathValue != cache.GetString(area.pathText) || list.m_exclude != cache.GetString(area.excludeText) ||
        ListedFiles(list) != StoredFiles(cache, a)) {
      return false;
    }
  }
  return true;
}

bool KeyFileMatches(const std::string& keyFile, const std::string& keyText) {
  std::ifstream in(keyFile, std::ios::binary);
  if (!in) return false;
  // Never more than the expected text: a larger file is simply no match.
  std::string stored(keyText.size() + 1, '\0');
  in.read(stored.data(), static_cast<std::streamsize>(stored.size()));
  stored.resize(static_cast<size_t>(in.gcount()));
  return stored == keyText;
}
