#pragma once

// Payload records of the points, stored in the pool at a point's payload offset and carried by
// the string file. Variable-size payloads are a header followed directly by their list.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "navdb/Records.h"

#pragma pack(push, 1)

// Range bytes of NDB, ILS, VOR and COM records are in units of 2048 m.
inline double RangeToNm(uint8_t range) { return range * 2.048 / 1.852; }

struct NdbRecord {  // kinds 8..11
  int32_t intersection = -1;  // co-located intersection, -1 none
  int16_t altitude = 0;       // metres
  float frequency = 0;        // kHz
  uint8_t range = 0;
  int32_t nameText = -1;
  char ident[6] = {};

  std::string_view Ident() const { return FixedText(ident, sizeof ident); }
};
static_assert(sizeof(NdbRecord) == 21);

struct IlsRecord {  // kind 32
  int16_t altitude = 0;
  float frequency = 0;  // MHz
  uint16_t course = 0;  // true, 65536 = 360 degrees
  int16_t glideSlope = 0;  // > 0 glide slope, 0 localizer only, < 0 back course
  uint8_t range = 0;
  uint8_t flags = 0;  // bit 0 DME
  char ident[6] = {};

  std::string_view Ident() const { return FixedText(ident, sizeof ident); }
};
static_assert(sizeof(IlsRecord) == 18);

enum : uint8_t { kVorDme = 1, kVorTacan = 2, kVorDmeOnly = 8 };

struct VorRecord {  // kinds 16..19
  int32_t intersection = -1;
  int16_t altitude = 0;
  float frequency = 0;  // MHz
  int16_t declination = 0;  // 65536 = 360 degrees
  uint8_t range = 0;
  uint8_t flags = 0;  // & 0x0B == 3 VORTAC, == 1 VOR/DME; & 9 == 9 DME only
  int32_t nameText = -1;
  char ident[6] = {};

  std::string_view Ident() const { return FixedText(ident, sizeof ident); }
};
static_assert(sizeof(VorRecord) == 24);

// What a VOR-family station is by its flags: the name every view and record shows for it.
inline const char* VorKindText(uint8_t flags) {
  if ((flags & (kVorDme | kVorTacan | kVorDmeOnly)) == (kVorDme | kVorTacan)) return "VORTAC";
  if ((flags & (kVorDme | kVorTacan | kVorDmeOnly)) == kVorDme) return "VOR/DME";
  if ((flags & (kVorDme | kVorDmeOnly)) == (kVorDme | kVorDmeOnly)) return "DME";
  return "VOR";
}

// One frequency of an airport or airspace.
struct FrequencyEntry {
  uint16_t type = 0;
  float frequency = 0;  // MHz
};
static_assert(sizeof(FrequencyEntry) == 6);

struct ParkingEntry {
  float latitude = 0;
  float longitude = 0;
  // bits 0-7 heading (256ths of a circle), 8-13 name kind (38 helipad), 14-26 number, 27-31 type
  uint32_t bits = 0;

  int Heading() const { return bits & 0xFF; }
  int NameKind() const { return (bits >> 8) & 0x3F; }
  int Number() const { return (bits >> 14) & 0x1FFF; }
  int Type() const { return (bits >> 27) & 0x1F; }
};
static_assert(sizeof(ParkingEntry) == 12);

inline constexpr int kAirportMaxFrequencies = 0x7F;
inline constexpr int kAirportMaxParkings = 0x1FF;

inline constexpr uint8_t kAirportFacilityData = 0x80;

struct AirportRecord {  // kind 64; followed by f FrequencyEntry and p ParkingEntry
  uint8_t size = 0;  // bits 0-6 longest runway in 100 m, bit 7 came with facility data
  int16_t altitude = 0;
  int32_t regionText = -1;  // shared across airports, like the next three
  int32_t countryText = -1;
  int32_t stateText = -1;
  int32_t cityText = -1;
  int32_t nameText = -1;
  char ident[6] = {};
  uint16_t counts = 0;  // bits 0-6 frequencies, 7-15 parkings

  bool HasFacilityData() const { return (size & kAirportFacilityData) != 0; }
  int FrequencyCount() const { return counts & 0x7F; }
  int ParkingCount() const { return counts >> 7; }
  void SetCounts(int frequencies, int parkings) {
    counts = static_cast<uint16_t>((frequencies & 0x7F) | ((parkings & 0x1FF) << 7));
  }
  size_t PayloadSize() const {
    return sizeof(AirportRecord) + sizeof(FrequencyEntry) * FrequencyCount() +
           sizeof(ParkingEntry) * ParkingCount();
  }
  std::string_view Ident() const { return FixedText(ident, sizeof ident); }
};
static_assert(sizeof(AirportRecord) == 31);

struct MarkerRecord {  // kind 256
  uint8_t type = 0;  // 0 outer, 1 middle, 2 inner
  int16_t altitude = 0;
  int16_t heading = 0;  // whole degrees, set by the compiler
};
static_assert(sizeof(MarkerRecord) == 5);

inline constexpr uint32_t kRunwayIlsMask = 0x01FFFFFF;  // bits 0-24: signed 25-bit ILS index
inline constexpr uint32_t kRunwayNoIls = 1u << 24;

struct RunwayRecord {  // kind 128
  // bits 0-24 the ILS point's index as a signed 25-bit number (bit 24 set: no ILS),
  // bits 25-31 the scenery layer
  uint32_t ilsWord = kRunwayIlsMask;
  int16_t altitude = 0;
  uint16_t heading = 0;  // true, 65536 = 360 degrees
  int16_t width = 0;     // feet
  uint16_t length = 0;   // feet
  uint8_t surface = 0;   // 9 water
  char designator[4] = {};

  int32_t IlsIndex() const {
    return static_cast<int32_t>((ilsWord & kRunwayIlsMask) << 7) >> 7;
  }
  bool HasIls() const { return (ilsWord & kRunwayNoIls) == 0; }
  void SetIlsIndex(int32_t index) {
    ilsWord = (ilsWord & ~kRunwayIlsMask) | (static_cast<uint32_t>(index) & kRunwayIlsMask);
  }
  int Layer() const { return static_cast<int>(ilsWord >> 25); }
  std::string_view Designator() const { return FixedText(designator, sizeof designator); }
};
static_assert(sizeof(RunwayRecord) == 17);

enum : uint16_t { kComAtis = 1, kComPilotLighting = 0x4000 };

struct ComRecord {  // kind 512
  uint16_t type = 0;  // bits 0-14: 1 ATIS, 0x4000 pilot-controlled lighting, otherwise COM
  float frequency = 0;  // MHz
  uint8_t range = 0;
  uint8_t runways[4] = {};  // preferred runway for N, S, E, W wind: bits 0-5 number, 6-7 side

  int Type() const { return type & 0x7FFF; }
};
static_assert(sizeof(ComRecord) == 11);

struct AirspaceRecord {  // kinds 4096, 8192, 16384; followed by n FrequencyEntry
  uint16_t classWord = 0;  // bits 0-13 type, 14-15 level (1 low, 2 high, 3 both)
  int32_t nameText = -1;
  int32_t callSignText = -1;
  char ident[5] = {};
  uint8_t frequencyCount = 0;

  int Type() const { return classWord & 0x3FFF; }
  int Level() const { return classWord >> 14; }
  size_t PayloadSize() const {
    return sizeof(AirspaceRecord) + sizeof(FrequencyEntry) * frequencyCount;
  }
  std::string_view Ident() const { return FixedText(ident, sizeof ident); }
};
static_assert(sizeof(AirspaceRecord) == 16);

// While the compiler links an area's airways, a half not yet linked names its neighbour by key
// in the place of compiler, slot and neighbour: the neighbour's u16 cell code (neither byte is
// ever 0) followed by its ident, NUL-padded. The finished database holds no key.
inline constexpr int kSegmentKeySize = 8;
inline constexpr int kSegmentKeyIdentAt = 2;

// One direction of an airway segment entry.
struct SegmentHalf {
  uint8_t compiler[3] = {};
  int8_t slot = 0;         // entry slot in the neighbour's list
  int32_t neighbour = -1;  // intersection index, -1 none
  uint16_t flags = 0;      // bit 0 flyable this way, bit 1 low, bit 2 high airway

  bool HasKey() const { return compiler[0] != 0; }
  void Key(char (&key)[kSegmentKeySize]) const {
    std::memcpy(key, reinterpret_cast<const char*>(this), sizeof key);
  }
  // The ident is cut to the key's room.
  void SetKey(uint16_t cellCode, std::string_view ident) {
    char key[kSegmentKeySize] = {};
    std::memcpy(key, &cellCode, sizeof cellCode);
    std::memcpy(key + kSegmentKeyIdentAt, ident.data(),
                std::min(ident.size(), sizeof key - static_cast<size_t>(kSegmentKeyIdentAt)));
    std::memcpy(reinterpret_cast<char*>(this), key, sizeof key);
  }
  // The key gives way to the neighbour's index and the slot of the entry there (0 to 255).
  void Link(int32_t index, int entrySlot) {
    compiler[0] = compiler[1] = compiler[2] = 0;
    slot = static_cast<int8_t>(entrySlot);
    neighbour = index;
  }
  // The slot as the compiler counts it: 0 to 255, where 255 is none.
  int EntrySlot() const { return static_cast<uint8_t>(slot); }
  // No key, no neighbour, no flags.
  void Clear() {
    *this = SegmentHalf{};
    Link(-1, kNoEntrySlot);
  }

  static constexpr int kNoEntrySlot = 255;
};
static_assert(sizeof(SegmentHalf) == 10);
static_assert(offsetof(SegmentHalf, flags) == kSegmentKeySize, "the key fills all but the flags");

struct AirwaySegment {
  // Airway name (at most 7 characters) with the airway type in the low two bits of byte 7.
  // An entry whose first four bytes are zero carries no segment.
  char name[8] = {};
  SegmentHalf half[2];

  bool IsEmpty() const { return name[0] == 0 && name[1] == 0 && name[2] == 0 && name[3] == 0; }
  std::string_view Name() const { return FixedText(name, 7); }
  int AirwayType() const { return static_cast<uint8_t>(name[7]) & 3; }
};
static_assert(sizeof(AirwaySegment) == 28);

struct IntersectionRecord {  // kinds 4..7; followed by n AirwaySegment
  uint8_t type = 0;  // high nibble class, low nibble bound navaid kind (3 VOR, 4 NDB, 13 coord)
  int32_t navaid = -1;  // linked VOR or NDB index, -1 none
  uint16_t cellCode = 0;
  char ident[6] = {};
  uint8_t segmentCount = 0;

  size_t PayloadSize() const {
    return sizeof(IntersectionRecord) + sizeof(AirwaySegment) * segmentCount;
  }
  std::string_view Ident() const { return FixedText(ident, sizeof ident); }
};
static_assert(sizeof(IntersectionRecord) == 14);

struct AirwayRecord {  // kinds 1025..1027; followed by n items in the LabelPoint word layout
  uint16_t count = 0;

  size_t PayloadSize() const { return sizeof(AirwayRecord) + 4u * count; }
};
static_assert(sizeof(AirwayRecord) == 2);

#pragma pack(pop)

// Size in bytes of the payload of a point of `kind` whose header is at `payload` (the counts of
// variable-size payloads are read from it); 0 for a kind that is not stored.
size_t PayloadSizeOf(uint16_t kind, const void* payload);
// Fixed header size of a kind's payload (the whole payload for fixed-size kinds).
size_t PayloadHeaderSize(uint16_t kind);
