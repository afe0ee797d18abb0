#include "basemaker/compiler/AirwayFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "basemaker/compiler/NavTextFields.h"
#include "basemaker/compiler/TextLineReader.h"
#include "basemaker/compiler/TrackSegmentList.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"

namespace {

constexpr size_t kLinePiece = 255;
constexpr uint64_t kHeartbeatLines = 5000;
constexpr int kAirwayFieldCount = 16;
// Only waypoints this close in latitude and longitude are measured for a track link.
constexpr double kTrackLinkWindow = 10.0;
constexpr uint16_t kMaxLinkValue = 0x1FFF;  // 13 bits
// A track link can be flown both ways at every level.
constexpr uint16_t kTrackLinkBits = 0x7;

// Growth of the work database's arrays while the file is read into it.
constexpr int kWorkFileGrowth = 100;
constexpr int kWorkTileGrowth = 200;
constexpr int kWorkIntersectionGrowth = 20000;
// The pool takes some 70 bytes per waypoint; a step of a megabyte keeps the copies few.
constexpr int kWorkPoolGrowth = 1 << 20;

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (FoldCase(*a) != FoldCase(*b)) {
      return false;
    }
  }
  return *a == *b;
}

bool OnGlobe(double lat, double lon) { return std::fabs(lat) <= 90.0 && std::fabs(lon) <= 180.0; }

void ParseNeighbour(const char* const* fields, AirwayNeighbour& out) {
  // fields: ident, latitude, longitude, value, flag
  out.present = fields[0][0] != '\0';
  CopyTruncated(out.ident, fields[0], sizeof out.ident - 1);
  out.cellCode = CellCode(ReadDouble(fields[1]), ReadDouble(fields[2]));
  out.value = ReadInt(fields[3]);
  out.flag = fields[4][0] == 'Y';
}

// The waypoint being collected from consecutive lines.
struct PendingWaypoint {
  bool exists = false;
  double latitude = 0;
  double longitude = 0;
  uint16_t kind = kKindIntersection;
  IntersectionRecord header;
  std::vector<AirwaySegment> entries;  // cleared, not freed, between waypoints
  std::vector<uint8_t> payload;
};

bool SameWaypoint(const PendingWaypoint& w, const AirwayLine& line) {
  return w.exists && w.header.cellCode == line.cellCode && w.latitude == line.latitude &&
         w.longitude == line.longitude && line.identFits &&
         std::strcmp(w.header.ident, line.ident) == 0;
}

void StorePayload(std::vector<uint8_t>& out, const IntersectionRecord& header,
                  const AirwaySegment* entries, size_t count) {
  out.resize(sizeof header + count * sizeof(AirwaySegment));
  std::memcpy(out.data(), &header, sizeof header);
  if (count > 0) {
    std::memcpy(out.data() + sizeof header, entries, count * sizeof(AirwaySegment));
  }
}

void FlushWaypoint(PendingWaypoint& w, CSceneryDatabase& work) {
  w.header.segmentCount = static_cast<uint8_t>(w.entries.size());
  StorePayload(w.payload, w.header, w.entries.data(), w.entries.size());
  NavPoint point(w.latitude, w.longitude, w.kind, 1);
  work.AddPoint(w.latitude, w.longitude, point, w.payload.data());
}

void StartWaypoint(PendingWaypoint& w, const AirwayLine& line) {
  w.exists = true;
  w.latitude = line.latitude;
  w.longitude = line.longitude;
  w.kind = kKindIntersection;
  w.header = IntersectionRecord{};
  w.header.type = static_cast<uint8_t>((line.type & 0xF) * 0x11);
  w.header.navaid = -1;
  w.header.cellCode = line.cellCode;
  std::memcpy(w.header.ident, line.ident, sizeof w.header.ident);
  w.header.segmentCount = 0;
  w.entries.clear();
}

void AddLineToWaypoint(PendingWaypoint& w, const AirwayLine& line) {
  AirwaySegment* entry = nullptr;
  if (line.airwayFits) {
    for (AirwaySegment& e : w.entries) {
      char name[8];
      CopyTruncated(name, e.name, 6);
      if (EqualIgnoringCase(name, line.airway) &&
          (SegmentHalfEmpty(e, 0) || !line.previous.present) &&
          (SegmentHalfEmpty(e, 1) || !line.next.present)) {
        entry = &e;
        break;
      }
    }
  }
  if (entry == nullptr) {
    // The entry count is a byte: a waypoint already on 255 segments takes no more.
    if (w.entries.size() >= static_cast<size_t>(kMaxSegmentEntries)) {
      return;
    }
    w.entries.push_back(NewSegmentEntry(line.airway));
    entry = &w.entries.back();
  }
  const AirwayNeighbour* sides[2] = {&line.previous, &line.next};
  for (int half = 0; half < 2; ++half) {
    const AirwayNeighbour& n = *sides[half];
    if (!n.present) {
      continue;
    }
    FillSegmentHalf(*entry, half, n.cellCode, n.ident, SegmentHalfBits(n.flag, line.level, n.value));
    w.kind = static_cast<uint16_t>(w.kind | line.level);
  }
}

// Reads pieces until one holds all 16 fields; false at the end of the file or on an error.
bool ParseNextAirwayLine(CTextLineReader& lines, char* buffer, AirwayLine& out) {
  while (lines.ReadPiece(buffer, kLinePiece)) {
    if (ParseAirwayFields(buffer, out)) {
      return true;
    }
  }
  return false;
}

struct LinkCandidate {
  int index;
  double latitude;
  double longitude;
};

// Candidates sorted by latitude, so that only the band around a track end is measured.
int NearestWaypoint(const std::vector<LinkCandidate>& candidates, double lat, double lon) {
  auto first = std::lower_bound(
      candidates.begin(), candidates.end(), lat - kTrackLinkWindow,
      [](const LinkCandidate& c, double value) { return c.latitude <= value; });
  int best = -1;
  double bestDistance = kTrackLinkRadius;
  for (auto it = first; it != candidates.end() && it->latitude - lat < kTrackLinkWindow; ++it) {
    if (std::fabs(it->longitude - lon) >= kTrackLinkWindow) {
      continue;
    }
    const double d = GreatCircleDistance(lat, lon, it->latitude, it->longitude);
    // Of two waypoints at the same distance the one earlier in the database wins.
    if (d < bestDistance || (d == bestDistance && best >= 0 && it->index < best)) {
      bestDistance = d;
      best = it->index;
    }
  }
  return best;
}

bool LinkTracks(CSceneryDatabase& work, CTrackSegmentList& tracks, const ReaderSignals& signals) {
  signals.Heartbeat();
  std::vector<LinkCandidate> candidates;
  const int file = work.m_files.GetSize() - 1;
  const IndexRange tiles = work.TileRange(file);
  for (int t = tiles.first; t < tiles.end; ++t) {
    const IndexRange points = work.PointRange(t, kArrayIntersection);
    for (int i = points.first; i < points.end; ++i) {
      const NavPoint& p = work.m_intersections[i];
      const IntersectionRecord* r = work.GetIntersection(p);
      if (r != nullptr && r->segmentCount > 0) {
        candidates.push_back({i, p.latitude, p.longitude});
      }
    }
  }
  std::sort(candidates.begin(), candidates.end(),
            [](const LinkCandidate& a, const LinkCandidate& b) { return a.latitude < b.latitude; });
  for (int s = 0; s < tracks.GetSize(); ++s) {
    TrackSegment& segment = tracks[s];
    segment.link1 = NearestWaypoint(candidates, segment.lat1, segment.lon1);
    segment.link2 = NearestWaypoint(candidates, segment.lat2, segment.lon2);
    if (signals.AbortRequested()) {
      return false;
    }
  }
  return true;
}

// The copy of an intersection payload with a track link entry for every linked segment that
// ends at it.
void BuildLinkedPayload(const CSceneryDatabase& work, const CTrackSegmentList& tracks, int index,
                        const IntersectionRecord& source, std::vector<AirwaySegment>& entries,
                        std::vector<uint8_t>& payload) {
  entries.assign(reinterpret_cast<const AirwaySegment*>(&source + 1),
                 reinterpret_cast<const AirwaySegment*>(&source + 1) + source.segmentCount);
  int cursor = -1;
  int end;
  while (entries.size() < static_cast<size_t>(kMaxSegmentEntries) &&
         (end = tracks.FindNextLinkedSegment(cursor, index)) >= 0) {
    const TrackSegment& segment = tracks[cursor];
    const int other = end == 0 ? segment.link2 : segment.link1;
    const IntersectionRecord* neighbour = nullptr;
    if (other >= 0 && other < work.m_intersections.GetSize()) {
      neighbour = work.GetIntersection(work.m_intersections[other]);
    }
    if (neighbour == nullptr) {
      continue;
    }
    AirwaySegment link = NewSegmentEntry("");
    char ident[6];
    CopyTruncated(ident, neighbour->ident, 5);
    FillSegmentHalf(link, end, neighbour->cellCode, ident, kTrackLinkBits);
    entries.push_back(link);
  }
  IntersectionRecord header = source;
  header.segmentCount = static_cast<uint8_t>(entries.size());
  StorePayload(payload, header, entries.data(), entries.size());
}

bool CopyBack(CSceneryDatabase& work, CSceneryDatabase& area, const CTrackSegmentList& tracks,
              const ReaderSignals& signals) {
  signals.Heartbeat();
  const int base = area.m_intersections.GetSize();
  area.m_areas.AddFromDatabase(work.m_areas[0], work);
  const int areaIndex = area.m_areas.GetSize() - 1;
  // The end indexes live in packed records: they are counted in locals and stored back.
  std::vector<AirwaySegment> entries;
  std::vector<uint8_t> payload;
  const IndexRange files = work.FileRange(0);
  for (int f = files.first; f < files.end; ++f) {
    int fileEnd = area.m_areas[areaIndex].fileEnd;
    area.m_files.AddFromDatabase(work.m_files[f], work, &fileEnd);
    area.m_areas[areaIndex].fileEnd = fileEnd;
    const int newFile = area.m_files.GetSize() - 1;
    const IndexRange tiles = work.TileRange(f);
    for (int t = tiles.first; t < tiles.end; ++t) {
      int tileEnd = area.m_files[newFile].tileEnd;
      const int newTile = area.m_tiles.AddTile(work.m_tiles[t], &tileEnd);
      area.m_files[newFile].tileEnd = tileEnd;
      const IndexRange points = work.PointRange(t, kArrayIntersection);
      for (int i = points.first; i < points.end; ++i) {
        NavPoint point = work.m_intersections[i];
        const IntersectionRecord* source = work.GetIntersection(point);
        if (source != nullptr &&
            work.PoolHolds(point.PayloadOffset(),
                           static_cast<int64_t>(sizeof(IntersectionRecord)) +
                               static_cast<int64_t>(source->segmentCount) * 28)) {
          if (source->segmentCount > 0) {
            BuildLinkedPayload(work, tracks, i, *source, entries, payload);
          } else {
            StorePayload(payload, *source, nullptr, 0);
          }
          area.AddIntersection(point, reinterpret_cast<const IntersectionRecord*>(payload.data()),
                               base);
        } else {
          point.SetPayloadOffset(-1);
        }
        int pointEnd = area.m_tiles[newTile].end[kArrayIntersection];
        area.m_intersections.Add(point, &pointEnd);
        area.m_tiles[newTile].end[kArrayIntersection] = pointEnd;
      }
      if (signals.AbortRequested()) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

uint16_t AirwayLevelBits(const char* field) {
  switch (field[0]) {
    case 'L':
      return kAirwayLow;
    case 'H':
      return kAirwayHigh;
    case 'B':
      return kAirwayBoth;
    default:
      return 0;
  }
}

uint16_t SegmentHalfBits(bool flag, uint16_t level, int value) {
  const int hundreds = std::clamp(value / 100, 0, static_cast<int>(kMaxLinkValue));
  return static_cast<uint16_t>((flag ? 1 : 0) | ((level & 3) << 1) | (hundreds << 3));
}

AirwaySegment NewSegmentEntry(const char* name) {
  AirwaySegment entry;
  CopyTruncated(entry.name, name, 6);
  unsigned sum = 0;
  for (const char* c = entry.name; *c != '\0'; ++c) {
    sum += static_cast<unsigned char>(*c);
  }
  entry.name[7] = static_cast<char>(sum % 4);
  for (SegmentHalf& half : entry.half) half.Clear();
  return entry;
}

void FillSegmentHalf(AirwaySegment& entry, int half, uint16_t cellCode, const char* ident,
                     uint16_t bits) {
  char text[6];
  CopyTruncated(text, ident, 5);
  entry.half[half].SetKey(cellCode, text);
  entry.half[half].flags = bits;
}

bool SegmentHalfEmpty(const AirwaySegment& entry, int half) {
  char key[kSegmentKeySize];
  entry.half[half].Key(key);
  return key[kSegmentKeyIdentAt] == '\0';
}

bool ParseAirwayFields(char* line, AirwayLine& out) {
  const char* fields[kAirwayFieldCount];
  char* cursor = line;
  for (const char*& field : fields) {
    field = SplitNextField(cursor, kNavTextSeparators);
    if (IsMissingField(field)) {
      return false;
    }
  }
  out = AirwayLine{};
  out.latitude = ReadDouble(fields[1]);
  out.longitude = ReadDouble(fields[2]);
  // A waypoint off the globe has no tile and no cell; the line carries nothing usable.
  if (!OnGlobe(out.latitude, out.longitude)) {
    return false;
  }
  CopyTruncated(out.ident, fields[0], sizeof out.ident - 1);
  out.identFits = std::strlen(fields[0]) < sizeof out.ident;
  out.type = ReadInt(fields[3]);
  out.cellCode = CellCode(out.latitude, out.longitude);
  CopyTruncated(out.airway, fields[4], sizeof out.airway - 1);
  out.airwayFits = std::strlen(fields[4]) < sizeof out.airway;
  out.level = AirwayLevelBits(fields[5]);
  ParseNeighbour(fields + 6, out.previous);
  ParseNeighbour(fields + 11, out.next);
  return true;
}

bool ReadAirwayFile(const NavTextFile& file, CSceneryDatabase& area, CTrackSegmentList& tracks,
                    const ReaderSignals& signals) {
  CTextLineReader lines;
  if (!lines.Open(file.fullPath)) {
    return true;
  }
  return ReadAirwayLines(lines, file, area, tracks, signals);
}

bool ReadAirwayLines(CTextLineReader& lines, const NavTextFile& file, CSceneryDatabase& area,
                     CTrackSegmentList& tracks, const ReaderSignals& signals) {
  CSceneryDatabase work(kWorkPoolGrowth);
  work.m_areas.SetSize(0, 1);
  work.m_files.SetSize(0, kWorkFileGrowth);
  work.m_tiles.SetSize(0, kWorkTileGrowth);
  work.m_intersections.SetSize(0, kWorkIntersectionGrowth);
  if (area.m_areas.GetSize() > 0) {
    work.MergeArea(area, 0);
  } else {
    work.AddArea(nullptr, nullptr);
  }
  area.ClearDatabase();
  AppendTextFileRecord(work, file);

  PendingWaypoint waypoint;
  AirwayLine line;
  char buffer[kLinePiece + 1];
  bool aborted = false;
  for (uint64_t count = 0;; ++count) {
    if (count % kHeartbeatLines == kHeartbeatLines - 1) {
      signals.Heartbeat();
    }
    const bool parsed = ParseNextAirwayLine(lines, buffer, line);
    if (!parsed || !SameWaypoint(waypoint, line)) {
      if (waypoint.exists) {
        FlushWaypoint(waypoint, work);
        if (signals.AbortRequested()) {
          aborted = true;
          break;
        }
      }
      if (!parsed) {
        break;
      }
      StartWaypoint(waypoint, line);
    }
    AddLineToWaypoint(waypoint, line);
  }
  lines.Close();
  if (aborted) {
    return false;
  }
  if (!LinkTracks(work, tracks, signals)) {
    return false;
  }
  return CopyBack(work, area, tracks, signals);
}
