#pragma once

// The contract between Plotr and its plan-export plug-ins: the two tables every plug-in exports
// (`FlpxExportTable` to describe itself, `FlpxImportTable` for the host to fill with its services
// before each call), the entry and service signatures, and the plan records.
//
// The plan records shared with the plan-export plug-ins. Plug-ins are built separately from the
// host, so every record is packed, little-endian and laid out byte for byte; the doubles sit at
// odd offsets and must be read and written through these structs (or memcpy), never through
// aligned pointers into them. Each record starts with a u32 size that the caller sets to the
// record's exact size before handing it over.

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kFlpxPlanInfoSize = 3323;
inline constexpr uint32_t kFlpxWaypointSize = 170;
inline constexpr uint32_t kFlpxStartPositionSize = 106;
inline constexpr int kFlpxMaxRunways = 16;

// Move codes of the waypoint and start-position cursors: below -1 the first entry, -1 the
// previous, 0 the current, 1 the next, above 1 the last.
enum : int {
  kFlpxMoveFirst = -2,
  kFlpxMovePrevious = -1,
  kFlpxMoveCurrent = 0,
  kFlpxMoveNext = 1,
  kFlpxMoveLast = 2,
};

// Moves a cursor over `count` entries by a move code; returns the direction of the step (1 or
// -1) in which entries that do not count are to be skipped. The cursor may end outside
// [0, count): the caller then reports the end.
inline int FlpxMoveCursor(int32_t& cursor, int move, int count) {
  if (move < kFlpxMovePrevious) {
    cursor = 0;
    return 1;
  }
  if (move == kFlpxMovePrevious) {
    --cursor;
    return -1;
  }
  if (move == kFlpxMoveNext) {
    ++cursor;
    return 1;
  }
  if (move > kFlpxMoveNext) {
    cursor = count - 1;
    return -1;
  }
  return 1;
}

#pragma pack(push, 1)

struct FlpxRunwayInfo {
  char ident[6];      // runway designator
  double heading;     // degrees magnetic
  double latitude;    // runway end
  double longitude;
  double elevation;   // whole feet
  double length;      // feet
  double width;       // feet
  double ilsFrequency;  // MHz; 0 without ILS (and for a back course unless "MapBcIls")
};

struct FlpxAirportInfo {
  uint32_t present;  // 1 when the block was filled
  char name[31];
  char ident[6];
  double atisFrequency;  // MHz, 0 none
  double latitude;
  double longitude;
  double elevation;  // feet
  double variation;  // degrees
  uint8_t reserved81[8];
  int32_t runwayCount;  // at most 16
  FlpxRunwayInfo runways[kFlpxMaxRunways];
};

struct FlpxPlanInfo {
  uint32_t size;  // 3323
  char aircraftName[31];
  uint8_t fuelUnit;  // 0 pounds, 1 US gallons, 2 kilograms, 3 litres
  uint8_t reserved36[32];
  FlpxAirportInfo departure;
  FlpxAirportInfo arrival;
  FlpxAirportInfo alternate;  // never filled
};

struct FlpxWaypoint {
  uint32_t size;  // 170
  char type;      // type letter, 0 for a row of no reported kind
  double latitude;
  double longitude;
  double heading;  // magnetic course of the leg into this point
  double speed;    // indicated or true, after the setting "UseIndicatedAirSpeed"
  double trueAirspeed;
  double indicatedAirspeed;
  double mach;  // always 0
  double verticalSpeed;
  double altitude;     // feet
  double legDistance;  // nautical miles of the leg ending here
  double legTime;      // minutes
  double legFuel;      // in the display unit "FuelMeasure"
  double altitude1;    // manual values of the point, 0 when not set
  double altitude2;
  double manualSpeed;
  double frequency;  // NDB kHz, VOR and ILS MHz
  char ident[6];
  char name[31];
};

struct FlpxStartPosition {
  uint32_t size;  // 106
  char display[51];  // tab-separated columns
  char key[51];
};

#pragma pack(pop)

static_assert(sizeof(FlpxRunwayInfo) == 62);
static_assert(sizeof(FlpxAirportInfo) == 1085);
static_assert(offsetof(FlpxAirportInfo, atisFrequency) == 41);
static_assert(offsetof(FlpxAirportInfo, runwayCount) == 89);
static_assert(offsetof(FlpxAirportInfo, runways) == 93);
static_assert(sizeof(FlpxPlanInfo) == kFlpxPlanInfoSize);
static_assert(offsetof(FlpxPlanInfo, fuelUnit) == 35);
static_assert(offsetof(FlpxPlanInfo, departure) == 68);
static_assert(offsetof(FlpxPlanInfo, arrival) == 1153);
static_assert(offsetof(FlpxPlanInfo, alternate) == 2238);
static_assert(sizeof(FlpxWaypoint) == kFlpxWaypointSize);
static_assert(offsetof(FlpxWaypoint, latitude) == 5);
static_assert(offsetof(FlpxWaypoint, frequency) == 125);
static_assert(offsetof(FlpxWaypoint, ident) == 133);
static_assert(offsetof(FlpxWaypoint, name) == 139);
static_assert(sizeof(FlpxStartPosition) == kFlpxStartPositionSize);
static_assert(offsetof(FlpxStartPosition, key) == 55);

// Entries and services cross between separately built libraries: plain C calls. `parent` is the
// calling dialog's window (a wxWindow*), `plan` the plan handle the host passed in.
extern "C" {
typedef int (*FlpxConfigureFn)(void* hostContext, void* parent);
typedef int (*FlpxExportFn)(void* plan, void* parent);
// `path` receives the chosen path (kFlpxPathSize bytes); the four texts may be null or empty.
typedef int (*FlpxSaveFileDialogFn)(char* path, void* parent, const char* filter, const char* initialDir,
                                    const char* defaultExt, const char* initialName);
typedef int (*FlpxGetPlanInfoFn)(void* plan, FlpxPlanInfo* info);
typedef int (*FlpxGetWaypointFn)(void* plan, int move, FlpxWaypoint* waypoint);
typedef int (*FlpxGetStartPositionFn)(void* plan, int move, FlpxStartPosition* position);
}

// Size of the path buffer the save service writes into, terminator included: room for any path
// the file system takes (PATH_MAX).
inline constexpr size_t kFlpxPathSize = 4096;

// The tables hold native pointers, so unlike the records they keep the platform's natural
// layout. The exported objects are named `FlpxExportTable` and `FlpxImportTable`; the types
// carry other names so a plug-in can declare both.
struct FlpxExportTableRecord {
  uint32_t size;  // sizeof(FlpxExportTableRecord)
  const char* displayName;
  FlpxConfigureFn configure;  // null: no options
  FlpxExportFn exportPlan;    // null: listed, but cannot export
};

struct FlpxImportTableRecord {
  uint32_t size;  // set by the plug-in: sizeof(FlpxImportTableRecord)
  FlpxSaveFileDialogFn saveFileDialog;
  FlpxGetPlanInfoFn getPlanInfo;
  FlpxGetWaypointFn getWaypoint;
  FlpxGetStartPositionFn getStartPosition;
  uint32_t reserved[3];  // zero, never written by the host
};

// The host accepts an export table of at least its own size, and fills an import table only
// when it reaches past the last service slot.
inline constexpr uint32_t kFlpxExportTableMinSize = sizeof(FlpxExportTableRecord);
inline constexpr uint32_t kFlpxImportSlotsEnd = offsetof(FlpxImportTableRecord, reserved);

static_assert(sizeof(void*) != 8 || sizeof(FlpxExportTableRecord) == 32);
static_assert(sizeof(void*) != 8 || kFlpxImportSlotsEnd == 40);

// Names of the exported tables.
inline constexpr char kFlpxExportTableSymbol[] = "FlpxExportTable";
inline constexpr char kFlpxImportTableSymbol[] = "FlpxImportTable";

// Text of the host's message after an export entry returned 0.
inline constexpr char kFlpxExportFailedText[] = "Flight plan export failed.";
