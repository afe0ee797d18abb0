#pragma once
// The byte layouts of the FMS and HSI blocks the plan publishes in its named variables
// ("CHARTWRIGHT_FMS_DATA", "CHARTWRIGHT_FMS_WAYPOINT1" to 3, "CHARTWRIGHT_HSI_DATA"). Gauges
// built by others read these bytes, so they are fixed: little-endian, packed, no gaps. Copy a
// block out of the storage with ReadFmsBlock and fill it with WriteFmsBlock; never bind a
// reference to one of its fields.

#include <cstddef>
#include <cstdint>
#include <cstring>

#pragma pack(push, 1)

struct FmsData {
  uint8_t utcHour;
  uint8_t utcMinute;
  uint8_t second;
  uint8_t localHour;
  uint8_t localMinute;
  uint8_t secondAgain;     // the same clock second
  int32_t filled;          // an active waypoint exists and the fields below were set
  double distance;         // nautical miles to the destination
  int32_t timeValid;       // ground speed at least 40 knots
  double time;             // minutes of real time to the destination
  int32_t arrivalValid;
  uint8_t arrivalUtcHour;  // this block's clocks run hour, minute, second
  uint8_t arrivalUtcMinute;
  uint8_t arrivalUtcSecond;
  uint8_t arrivalLocalHour;
  uint8_t arrivalLocalMinute;
  uint8_t arrivalLocalSecond;
};
static_assert(sizeof(FmsData) == 40);
static_assert(offsetof(FmsData, filled) == 6 && offsetof(FmsData, distance) == 10 &&
              offsetof(FmsData, timeValid) == 18 && offsetof(FmsData, time) == 22 &&
              offsetof(FmsData, arrivalValid) == 30 && offsetof(FmsData, arrivalUtcHour) == 34);

inline constexpr size_t kFmsNameSize = 61;
inline constexpr size_t kFmsKindSize = 8;
inline constexpr size_t kFmsIdentSize = 6;
inline constexpr size_t kFmsFrequencySize = 7;

struct FmsRow {
  int32_t filled;
  int32_t timeValid;       // ground speed at least 40 knots: the time and arrival fields hold
  int32_t row;             // index of the plan row shown
  double latitude;
  double longitude;
  char name[kFmsNameSize];
  char kind[kFmsKindSize];  // "NDB", "VORTAC", "VOR/DME", "DME", "VOR", "ILS", "Airport", "Rwy", "ISEC", "Fix"
  char ident[kFmsIdentSize];
  char frequencyText[kFmsFrequencySize];
  float frequency;         // MHz, kHz for an NDB; 0 for none
  uint8_t arrivalUtcSecond;  // a row's clocks run second, minute, hour
  uint8_t arrivalUtcMinute;
  uint8_t arrivalUtcHour;
  uint8_t arrivalLocalSecond;
  uint8_t arrivalLocalMinute;
  uint8_t arrivalLocalHour;
  double course;           // degrees magnetic
  double distance;         // nautical miles from the aircraft along the plan
  double time;             // minutes of real time
  double remainingDistance;  // from this waypoint to the destination
  double remainingTime;
};
static_assert(sizeof(FmsRow) == 160);
static_assert(offsetof(FmsRow, latitude) == 12 && offsetof(FmsRow, name) == 28 && offsetof(FmsRow, kind) == 89 &&
              offsetof(FmsRow, ident) == 97 && offsetof(FmsRow, frequencyText) == 103 &&
              offsetof(FmsRow, frequency) == 110 && offsetof(FmsRow, arrivalUtcSecond) == 114 &&
              offsetof(FmsRow, course) == 120 && offsetof(FmsRow, distance) == 128 && offsetof(FmsRow, time) == 136 &&
              offsetof(FmsRow, remainingDistance) == 144 && offsetof(FmsRow, remainingTime) == 152);

struct HsiData {
  int32_t filled;
  double deviation;        // -1 to +1: cross-track nautical miles limited to 5, over 5
  int32_t toFrom;          // 1 TO, -1 FROM
  double course;           // selected course, degrees magnetic
  char ident[kFmsIdentSize];
  char frequencyText[kFmsFrequencySize];
  double distance;         // nautical miles
};
static_assert(sizeof(HsiData) == 45);
static_assert(offsetof(HsiData, deviation) == 4 && offsetof(HsiData, toFrom) == 12 && offsetof(HsiData, course) == 16 &&
              offsetof(HsiData, ident) == 24 && offsetof(HsiData, frequencyText) == 30 &&
              offsetof(HsiData, distance) == 37);

#pragma pack(pop)

template <typename Block>
Block ReadFmsBlock(const unsigned char* bytes) {
  Block block;
  std::memcpy(&block, bytes, sizeof block);
  return block;
}

template <typename Block>
void WriteFmsBlock(unsigned char* bytes, const Block& block) {
  std::memcpy(bytes, &block, sizeof block);
}
