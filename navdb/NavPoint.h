#pragma once

// The 14-byte point record of every navigation point, its kind codes and the mapping of a kind
// to the point array that holds it. Stored in the record file as it stands in memory.

#include <cstdint>
#include <cstring>

// Kind codes of stored points. NDB, VOR and intersection points carry the airway levels in the
// two low bits (1 low, 2 high) once the builder has linked them to airways, so every reader
// masks them off with BaseKind() before comparing.
enum : uint16_t {
  kKindIntersection = 4,  // 4..7
  kKindNdb = 8,           // 8..11
  kKindVor = 16,          // 16..19
  kKindIls = 32,
  kKindAirport = 64,
  kKindRunway = 128,
  kKindMarker = 256,
  kKindCom = 512,
  kKindAirway = 1024,  // stored only with a level: 1025..1027
  kKindAirspaceLow = 4096,
  kKindAirspaceMid = 8192,
  kKindAirspaceHigh = 16384,
  kKindUserPoint = 0x8000,  // a plan's own fix; never stored in the database
};

// Bits of the airway level carried by NDB, VOR, intersection and airway kinds.
inline constexpr uint16_t kKindLevelMask = 3;

// Position of each kind's array among the ten point arrays: the order of the tile record's end
// indexes and of the record file's point entries.
enum PointArray : int {
  kArrayNdb = 0,
  kArrayIls,
  kArrayVor,
  kArrayAirport,
  kArrayMarker,
  kArrayRunway,
  kArrayCom,
  kArrayAirspace,
  kArrayIntersection,
  kArrayAirway,
  kPointArrayCount,
  kArrayNone = -1,
};

// The kind without its airway-level bits (intersections give 4, NDBs 8, VORs 16, airways 1024);
// all other kinds are returned unchanged.
constexpr uint16_t BaseKind(uint16_t kind) {
  if ((kind >= 4 && kind <= 19) || (kind >= 1024 && kind <= 1027)) {
    return static_cast<uint16_t>(kind & ~kKindLevelMask);
  }
  return kind;
}

// The array that stores points of this kind, kArrayNone for a kind that is never stored
// (0, 1024 without a level, the user point, anything unknown).
constexpr PointArray ArrayOfKind(uint16_t kind) {
  switch (kind) {
    case 4: case 5: case 6: case 7: return kArrayIntersection;
    case 8: case 9: case 10: case 11: return kArrayNdb;
    case 16: case 17: case 18: case 19: return kArrayVor;
    case kKindIls: return kArrayIls;
    case kKindAirport: return kArrayAirport;
    case kKindRunway: return kArrayRunway;
    case kKindMarker: return kArrayMarker;
    case kKindCom: return kArrayCom;
    case 1025: case 1026: case 1027: return kArrayAirway;
    case kKindAirspaceLow: case kKindAirspaceMid: case kKindAirspaceHigh: return kArrayAirspace;
    default: return kArrayNone;
  }
}

// The 30-bit payload field value that means "no payload"; it reads as -1.
inline constexpr uint32_t kNoPayload = 0x3FFFFFFF;
inline constexpr uint32_t kPayloadMask = 0x3FFFFFFF;
inline constexpr uint32_t kPointShown = 1u << 30;
inline constexpr uint32_t kPointKept = 1u << 31;

#pragma pack(push, 1)
struct NavPoint {
  float latitude = 0;
  float longitude = 0;
  uint16_t kind = 0;
  // bits 0-29 payload offset into the pool, bit 30 shown, bit 31 kept
  uint32_t word = kNoPayload | kPointShown | kPointKept;

  NavPoint() = default;
  // Both flag bits take the low bit of `flag`; the point starts without payload.
  NavPoint(double lat, double lon, uint16_t kindCode, int flag)
      : latitude(static_cast<float>(lat)),
        longitude(static_cast<float>(lon)),
        kind(kindCode),
        word(kNoPayload | ((flag & 1) ? (kPointShown | kPointKept) : 0u)) {}

  // Pool offset of the payload, -1 when there is none.
  int32_t PayloadOffset() const {
    uint32_t v = word & kPayloadMask;
    return v == kNoPayload ? -1 : static_cast<int32_t>(v);
  }
  bool HasPayload() const { return (word & kPayloadMask) != kNoPayload; }
  // Stores a pool offset (or -1 for none), keeping the flag bits.
  void SetPayloadOffset(int32_t offset) {
    uint32_t v = offset < 0 ? kNoPayload : (static_cast<uint32_t>(offset) & kPayloadMask);
    word = (word & ~kPayloadMask) | v;
  }

  bool IsKept() const { return (word & kPointKept) != 0; }
  bool IsShown() const { return (word & kPointShown) != 0; }
  void SetKept(bool on) { word = on ? (word | kPointKept) : (word & ~kPointKept); }
  void SetShown(bool on) { word = on ? (word | kPointShown) : (word & ~kPointShown); }
  // Shown follows kept: what an append into a database does.
  void SyncFlagBits() { word = (word & ~kPointShown) | ((word >> 1) & kPointShown); }

  uint16_t Kind() const { return BaseKind(kind); }

  // Points are the same place when position, kind and both flags agree; the payload offset is
  // not compared (two copies of a point live at different pool offsets).
  friend bool operator==(const NavPoint& a, const NavPoint& b) {
    const uint32_t flags = kPointShown | kPointKept;
    return a.latitude == b.latitude && a.longitude == b.longitude && a.kind == b.kind &&
           (a.word & flags) == (b.word & flags);
  }
};
#pragma pack(pop)
static_assert(sizeof(NavPoint) == 14);
