// Compiling one collected area: the cache check, reading its files into a temporary database,
// thinning out what its files describe twice (AreaDuplicates.cpp), linking the airway segments
// of the text files into airways with their labels, and the merge into the build's database.

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "basemaker/app/TextCase.h"
#include "basemaker/compiler/AreaScanner.h"
#include "basemaker/compiler/DatabaseGrowth.h"
#include "basemaker/compiler/NavTextEntryReaders.h"
#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TrackSegmentList.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/Sync.h"

namespace {

// The temporary database of one area, sized for a large one.
void SizeTemporaryDatabase(CSceneryDatabase& t) {
  SetArrayGrowth(t, {1, 1, 100, 1, 200, 100, 100, 100, 100, 100, 400, 100, 1000, 20000, 2000, 1, 1,
                     100, 400, 1000, 1000, 10000});
}

// North, west, south, east and keywords; nullopt-like false when a coordinate does not parse or
// no keyword names a class.
bool ParseExcludeText(const std::string& text, ExcludeBox& box) {
  std::vector<char> copy(text.begin(), text.end());
  copy.push_back('\0');
  char* cursor = copy.data();
  float values[4];
  for (int i = 0; i < 4; ++i) {
    const char* field = SplitNextField(cursor, ",");
    const bool latitude = i % 2 == 0;
    if (field == nullptr || ParseCoordinate(values[i], field, latitude, false) != -1) return false;
  }
  uint16_t flags = 0;
  while (const char* field = SplitNextField(cursor, ",")) {
    if (CompareNoCase(field, "objects") == 0) flags |= kExcludeObjects;
    else if (CompareNoCase(field, "vors") == 0) flags |= kExcludeVors;
    else if (CompareNoCase(field, "ndbs") == 0) flags |= kExcludeNdbs;
    else if (CompareNoCase(field, "all") == 0) flags |= kExcludeAll;
  }
  if (flags == 0) return false;
  box.flags = flags;
  box.latMax = values[0];
  box.lonMin = values[1];
  box.latMin = values[2];
  box.lonMax = values[3];
  return true;
}

bool EntryNamed(const AirwaySegment& entry) { return entry.name[0] != '\0'; }
bool SameName(const AirwaySegment& a, const AirwaySegment& b) {
  return std::strncmp(a.name, b.name, 7) == 0;
}

struct Waypoint {
  NavPoint* point = nullptr;
  IntersectionRecord* header = nullptr;
  AirwaySegment* entries = nullptr;
  int count = 0;
};

// The intersection's payload with its entries, checked against the pool; empty when it has none.
Waypoint WaypointAt(CSceneryDatabase& db, int index) {
  Waypoint w;
  if (index < 0 || index >= db.m_intersections.GetSize()) return w;
  NavPoint& p = db.m_intersections[index];
  IntersectionRecord* header = db.GetIntersection(p);
  if (header == nullptr || !db.PoolHolds(p.PayloadOffset(), sizeof(IntersectionRecord))) return w;
  const int64_t size = static_cast<int64_t>(sizeof(AirwaySegment)) * header->segmentCount;
  if (!db.PoolHolds(p.PayloadOffset() + static_cast<int64_t>(sizeof(IntersectionRecord)), size)) {
    return w;
  }
  w.point = &p;
  w.header = header;
  w.entries = db.GetIntersectionSegments(p);
  w.count = header->segmentCount;
  return w;
}

void MakeKey(const IntersectionRecord& r, char* key) {
  std::memcpy(key, &r.cellCode, 2);
  std::memcpy(key + 2, r.ident, 6);
}

// First item with `key` in the sorted block, or count.
int FirstWithKey(const RouteSortItem* items, int count, const char* key) {
  const RouteSortItem* it = std::lower_bound(
      items, items + count, key,
      [](const RouteSortItem& item, const char* k) { return CompareRouteKeys(item.key, k) < 0; });
  const int i = static_cast<int>(it - items);
  return i < count && CompareRouteKeys(items[i].key, key) == 0 ? i : count;
}

// The chain walks follow stored links, which a broken or cyclic file can make endless; no
// honest chain visits more entries than the area holds.
int64_t TotalEntries(CSceneryDatabase& db, const RouteSortItem* items, int count) {
  int64_t total = 0;
  for (int i = 0; i < count; ++i) total += WaypointAt(db, items[i].index).count;
  return total;
}

}  // namespace

bool CAreaScanner::AbortSignalled(win::AutoResetEvent* abortEvent) {
  return abortEvent != nullptr && abortEvent->Wait(0);
}

// ---- Cache ---------------------------------------------------------------------------------------

int CAreaScanner::FindCachedArea(const CSceneryDatabase& cache) const {
  using FileKey = std::tuple<std::string, uint32_t, uint64_t>;
  std::set<FileKey> listed;
  for (const FileEntry& e : m_fileList.Entries()) {
    listed.emplace(LowerCp1252(e.Identity()), e.size, e.lastWrite);
  }
  for (int a = 0; a < cache.m_areas.GetSize(); ++a) {
    const AreaRecord& area = cache.m_areas[a];
    if (CompareNoCase(m_fileList.m_pathValue, cache.GetString(area.pathText)) != 0 ||
        CompareNoCase(m_fileList.m_exclude, cache.GetString(area.excludeText)) != 0) {
      continue;
    }
    const IndexRange files = cache.FileRange(a);
    std::set<FileKey> stored;
    for (int f = std::max(files.first, 0); f < files.end && f < cache.m_files.GetSize(); ++f) {
      const BglFileRecord& r = cache.m_files[f];
      const uint32_t size = r.fileSize;  // packed fields: copied, never bound by reference
      const uint64_t time = r.fileTime;
      stored.emplace(LowerCp1252(std::string(cache.GetString(r.subfolderText)) +
                                 cache.GetString(r.fileNameText)),
                     size, time);
    }
    if (stored == listed) return a;
  }
  return -1;
}

// ---- Compile -------------------------------------------------------------------------------------

bool CAreaScanner::CompileArea(CSceneryDatabase& main, const CSceneryDatabase& cache,
                               win::AutoResetEvent* abortEvent) {
  m_fromCache = false;
  const int cached = FindCachedArea(cache);
  if (cached >= 0) {
    main.MergeArea(cache, cached);
    m_fromCache = true;
    return !AbortSignalled(abortEvent);
  }
  const std::unique_ptr<CSceneryDatabase> temp = CompileAreaDatabase(abortEvent);
  if (temp == nullptr) return false;
  main.MergeArea(*temp, 0);
  return true;
}

std::unique_ptr<CSceneryDatabase> CAreaScanner::CompileAreaDatabase(win::AutoResetEvent* abortEvent) {
  auto temp = std::make_unique<CSceneryDatabase>(0x100000);
  SizeTemporaryDatabase(*temp);
  temp->AddArea(m_fileList.m_pathValue.c_str(), m_fileList.m_exclude.c_str());

  if (!m_fileList.m_exclude.empty()) {
    ExcludeBox box;
    if (ParseExcludeText(m_fileList.m_exclude, box)) {
      temp->m_excludeBoxes.Add(box);
      temp->m_areas[0].excludeBoxEnd = 1;
    }
  }

  CTrackSegmentList tracks;
  for (const FileEntry& entry : m_fileList.Entries()) {
    const std::optional<bool> text = ReadNavTextEntry(entry, *temp, tracks, abortEvent, m_heartbeat);
    const bool ok = text ? *text : entry.LoadBglEntry(*temp, abortEvent);
    if (!ok) return nullptr;
  }

  if (!RemoveDuplicates(*temp, abortEvent) || !ProcessRouteSegments(*temp, abortEvent)) {
    return nullptr;
  }
  return temp;
}

// ---- Airways ------------------------------------------------------------------------------------

bool CAreaScanner::ProcessRouteSegments(CSceneryDatabase& db, win::AutoResetEvent* abortEvent) {
  if (db.m_tileKeys.GetSize() > 0) return true;
  std::vector<RouteSortItem> items;
  for (int i = 0; i < db.m_intersections.GetSize(); ++i) {
    const Waypoint w = WaypointAt(db, i);
    if (w.header == nullptr || w.count == 0) continue;
    RouteSortItem item;
    MakeKey(*w.header, item.key);
    item.index = i;
    items.push_back(item);
  }
  if (items.empty()) return true;
  std::sort(items.begin(), items.end(), RouteItemLess);
  const int count = static_cast<int>(items.size());
  return LinkAirwaySegments(db, items.data(), count, abortEvent) &&
         BuildAirways(db, items.data(), count, abortEvent) &&
         AddSegmentLabelPoints(db, items.data(), count, abortEvent);
}

bool CAreaScanner::LinkAirwaySegments(CSceneryDatabase& db, const RouteSortItem* items, int count,
                                      win::AutoResetEvent* abortEvent) {
  // Searches the waypoints named by s's previous-side key for the entry of the same airway that
  // names q as its next waypoint, exactly or (identOnly) by ident; links both on success.
  auto link = [&](int qi, int sSlot, bool identOnly) -> bool {
    Waypoint q = WaypointAt(db, items[qi].index);
    AirwaySegment& s = q.entries[sSlot];
    char key[kRouteKeySize];
    s.half[0].Key(key);
    for (int c = FirstWithKey(items, count, key); c < count && CompareRouteKeys(items[c].key, key) == 0;
         ++c) {
      if (items[c].index == items[qi].index) continue;
      Waypoint p = WaypointAt(db, items[c].index);
      for (int tSlot = p.count - 1; tSlot >= 0; --tSlot) {
        AirwaySegment& t = p.entries[tSlot];
        if (!SameName(t, s) || !t.half[1].HasKey()) continue;
        char next[kRouteKeySize];
        t.half[1].Key(next);
        const bool match = identOnly ? std::strncmp(next + kSegmentKeyIdentAt, items[qi].key + kSegmentKeyIdentAt,
                                                    kRouteKeySize - kSegmentKeyIdentAt) == 0
                                     : CompareRouteKeys(next, items[qi].key) == 0;
        if (!match) continue;
        t.half[1].Link(items[qi].index, sSlot);
        s.half[0].Link(items[c].index, tSlot);
        return true;
      }
    }
    return false;
  };

  for (int pass = 0; pass < 2; ++pass) {
    for (int qi = 0; qi < count; ++qi) {
      const Waypoint q = WaypointAt(db, items[qi].index);
      for (int s = q.count - 1; s >= 0; --s) {
        if (!q.entries[s].half[0].HasKey()) continue;
        if (!link(qi, s, pass == 1) && pass == 1) q.entries[s].half[0].Clear();
      }
      if (AbortSignalled(abortEvent)) return false;
    }
  }
  for (int qi = 0; qi < count; ++qi) {
    const Waypoint q = WaypointAt(db, items[qi].index);
    for (int s = q.count - 1; s >= 0; --s) {
      if (q.entries[s].half[1].HasKey()) q.entries[s].half[1].Clear();
    }
    if (AbortSignalled(abortEvent)) return false;
  }
  return true;
}

bool CAreaScanner::BuildAirways(CSceneryDatabase& db, const RouteSortItem* items, int count,
                                win::AutoResetEvent* abortEvent) {
  const int64_t limit = TotalEntries(db, items, count) + 1;
  for (int i = 0; i < count; ++i) {
    if (i % 6000 == 5999 && m_heartbeat) m_heartbeat();
    const int qIndex = items[i].index;
    // AddAirwayPoint writes to the pool, which may move it: the payload is looked up afresh.
    for (int sSlot = WaypointAt(db, qIndex).count - 1; sSlot >= 0; --sSlot) {
      const Waypoint q = WaypointAt(db, qIndex);
      if (sSlot >= q.count) continue;
      const AirwaySegment& s = q.entries[sSlot];
      if (!EntryNamed(s) || s.half[0].neighbour < 0 || s.half[1].neighbour >= 0) continue;
      if ((s.half[0].flags & 1) != 0) {
        AddAirwayPoint(db, qIndex, sSlot, 0, q.point->latitude, q.point->longitude);
        continue;
      }
      // Back along the previous-side links to the first waypoint of the chain.
      int index = qIndex;
      int slot = sSlot;
      bool found = false;
      for (int64_t steps = 0; steps < limit; ++steps) {
        const Waypoint w = WaypointAt(db, index);
        if (slot < 0 || slot >= w.count) break;
        const AirwaySegment& e = w.entries[slot];
        const int32_t prev = e.half[0].neighbour;
        if (prev < 0) {
          found = true;
          break;
        }
        slot = e.half[0].EntrySlot();
        index = prev;
      }
      if (found) {
        const Waypoint first = WaypointAt(db, index);
        AddAirwayPoint(db, index, slot, 1, first.point->latitude, first.point->longitude);
      }
    }
    if (AbortSignalled(abortEvent)) return false;
  }
  return true;
}

void CAreaScanner::AddAirwayPoint(CSceneryDatabase& db, int index, int slot, int half,
                                  double latitude, double longitude) {
  std::vector<uint8_t> payload(sizeof(AirwayRecord));
  payload.reserve(1024);
  uint16_t kind = 1024;
  int64_t limit = static_cast<int64_t>(db.m_intersections.GetSize()) * 255 + 1;
  uint16_t itemCount = 0;
  while (index >= 0 && limit-- > 0 && itemCount < 0xFFFF) {
    const Waypoint w = WaypointAt(db, index);
    if (slot < 0 || slot >= w.count) break;
    const AirwaySegment& e = w.entries[slot];
    const uint32_t item = (static_cast<uint32_t>(slot) << 24) | (static_cast<uint32_t>(index) & 0xFFFFFF);
    const size_t at = payload.size();
    payload.resize(at + sizeof item);
    std::memcpy(payload.data() + at, &item, sizeof item);
    ++itemCount;
    kind = static_cast<uint16_t>(kind | ((e.half[0].flags >> 1) & 3) | ((e.half[1].flags >> 1) & 3));
    const int32_t next = e.half[half].neighbour;
    slot = e.half[half].EntrySlot();
    index = next;
  }
  std::memcpy(payload.data(), &itemCount, sizeof itemCount);
  NavPoint point(latitude, longitude, kind, 1);
  db.AddPoint(latitude, longitude, point, payload.data());
}

bool CAreaScanner::AddSegmentLabelPoints(CSceneryDatabase& db, const RouteSortItem* items, int count,
                                         win::AutoResetEvent* abortEvent) {
  for (int i = 0; i < count; ++i) {
    if (i % 2000 == 1999 && m_heartbeat) m_heartbeat();
    const int qIndex = items[i].index;
    const Waypoint q = WaypointAt(db, qIndex);
    for (int sSlot = q.count - 1; sSlot >= 0; --sSlot) {
      const AirwaySegment& s = q.entries[sSlot];
      const int32_t c = s.half[0].neighbour;
      if (!EntryNamed(s) || c < 0 || c >= db.m_intersections.GetSize()) continue;
      const NavPoint& pq = *q.point;
      const NavPoint& pc = db.m_intersections[c];
      const uint32_t record = (static_cast<uint32_t>(qIndex) & 0xFFFFFF) | ((static_cast<uint32_t>(sSlot) & 0x7F) << 24);
      const double length = GreatCircleDistance(pq.latitude, pq.longitude, pc.latitude, pc.longitude);
      double lat, lon;
      if (length > 150000) {
        const double fraction = 50000 / length;
        PointAlongSegment(lat, lon, pq.latitude, pq.longitude, pc.latitude, pc.longitude, fraction);
        db.AddLabelPoint(lat, lon, LabelPoint{record | kLabelFirst, static_cast<float>(lat), static_cast<float>(lon)});
        PointAlongSegment(lat, lon, pc.latitude, pc.longitude, pq.latitude, pq.longitude, fraction);
        db.AddLabelPoint(lat, lon, LabelPoint{record, static_cast<float>(lat), static_cast<float>(lon)});
      } else {
        PointAlongSegment(lat, lon, pq.latitude, pq.longitude, pc.latitude, pc.longitude, 0.5);
        db.AddLabelPoint(lat, lon, LabelPoint{record | kLabelFirst, static_cast<float>(lat), static_cast<float>(lon)});
      }
    }
    if (AbortSignalled(abortEvent)) return false;
  }
  return true;
}
