#pragma once

// The object reference and the waypoint record of a plan. Both travel byte for byte on the
// clipboard and in drag and drop, and bytes 24-65 of a waypoint are stored in plan files, so
// their layout is fixed here.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "navdb/NavPoint.h"

#pragma pack(push, 1)
// One map object: where the database keeps it and its point record. User points have both
// indexes -1.
struct FullPoint {
  int32_t areaIndex = -1;
  int32_t fileIndex = -1;
  NavPoint point;  // a new reference: position 0/0, kind 0, word 0xFFFFFFFF
  uint8_t unused[2] = {};
};
#pragma pack(pop)
static_assert(sizeof(FullPoint) == 24);
static_assert(offsetof(FullPoint, point) == 8);

// Manual altitudes and speeds: bit 31 says the value is given, bits 0-30 hold it as a signed
// 31-bit number.
inline constexpr uint32_t kManualValueGiven = 0x80000000u;
inline constexpr bool IsManualValueGiven(uint32_t v) { return (v & kManualValueGiven) != 0; }
inline constexpr int32_t ManualValue(uint32_t v) {
  return static_cast<int32_t>(v << 1) >> 1;
}
inline constexpr uint32_t MakeManualValue(int32_t value) {
  return kManualValueGiven | (static_cast<uint32_t>(value) & 0x7FFFFFFFu);
}

// Option flags of a waypoint; other bits are carried unchanged.
enum : uint32_t {
  kPointBearing = 1u << 0,     // shown, not flown; left out of the route length
  kPointAutoRoute = 1u << 1,   // placed by the route finder
  kPointFlyOver = 1u << 2,
  kPointAltitudeOption = 1u << 3,
  kPointSpeedOption = 1u << 4,
};

inline constexpr size_t kUserNameSize = 6;
inline constexpr uint32_t kLegTypeMask = 7;

#pragma pack(push, 1)
struct PlanPoint {
  FullPoint ref;                      // 0
  char userName[kUserNameSize] = {};  // 24: a user fix's own name, NUL-terminated
  uint32_t altitude1 = 0;             // 30
  uint32_t altitude2 = 0;             // 34
  uint32_t speed = 0;                 // 38
  uint8_t carried42[4] = {};          // 42: kept with the point, read by nothing here
  uint32_t flags = 0;                 // 46
  uint8_t carried50[16] = {};         // 50: kept with the point, read by nothing here
  uint8_t marked = 0;                 // 66
  uint8_t isNew = 0;                  // 67
  uint32_t legType = 0;               // 68: bits 0-2 the route finder's leg type

  uint16_t Kind() const { return ref.point.kind; }
  bool IsUserPoint() const { return ref.point.kind == kKindUserPoint; }
  // Bits 0-29 of the point's word: the user fix id of a user point.
  uint32_t FixId() const { return ref.point.word & kPayloadMask; }
  std::string_view UserName() const { return std::string_view(userName, strnlen(userName, kUserNameSize)); }
  bool IsBearing() const { return (flags & kPointBearing) != 0; }
};
#pragma pack(pop)
static_assert(sizeof(PlanPoint) == 72);
static_assert(offsetof(PlanPoint, userName) == 24);
static_assert(offsetof(PlanPoint, flags) == 46);
static_assert(offsetof(PlanPoint, marked) == 66);
static_assert(offsetof(PlanPoint, legType) == 68);

// The part of a waypoint that plan files store (bytes 24-65).
inline constexpr size_t kPlanPointExtraOffset = 24;
inline constexpr size_t kPlanPointExtraSize = 42;

// A waypoint from outside bytes (clipboard, drop, file): every byte is taken as it stands,
// except that the user name is always terminated. nullopt when fewer than 72 bytes are given.
std::optional<PlanPoint> ReadPlanPoint(std::span<const uint8_t> bytes);
// Bytes 24-65 from a plan file's extra record onto a waypoint, the user name terminated.
void ApplyPlanPointExtra(PlanPoint& point, std::span<const uint8_t, kPlanPointExtraSize> extra);
