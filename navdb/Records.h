#pragma once

// The fixed-size records of the database's record arrays other than points and tiles (see
// NavPoint.h and Tiles.h). The record file stores them byte for byte as they stand here.

#include <cstdint>
#include <string>
#include <string_view>

#include "navdb/Geodesy.h"
#include "navdb/NavPoint.h"
#include "navdb/Tiles.h"

// A char field of fixed width that holds a NUL-terminated text only when the text is shorter
// than the field; readers never look past the field.
inline std::string_view FixedText(const char* field, size_t width) {
  size_t n = 0;
  while (n < width && field[n] != '\0') ++n;
  return std::string_view(field, n);
}
// Copies up to width - 1 bytes and zero-fills the rest, so the field always ends in NUL.
inline void SetFixedText(char* field, size_t width, std::string_view text) {
  size_t n = text.size() < width ? text.size() : width - 1;
  for (size_t i = 0; i < width; ++i) field[i] = i < n ? text[i] : '\0';
}

#pragma pack(push, 1)

struct AreaRecord {
  // The compiler stores the area's folder (its path or title value) here and finds cached areas
  // by comparing it case-insensitively.
  int32_t pathText = -1;
  int32_t excludeText = -1;
  int32_t magVarEnd = 0;
  int32_t excludeBoxEnd = 0;
  int32_t fileEnd = 0;
  int32_t tileKeyEnd = 0;

  int32_t TitleText() const { return pathText; }
};
static_assert(sizeof(AreaRecord) == 24);

enum : uint16_t {
  kExcludeObjects = 1,
  kExcludeVors = 2,
  kExcludeNdbs = 4,
  kExcludeAll = 7,
  // Frequencies: only old-format exclusion records carry it, and only the oldest simulators
  // honour it.
  kExcludeComs = 8,
  // Set by the compiler on every box of an area that holds no runway end: an area of scenery
  // objects alone hides the objects beneath it, not the runways and their lighting.
  kExcludeAreaWithoutRunways = 0x8000,
};

struct ExcludeBox {
  uint16_t flags = 0;
  float latMin = 0;
  float latMax = 0;
  float lonMin = 0;
  float lonMax = 0;
};
static_assert(sizeof(ExcludeBox) == 18);

struct BglFileRecord {
  int32_t subfolderText = -1;
  int32_t fileNameText = -1;
  uint32_t fileSize = 0;
  uint64_t fileTime = 0;  // last write, 100 ns ticks since 1601
  float latMin = 0;
  float latMax = 0;
  float lonMin = 0;  // lonMin > lonMax: the box crosses the 180-degree meridian
  float lonMax = 0;
  int32_t tileEnd = 0;
  int32_t objectGroupEnd = 0;
  int32_t airspaceShapeEnd = 0;

  bool Overlaps(const BglFileRecord& other) const;
};
static_assert(sizeof(BglFileRecord) == 48);

inline constexpr int kMagVarLongitudes = 360;
inline constexpr int kMagVarLatitudes = 181;

struct MagVarGrid {
  // longitude-major: ((lon + 360) mod 360) * 181 + (lat + 90)
  int16_t value[kMagVarLongitudes * kMagVarLatitudes] = {};

  // Raw value at whole degrees, lat -90..90, lon -360..359.
  int16_t At(int lat, int lon) const {
    return value[((lon + 360) % 360) * kMagVarLatitudes + (lat + 90)];
  }
  // Variation in degrees.
  static double ToDegrees(int16_t raw) { return BinaryAngleToDegrees(-raw); }
};
static_assert(sizeof(MagVarGrid) == 130320);

inline constexpr uint32_t kLabelIndexMask = 0x00FFFFFF;
inline constexpr uint32_t kLabelFirst = 1u << 31;

struct LabelPoint {
  // bits 0-23 intersection index, 24-30 segment slot, 31 first (or only) label of the segment
  uint32_t word = 0;
  float latitude = 0;
  float longitude = 0;

  static uint32_t MakeWord(int intersection, int slot, bool first) {
    return (static_cast<uint32_t>(intersection) & kLabelIndexMask) |
           ((static_cast<uint32_t>(slot) & 0x7F) << 24) | (first ? kLabelFirst : 0u);
  }
  int Intersection() const { return static_cast<int>(word & kLabelIndexMask); }
  int Slot() const { return static_cast<int>((word >> 24) & 0x7F); }
  bool IsFirst() const { return (word & kLabelFirst) != 0; }
};
static_assert(sizeof(LabelPoint) == 12);

struct ObjectGroup {
  // The scenery readers fill these two with the southern and northern latitude of the group's
  // band; the map takes the band with its file record's longitude range as the group's box.
  float latitude = 0;
  float longitude = 0;
  int32_t objectEnd = 0;

  float BandSouth() const { return latitude; }
  float BandNorth() const { return longitude; }
  void SetBand(float south, float north) {
    latitude = south;
    longitude = north;
  }
};
static_assert(sizeof(ObjectGroup) == 12);

inline constexpr uint8_t kObjectKept = 0x80;
inline constexpr uint8_t kObjectShown = 0x40;
inline constexpr uint8_t kObjectTypeMask = 0x3F;

struct ObjectRecord {
  uint8_t flags = kObjectKept | kObjectShown;  // bits 0-5 type (1 taxiway line, 2 fuel, 3 area)
  float latitude = 0;
  float longitude = 0;
  float scale = 0;    // footprint units per metre
  uint8_t layer = 255;  // set by the compiler
  int32_t vertexEnd = 0;

  bool IsKept() const { return (flags & kObjectKept) != 0; }
  bool IsShown() const { return (flags & kObjectShown) != 0; }
  int Type() const { return flags & kObjectTypeMask; }
};
static_assert(sizeof(ObjectRecord) == 18);

struct FootprintVertex {
  int16_t north = 0;
  int16_t east = 0;
};
static_assert(sizeof(FootprintVertex) == 4);

struct AirspaceShape {
  // class word, set by the compiler: bits 0-3 shape type, 4-5 hatch style, 6 below and 7 above
  // the transition height
  uint16_t flags = 0;
  int32_t vertexEnd = 0;

  int ShapeType() const { return flags & 0x0F; }
  int HatchStyle() const { return (flags >> 4) & 3; }
};
static_assert(sizeof(AirspaceShape) == 6);

enum : uint8_t {
  kEdgeGreatCircle = 1,
  kEdgeCircle = 2,
  kEdgeRhumb = 3,
  kEdgeRhumbDefault = 4,
  kEdgeArcCounterClockwise = 5,
  kEdgeArcClockwise = 6,
};

struct AirspaceVertex {
  float latitude = 0;
  float longitude = 0;
  uint8_t edge = kEdgeRhumbDefault;  // low three bits the edge type
  int32_t extraOffset = -1;          // pool offset of a VertexExtra, -1 for a plain vertex

  int EdgeType() const { return edge & 7; }
};
static_assert(sizeof(AirspaceVertex) == 13);

// Circle or arc data of an airspace vertex, in the pool.
struct VertexExtra {
  float centreLatitude = 0;
  float centreLongitude = 0;
  float radiusNm = 0;
};
static_assert(sizeof(VertexExtra) == 12);

#pragma pack(pop)
