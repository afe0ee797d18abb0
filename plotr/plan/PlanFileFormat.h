#pragma once

// The plan document file (*.cwp): the image of one route. A 320-byte header with a section
// directory, then the aircraft profile, the points (kind and position), the points' manual
// settings (bytes 24-65 of each waypoint) and the cruise block. Positions only, no database
// offsets: a loaded plan finds every waypoint again in whatever database is open. Little-endian,
// packed.

#include <cstddef>
#include <cstdint>

#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/PlanPoint.h"
#include "plotr/plan/Route.h"

inline constexpr uint16_t kPlanFileVersion = 105;
// Written for the older kind codes; read back with them.
inline constexpr uint16_t kPlanFileVersionOldKinds = 103;
inline constexpr uint16_t kPlanFileOldestVersion = 100;
inline constexpr size_t kPlanFileTitleSize = 256;

#pragma pack(push, 1)
struct PlanFileSection {
  uint32_t offset = 0;
  uint32_t count = 0;
};

struct PlanFileHeader {
  uint32_t fileLength = 0;
  char magic[2] = {'F', 'P'};
  uint16_t version = kPlanFileVersion;
  uint8_t zero8[8] = {};
  char title[kPlanFileTitleSize] = {};  // "%s to %s - Aircraft: %s", NUL-terminated
  PlanFileSection profile;     // 68-byte AircraftProfile records
  PlanFileSection points;      // PlanFilePoint records
  PlanFileSection pointFlags;  // 4-byte records, read only (bit 24: bearing point)
  PlanFileSection cruise;      // RouteCruise records
  PlanFileSection extras;      // 42-byte waypoint settings
  uint8_t zero312[8] = {};
};

struct PlanFilePoint {
  uint16_t kind = 0;  // without the airway level bits
  float latitude = 0;
  float longitude = 0;
};
#pragma pack(pop)
static_assert(sizeof(PlanFileSection) == 8);
static_assert(sizeof(PlanFileHeader) == 320);
static_assert(offsetof(PlanFileHeader, title) == 16);
static_assert(offsetof(PlanFileHeader, profile) == 272);
static_assert(offsetof(PlanFileHeader, extras) == 304);
static_assert(sizeof(PlanFilePoint) == 10);
static_assert(sizeof(AircraftProfile) == 68);
static_assert(sizeof(RouteCruise) == 12);
static_assert(kPlanPointExtraSize == 42);

inline constexpr uint32_t kPlanFilePointFlagBearing = 1u << 24;

// Offsets of the sections as written: profile at 320, points at 388, extras after the points,
// the cruise block last; the file is 400 + 52 n bytes for n points.
inline constexpr uint32_t kPlanFileProfileOffset = sizeof(PlanFileHeader);
inline constexpr uint32_t kPlanFilePointsOffset = kPlanFileProfileOffset + sizeof(AircraftProfile);
constexpr uint32_t PlanFileExtrasOffset(uint32_t n) { return kPlanFilePointsOffset + n * sizeof(PlanFilePoint); }
constexpr uint32_t PlanFileCruiseOffset(uint32_t n) { return PlanFileExtrasOffset(n) + n * kPlanPointExtraSize; }
constexpr uint32_t PlanFileLength(uint32_t n) { return PlanFileCruiseOffset(n) + sizeof(RouteCruise); }
static_assert(PlanFileLength(0) == 400);
static_assert(PlanFileCruiseOffset(3) == 388 + 52 * 3);
