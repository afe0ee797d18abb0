#include "plotr/plan/WorldMap.h"

#include <cstring>
#include <new>

#include "platform/archive/DiskFile.h"
#include "platform/archive/Exceptions.h"

namespace {

std::filesystem::path g_worldMapFolder;

// Reads one section into its array. The size must be a whole number of elements and lie inside
// the file (checked in 64-bit arithmetic) before anything is allocated for it.
template <class T>
bool ReadSection(archive::File& file, uint64_t fileLength, const WorldMapSection& section, std::vector<T>& out) {
  const uint64_t offset = section.offset;
  const uint64_t size = section.size;
  if (size % sizeof(T) != 0 || offset > fileLength || size > fileLength - offset) {
    return false;
  }
  out.resize(static_cast<size_t>(size / sizeof(T)));
  if (size == 0) {
    return true;
  }
  file.Seek(static_cast<int64_t>(offset), archive::SeekFrom::begin);
  return file.Read(out.data(), static_cast<size_t>(size)) == size;
}

}  // namespace

void SetWorldMapFolder(const std::filesystem::path& folder) {
  g_worldMapFolder = folder;
}

std::filesystem::path WorldMapPath() {
  return g_worldMapFolder.empty() ? std::filesystem::path() : g_worldMapFolder / kWorldMapFileName;
}

CWorldMap::CWorldMap() {
  const std::filesystem::path path = WorldMapPath();
  if (!path.empty()) {
    LoadWorldMap(path);
  }
}

CWorldMap::~CWorldMap() = default;

void CWorldMap::ClearWorldMap() {
  m_coastShapes = {};
  m_coastSteps = {};
  m_riverShapes = {};
  m_riverSteps = {};
  m_mountainGroups = {};
  m_peaks = {};
}

bool CWorldMap::IsWorldMapEmpty() const {
  return m_coastShapes.empty() && m_coastSteps.empty() && m_riverShapes.empty() && m_riverSteps.empty() &&
         m_mountainGroups.empty() && m_peaks.empty();
}

bool CWorldMap::LoadWorldMap(const std::filesystem::path& path) {
  ClearWorldMap();
  archive::DiskFile file;
  if (!file.Open(path, archive::DiskFile::modeRead | archive::DiskFile::shareDenyWrite)) {
    return false;
  }
  bool loaded = LoadWorldMap(file);
  try {
    file.Close();
  } catch (const archive::FileException&) {
    loaded = false;
  }
  if (!loaded) {
    file.Abort();
    ClearWorldMap();
  }
  return loaded;
}

bool CWorldMap::LoadWorldMap(archive::File& file) {
  ClearWorldMap();
  bool loaded = false;
  try {
    const uint64_t length = file.GetLength();
    WorldMapHeader header;
    file.Seek(0, archive::SeekFrom::begin);
    loaded = file.Read(&header, sizeof header) == sizeof header && header.length == length &&
             header.magic[0] == 'W' && header.magic[1] == 'M' && header.version == kWorldMapVersion &&
             ReadSection(file, length, header.sections[0], m_coastShapes) &&
             ReadSection(file, length, header.sections[1], m_coastSteps) &&
             ReadSection(file, length, header.sections[2], m_riverShapes) &&
             ReadSection(file, length, header.sections[3], m_riverSteps) &&
             ReadSection(file, length, header.sections[4], m_mountainGroups) &&
             ReadSection(file, length, header.sections[5], m_peaks);
  } catch (const archive::FileException&) {
    loaded = false;
  } catch (const std::bad_alloc&) {
    loaded = false;
  }
  // A partly read map is never kept.
  if (!loaded) {
    ClearWorldMap();
  }
  return loaded;
}
