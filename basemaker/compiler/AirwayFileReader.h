#pragma once

// AIRWAY.txt: one waypoint-and-airway pair per line. Consecutive lines of one waypoint become
// one intersection point whose payload lists the airway segments through it, each naming its
// neighbours by ident and cell code; the neighbour indexes are resolved later, when the whole
// area has been read. The track segments of TRACK.txt are then tied to the nearest waypoints.

#include <cstdint>

#include "basemaker/compiler/NavTextFile.h"
#include "navdb/Payloads.h"

class CSceneryDatabase;
class CTextLineReader;
class CTrackSegmentList;

// A track end further than this from every airway waypoint stays unlinked (35 NM).
inline constexpr double kTrackLinkRadius = 64820.0;
// Entries of one waypoint are counted in a byte.
inline constexpr int kMaxSegmentEntries = 255;
// Level bits of a segment half and of the point kind.
enum : uint16_t { kAirwayLow = 1, kAirwayHigh = 2, kAirwayBoth = 3 };

// One side (previous or next) of an AIRWAY.txt line.
struct AirwayNeighbour {
  bool present = false;  // the ident field is not empty
  char ident[6] = {};
  uint16_t cellCode = 0;
  int value = 0;  // link value as written; stored divided by 100
  bool flag = false;
};

struct AirwayLine {
  char ident[6] = {};
  bool identFits = true;  // the ident has at most 5 characters
  double latitude = 0;
  double longitude = 0;
  int type = 0;
  uint16_t cellCode = 0;
  char airway[7] = {};
  bool airwayFits = true;  // the name has at most 6 characters
  uint16_t level = 0;  // kAirwayLow, kAirwayHigh, kAirwayBoth or 0
  AirwayNeighbour previous;
  AirwayNeighbour next;
};

// Parses one line of 16 fields (modified in place). False when a field is absent or a comment,
// or when the waypoint is not on the globe.
bool ParseAirwayFields(char* line, AirwayLine& out);

// Level bits of an airway level letter: L low, H high, B both, anything else none.
uint16_t AirwayLevelBits(const char* field);

// The 16 bits of a segment half: bit 0 flag, bits 1-2 level, bits 3-15 value / 100 (held to
// what the 13 bits can carry).
uint16_t SegmentHalfBits(bool flag, uint16_t level, int value);

// A fresh entry named `name`: both halves empty, their slots 255 and neighbour indexes -1.
AirwaySegment NewSegmentEntry(const char* name);
// Writes the unresolved form of a half: the neighbour's cell code and ident, and the bits.
void FillSegmentHalf(AirwaySegment& entry, int half, uint16_t cellCode, const char* ident,
                     uint16_t bits);
bool SegmentHalfEmpty(const AirwaySegment& entry, int half);

// Rebuilds the area database from its area 0 plus the waypoints of AIRWAY.txt and the track
// links. A file that cannot be opened changes nothing and is no failure; false only when the
// build was aborted (the area database is then left for the caller to discard).
bool ReadAirwayFile(const NavTextFile& file, CSceneryDatabase& area, CTrackSegmentList& tracks,
                    const ReaderSignals& signals);
// The same over an opened source.
bool ReadAirwayLines(CTextLineReader& lines, const NavTextFile& file, CSceneryDatabase& area,
                     CTrackSegmentList& tracks, const ReaderSignals& signals);
