#pragma once

// The plan document file ("*.cwp"): a 320-byte header with a directory of sections, then the
// aircraft profile, the waypoints as kind and position, each waypoint's manual settings and the
// cruise block. It holds no database offsets: loading finds every waypoint again by kind and
// position. CRoute::Save and CRoute::Load read and write it; this header owns the layout.

#include <cstdint>
#include <filesystem>

#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/PlanPoint.h"
#include "plotr/plan/Route.h"

struct FlpxPlanInfo;

inline constexpr uint16_t kPlanFormatOld = 103;  // the older kind codes, for older readers
inline constexpr uint16_t kPlanFileOldestVersion = 100;
inline constexpr size_t kPlanTitleSize = 256;

#pragma pack(push, 1)
struct PlanFileSection {
  uint32_t offset = 0;
  uint32_t count = 0;
};

struct PlanFileHeader {
  uint32_t length = 0;  // of the whole file
  char magic[2] = {'F', 'P'};
  uint16_t version = kPlanFormatCurrent;
  uint8_t zero8[8] = {};
  char title[kPlanTitleSize] = {};  // "%s to %s - Aircraft: %s", ignored by readers
  PlanFileSection profile;
  PlanFileSection points;
  PlanFileSection pointFlags;  // read only: bit 24 marks a bearing point
  PlanFileSection cruise;
  PlanFileSection extras;  // bytes 24-65 of each waypoint
  uint8_t zero312[8] = {};
};

struct PlanFilePoint {
  uint16_t kind = 0;
  float latitude = 0;
  float longitude = 0;
};
#pragma pack(pop)
static_assert(sizeof(PlanFileHeader) == 320);
static_assert(sizeof(PlanFileSection) == 8);
static_assert(sizeof(PlanFilePoint) == 10);

inline constexpr uint32_t kPlanFileFlagSize = 4;
inline constexpr uint32_t kPlanFileBearingFlag = 1u << 24;

// Bytes of a saved plan of n waypoints: header, profile, n points and n extras, cruise block.
constexpr uint64_t PlanFileLength(uint64_t n) {
  return sizeof(PlanFileHeader) + sizeof(AircraftProfile) + n * (sizeof(PlanFilePoint) + kPlanPointExtraSize) +
         sizeof(RouteCruise);
}

// Saves `route` to `path` through a temporary file beside it that replaces the target only
// when everything was written: a failed save keeps the previous file. Throws the file's
// exceptions.
void SavePlanFile(const CRoute& route, const std::filesystem::path& path, const FlpxPlanInfo& info, uint16_t format);
