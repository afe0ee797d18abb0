// Reading, checking and writing the record file and the string file of a database.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "navdb/CheckedFile.h"
#include "navdb/DatabaseFileFormat.h"
#include "navdb/SceneryDatabase.h"

namespace {

const char* const kPointArrayNames[kPointArrayCount] = {
    "NDB", "ILS", "VOR", "airport", "marker", "runway end", "COM", "airspace", "intersection", "airway"};

// One directory entry's array, reached without knowing its record type.
struct ArrayBody {
  size_t recordSize = 0;
  const char* name = "";
  void* array = nullptr;
  int (*count)(const void* array) = nullptr;
  const void* (*data)(const void* array) = nullptr;
  void* (*resizeForOverwrite)(void* array, int n) = nullptr;
};

template <class T>
ArrayBody BodyOf(CRecordArray<T>& a, const char* name) {
  ArrayBody b;
  b.recordSize = sizeof(T);
  b.name = name;
  b.array = &a;
  b.count = [](const void* p) { return static_cast<const CRecordArray<T>*>(p)->GetSize(); };
  b.data = [](const void* p) -> const void* { return static_cast<const CRecordArray<T>*>(p)->GetData(); };
  b.resizeForOverwrite = [](void* p, int n) -> void* {
    auto* arr = static_cast<CRecordArray<T>*>(p);
    arr->SetSizeForOverwrite(n);
    return arr->GetData();
  };
  return b;
}

}  // namespace

// Friend of the database: the directory order of its arrays.
class CDatabaseFileIo {
 public:
  static void Bodies(CSceneryDatabase& db, ArrayBody (&out)[kRecordDirectoryEntries]) {
    out[0] = BodyOf(db.m_areas, "areas");
    out[1] = BodyOf(db.m_excludeBoxes, "exclude boxes");
    out[2] = BodyOf(db.m_files, "file records");
    out[3] = BodyOf(db.m_tiles, "tiles");
    out[4] = BodyOf(db.m_magVarGrids, "magnetic variation grids");
    for (int k = 0; k < kPointArrayCount; ++k) out[5 + k] = BodyOf(*db.m_pointArrays[k], kPointArrayNames[k]);
    out[kUnusedDirectoryEntry] = ArrayBody{};
    out[16] = BodyOf(db.m_tileKeys, "tile keys");
    out[17] = BodyOf(db.m_labelPoints, "label points");
    out[18] = BodyOf(db.m_objectGroups, "object groups");
    out[19] = BodyOf(db.m_objects, "objects");
    out[20] = BodyOf(db.m_footprintVertices, "footprint vertices");
    out[21] = BodyOf(db.m_airspaceShapes, "airspace shapes");
    out[22] = BodyOf(db.m_airspaceVertices, "airspace vertices");
  }
};

namespace {

bool ReadRecordHeader(CCheckedFile& file, RecordFileHeader& header, uint64_t& length,
                      std::string& reason) {
  length = file.GetLength();
  if (length < sizeof header) {
    reason = "record file is shorter than its header";
    return false;
  }
  if (file.Read(&header, sizeof header, nullptr, 0, 0, 0) != sizeof header) {
    reason = "record file header cannot be read";
    return false;
  }
  if (header.totalLength != length) {
    reason = "record file length " + std::to_string(length) + " differs from its header's " +
             std::to_string(header.totalLength);
    return false;
  }
  if (header.magic[0] != 'S' || header.magic[1] != 'Y') {
    reason = "not a database record file";
    return false;
  }
  if (header.version != kDatabaseFileVersion) {
    reason = "record file version " + std::to_string(header.version) + " is not supported";
    return false;
  }
  return true;
}

}  // namespace

bool CSceneryDatabase::LoadRecords(const std::string& path) {
  CCheckedFile file;
  if (!file.Open(path, CCheckedFile::modeRead | CCheckedFile::shareDenyWrite)) {
    return Fail("cannot open record file " + path);
  }
  RecordFileHeader header;
  uint64_t length = 0;
  std::string reason;
  if (!ReadRecordHeader(file, header, length, reason)) return Fail(reason);
  m_name1 = std::string(FixedText(header.name1, sizeof header.name1));
  m_name2 = std::string(FixedText(header.name2, sizeof header.name2));

  ArrayBody bodies[kRecordDirectoryEntries];
  CDatabaseFileIo::Bodies(*this, bodies);
  // Every entry is checked before any block is allocated, so a hostile size cannot ask for
  // more memory than the file could fill.
  for (int e = 0; e < kRecordDirectoryEntries; ++e) {
    if (e == kUnusedDirectoryEntry) continue;
    const DirectoryEntry& d = header.directory[e];
    if (d.size % bodies[e].recordSize != 0) {
      return Fail(std::string("record file: size of ") + bodies[e].name +
                  " is not a whole number of records");
    }
    if (uint64_t{d.offset} + d.size > length || (d.size > 0 && d.offset < sizeof header)) {
      return Fail(std::string("record file: ") + bodies[e].name + " lie outside the file");
    }
  }
  try {
    for (int e = 0; e < kRecordDirectoryEntries; ++e) {
      if (e == kUnusedDirectoryEntry) continue;
      const DirectoryEntry& d = header.directory[e];
      const int n = static_cast<int>(d.size / bodies[e].recordSize);
      void* block = bodies[e].resizeForOverwrite(bodies[e].array, n);
      if (n > 0 && file.Read(block, d.size, nullptr, 0, 0, d.offset) != d.size) {
        return Fail(std::string("record file: ") + bodies[e].name + " cannot be read whole");
      }
    }
  } catch (const std::bad_alloc&) {
    return Fail("record file: out of memory");
  }
  if (!file.Close()) return Fail("record file cannot be closed");
  return true;
}

bool CSceneryDatabase::LoadStrings(const std::string& path) {
  CCheckedFile file;
  if (!file.Open(path, CCheckedFile::modeRead | CCheckedFile::shareDenyWrite)) {
    return Fail("cannot open string file " + path);
  }
  const uint64_t length = file.GetLength();
  StringFileHeader header;
  if (length < sizeof header || file.Read(&header, sizeof header, nullptr, 0, 0, 0) != sizeof header) {
    return Fail("string file is shorter than its header");
  }
  if (header.totalLength != length) {
    return Fail("string file length " + std::to_string(length) + " differs from its header's " +
                std::to_string(header.totalLength));
  }
  if (header.magic[0] != 'S' || header.magic[1] != 'N') return Fail("not a database string file");
  if (header.version != kDatabaseFileVersion) {
    return Fail("string file version " + std::to_string(header.version) + " is not supported");
  }
  if (uint64_t{header.poolOffset} + header.poolLength > length ||
      (header.poolLength > 0 && header.poolOffset < sizeof header)) {
    return Fail("string file: the pool lies outside the file");
  }
  if (header.poolLength > static_cast<uint64_t>(kMaxPoolLength)) {
    return Fail("string file: the pool is too large");
  }
  try {
    m_pool.reset();
    m_poolLength = m_poolCapacity = 0;
    ReservePool(header.poolLength);
  } catch (const std::bad_alloc&) {
    return Fail("string file: out of memory");
  }
  if (header.poolLength > 0 &&
      file.Read(m_pool.get(), header.poolLength, nullptr, 0, 0, header.poolOffset) != header.poolLength) {
    return Fail("string file: the pool cannot be read whole");
  }
  m_poolLength = header.poolLength;
  m_pool[m_poolLength] = 0;
  if (!file.Close()) return Fail("string file cannot be closed");
  return true;
}

bool CSceneryDatabase::LoadDatabaseFiles(const std::string& recordPath, const std::string& stringPath) {
  ClearDatabase();
  m_lastError.clear();
  if (LoadRecords(recordPath) && LoadStrings(stringPath) && Validate()) return true;
  ClearDatabase();
  return false;
}

bool CSceneryDatabase::ReadHeaderNames(const std::string& recordPath, std::string& name1,
                                       std::string& name2) {
  CCheckedFile file;
  if (!file.Open(recordPath, CCheckedFile::modeRead | CCheckedFile::shareDenyWrite)) return false;
  RecordFileHeader header;
  uint64_t length = 0;
  std::string reason;
  if (!ReadRecordHeader(file, header, length, reason)) return false;
  name1 = std::string(FixedText(header.name1, sizeof header.name1));
  name2 = std::string(FixedText(header.name2, sizeof header.name2));
  return file.Close();
}

// ---- Checking a loaded database ------------------------------------------------------------------

namespace {

// Ends along a parent array must never decrease and must end at the child count.
template <class Parents, class EndOf>
bool ChainHolds(const Parents& parents, EndOf endOf, int childCount) {
  int64_t previous = 0;
  for (int i = 0, n = parents.GetSize(); i < n; ++i) {
    const int64_t e = endOf(parents[i]);
    if (e < previous) return false;
    previous = e;
  }
  return previous == childCount;
}

}  // namespace

bool CSceneryDatabase::Validate() {
  auto chain = [&](bool holds, const char* parent, const char* child) {
    if (!holds) m_lastError = std::string("chain of ") + parent + " into " + child + " is broken";
    return holds;
  };
  const bool chainsHold =
      chain(ChainHolds(m_areas, [](const AreaRecord& a) { return a.magVarEnd; }, m_magVarGrids.GetSize()),
            "areas", "magnetic variation grids") &&
      chain(ChainHolds(m_areas, [](const AreaRecord& a) { return a.excludeBoxEnd; }, m_excludeBoxes.GetSize()),
            "areas", "exclude boxes") &&
      chain(ChainHolds(m_areas, [](const AreaRecord& a) { return a.fileEnd; }, m_files.GetSize()),
            "areas", "file records") &&
      chain(ChainHolds(m_areas, [](const AreaRecord& a) { return a.tileKeyEnd; }, m_tileKeys.GetSize()),
            "areas", "tile keys") &&
      chain(ChainHolds(m_files, [](const BglFileRecord& f) { return f.tileEnd; }, m_tiles.GetSize()),
            "file records", "tiles") &&
      chain(ChainHolds(m_files, [](const BglFileRecord& f) { return f.objectGroupEnd; }, m_objectGroups.GetSize()),
            "file records", "object groups") &&
      chain(ChainHolds(m_files, [](const BglFileRecord& f) { return f.airspaceShapeEnd; },
                       m_airspaceShapes.GetSize()),
            "file records", "airspace shapes") &&
      chain(ChainHolds(m_tileKeys, [](const TileKey& k) { return k.end; }, m_labelPoints.GetSize()),
            "tile keys", "label points") &&
      chain(ChainHolds(m_objectGroups, [](const ObjectGroup& g) { return g.objectEnd; }, m_objects.GetSize()),
            "object groups", "objects") &&
      chain(ChainHolds(m_objects, [](const ObjectRecord& o) { return o.vertexEnd; }, m_footprintVertices.GetSize()),
            "objects", "footprint vertices") &&
      chain(ChainHolds(m_airspaceShapes, [](const AirspaceShape& s) { return s.vertexEnd; },
                       m_airspaceVertices.GetSize()),
            "airspace shapes", "airspace vertices");
  if (!chainsHold) return false;
  for (int k = 0; k < kPointArrayCount; ++k) {
    if (!ChainHolds(m_tiles, [k](const TileRecord& t) { return t.end[k]; }, m_pointArrays[k]->GetSize())) {
      return Fail(std::string("chain of tiles into ") + kPointArrayNames[k] + " points is broken");
    }
  }

  // -1 or an offset inside the pool; GetString also stops at the pool's end.
  auto textOk = [&](int32_t offset) {
    return offset == -1 || (offset >= 0 && static_cast<uint64_t>(offset) < m_poolLength);
  };
  for (const AreaRecord& a : m_areas) {
    if (!textOk(a.pathText) || !textOk(a.excludeText)) return Fail("an area's text lies outside the pool");
  }
  for (const BglFileRecord& f : m_files) {
    if (!textOk(f.subfolderText) || !textOk(f.fileNameText)) {
      return Fail("a file record's text lies outside the pool");
    }
  }
  for (const AirspaceVertex& v : m_airspaceVertices) {
    if (v.extraOffset != -1 && !PoolHolds(v.extraOffset, sizeof(VertexExtra))) {
      return Fail("an airspace vertex's circle lies outside the pool");
    }
  }

  for (int k = 0; k < kPointArrayCount; ++k) {
    const CNavPointArray& points = *m_pointArrays[k];
    for (int i = 0, n = points.GetSize(); i < n; ++i) {
      const NavPoint& p = points[i];
      auto where = [&] { return std::string(kPointArrayNames[k]) + " point " + std::to_string(i); };
      if (ArrayOfKind(p.kind) != k) return Fail(where() + " has kind " + std::to_string(p.kind));
      if (!p.HasPayload()) continue;
      const int64_t offset = p.PayloadOffset();
      if (!PoolHolds(offset, PayloadHeaderSize(p.kind))) return Fail(where() + ": payload outside the pool");
      const uint8_t* payload = m_pool.get() + offset;
      if (!PoolHolds(offset, PayloadSizeOf(p.kind, payload))) {
        return Fail(where() + ": payload list runs past the pool");
      }
      bool textsOk = true;
      switch (k) {
        case kArrayNdb: textsOk = textOk(GetNdb(p)->nameText); break;
        case kArrayVor: textsOk = textOk(GetVor(p)->nameText); break;
        case kArrayAirport: {
          const AirportRecord* a = GetAirport(p);
          textsOk = textOk(a->regionText) && textOk(a->countryText) && textOk(a->stateText) &&
                    textOk(a->cityText) && textOk(a->nameText);
          break;
        }
        case kArrayAirspace: {
          const AirspaceRecord* a = GetAirspace(p);
          textsOk = textOk(a->nameText) && textOk(a->callSignText);
          break;
        }
        default: break;
      }
      if (!textsOk) return Fail(where() + ": a text lies outside the pool");
    }
  }
  return true;
}

// ---- Writing -------------------------------------------------------------------------------------

bool CSceneryDatabase::SaveRecords(const std::string& path) {
  RecordFileHeader header;
  SetFixedText(header.name1, sizeof header.name1, m_name1);
  SetFixedText(header.name2, sizeof header.name2, m_name2);
  ArrayBody bodies[kRecordDirectoryEntries];
  CDatabaseFileIo::Bodies(*this, bodies);
  uint64_t offset = sizeof header;
  for (int e = 0; e < kRecordDirectoryEntries; ++e) {
    if (e == kUnusedDirectoryEntry) continue;
    const uint64_t size = uint64_t(bodies[e].count(bodies[e].array)) * bodies[e].recordSize;
    if (offset + size > UINT32_MAX) return Fail("the record file would pass 4 GB");
    header.directory[e] = {static_cast<uint32_t>(offset), static_cast<uint32_t>(size)};
    offset += size;
  }
  header.totalLength = static_cast<uint32_t>(offset);

  CCheckedFile file;
  if (!file.Open(path, CCheckedFile::modeCreate | CCheckedFile::modeWrite | CCheckedFile::shareExclusive)) {
    return Fail("cannot create record file " + path);
  }
  bool ok = file.Write(&header, sizeof header);
  for (int e = 0; ok && e < kRecordDirectoryEntries; ++e) {
    if (e == kUnusedDirectoryEntry || header.directory[e].size == 0) continue;
    ok = file.Write(bodies[e].data(bodies[e].array), header.directory[e].size);
  }
  ok = ok && file.Flush();
  ok = file.Close() && ok;
  return ok ? true : Fail("cannot write record file " + path);
}

bool CSceneryDatabase::SaveStrings(const std::string& path) {
  StringFileHeader header;
  std::memcpy(header.banner, kStringFileBanner, sizeof header.banner);
  header.poolLength = static_cast<uint32_t>(m_poolLength);
  header.totalLength = static_cast<uint32_t>(sizeof header + m_poolLength);
  CCheckedFile file;
  if (!file.Open(path, CCheckedFile::modeCreate | CCheckedFile::modeWrite | CCheckedFile::shareExclusive)) {
    return Fail("cannot create string file " + path);
  }
  bool ok = file.Write(&header, sizeof header);
  if (ok && m_poolLength > 0) ok = file.Write(m_pool.get(), m_poolLength);
  ok = ok && file.Flush();
  ok = file.Close() && ok;
  return ok ? true : Fail("cannot write string file " + path);
}

bool CSceneryDatabase::SaveDatabaseFiles(const std::string& recordPath, const std::string& stringPath) {
  m_lastError.clear();
  const std::string suffix = ".tmp" + std::to_string(::getpid());
  const std::string recordTemp = recordPath + suffix;
  const std::string stringTemp = stringPath + suffix;
  if (!SaveRecords(recordTemp) || !SaveStrings(stringTemp)) {
    std::remove(recordTemp.c_str());
    std::remove(stringTemp.c_str());
    return false;
  }
  // Keep the old record file reachable until the string file is in place too, so a failing
  // second rename can put the old pair back.
  const std::string recordBackup = recordPath + ".old" + std::to_string(::getpid());
  const bool backedUp = ::link(recordPath.c_str(), recordBackup.c_str()) == 0;
  if (std::rename(recordTemp.c_str(), recordPath.c_str()) != 0) {
    std::remove(recordTemp.c_str());
    std::remove(stringTemp.c_str());
    if (backedUp) std::remove(recordBackup.c_str());
    return Fail("cannot replace record file " + recordPath);
  }
  if (std::rename(stringTemp.c_str(), stringPath.c_str()) != 0) {
    std::remove(stringTemp.c_str());
    if (backedUp) {
      std::rename(recordBackup.c_str(), recordPath.c_str());
    } else {
      std::remove(recordPath.c_str());  // a record file without its strings is no database
    }
    return Fail("cannot replace string file " + stringPath);
  }
  if (backedUp) std::remove(recordBackup.c_str());
  return true;
}
