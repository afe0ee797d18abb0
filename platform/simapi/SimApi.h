#pragma once
// The interface between the stand-in simulator and the modules it loads. Both sides are our own
// programs in one process, so the records use native pointer width and named fields.

#include <cmath>
#include <cstdint>
#include <cstring>

namespace simapi {

// Record tags the host checks before it trusts the exported records of a module.
inline constexpr uint32_t kImportTableTag = 0x0F;
inline constexpr uint32_t kLinkageTag = 0x13;

// Variable type codes for named variables.
inline constexpr uint32_t kTypeFloat64 = 33;
inline constexpr uint32_t kTypeFlag = 17;
inline constexpr uint32_t kTypeInt32 = 23;
inline constexpr uint32_t kTypeSignedInt32 = 20;
inline constexpr uint32_t kTypeBlock = 37;

// Storage address meaning "ask ReadVariable for the address".
inline void* const kStorageByRead = reinterpret_cast<void*>(~uintptr_t{0});

// One host variable, or the answer of a named-variable look-up.
struct HostVariable {
  uint32_t id = 0;
  void* storage = nullptr;  // null: no such variable
  uintptr_t hostData = 0;   // host-private
  // A 64-bit float, or for the packed-BCD radio variables a 32-bit integer in the first bytes.
  unsigned char value[8] = {};
  uint64_t hostExtra = 0;   // host-private

  double AsDouble() const { double d; std::memcpy(&d, value, sizeof d); return d; }
  uint32_t AsU32() const { uint32_t u; std::memcpy(&u, value, sizeof u); return u; }
  void SetDouble(double d) { std::memset(value, 0, sizeof value); std::memcpy(value, &d, sizeof d); }
  void SetU32(uint32_t u) { std::memset(value, 0, sizeof value); std::memcpy(value, &u, sizeof u); }
};

// The host's table of services. Every call passes the table's context back to the host, so one
// process can hold several hosts (tests do).
struct Services {
  void* context = nullptr;
  // 0 when the host accepted the event.
  int (*sendEvent)(void* context, uint32_t id, uint32_t value) = nullptr;
  void (*registerNamedVariable)(void* context, void* storage, uint32_t type, const char* name) = nullptr;
  // Fills everything but the id of the record.
  void (*initVariable)(void* context, HostVariable* variable) = nullptr;
  // storage of the record = the registered storage, or null when nobody registered the name.
  void (*lookupNamedVariable)(void* context, HostVariable* variable, const char* name) = nullptr;
  // Refreshes the value; returns the storage address (the real one for kStorageByRead records).
  void* (*readVariable)(void* context, HostVariable* variable) = nullptr;
  // Copies count bytes into the global block at offset; false when that leaves the block.
  bool (*writeGlobal)(void* context, uint32_t offset, uint16_t count, const void* source) = nullptr;
};

// Exported by a module as the data symbol "ImportTable"; the host writes its services here.
struct ImportTable {
  uint32_t tag = kImportTableTag;
  Services* services = nullptr;
  void* reserved1 = nullptr;
  void* reserved2 = nullptr;
};

// Exported by a module as the data symbol "Linkage"; the host calls init after loading.
struct Linkage {
  uint32_t tag = kLinkageTag;
  void (*init)() = nullptr;
  void (*deinit)() = nullptr;
  void* reserved1 = nullptr;
  void* reserved2 = nullptr;
  uint32_t interfaceWord = 0;  // 0 for simulator versions 61 and 70, 0x800 for 80, 0x900 for 90
  uint32_t reserved3 = 0;
};

inline constexpr const char* kImportTableSymbol = "ImportTable";
inline constexpr const char* kLinkageSymbol = "Linkage";

// Class name of the host's main window; modules find it by this name.
inline constexpr const char* kMainWindowClass = "FS98MAIN";

// The global block: variable 1's storage is its base.
inline constexpr uint32_t kGlobalBlockSize = 4096;
inline constexpr uint32_t kGlobalBlockAlignment = 4096;
inline constexpr uint32_t kVarGlobalBlock = 1;

// Offsets in the global block. Positions are 64-bit fixed point in two 32-bit halves (whole
// units in the high half, the fraction in units of 2^-32 in the low half).
inline constexpr uint32_t kGlobalLatitude = 1376;         // metres north of the equator
inline constexpr uint32_t kGlobalLongitude = 1384;        // 1/2^30 of 90 degrees
inline constexpr uint32_t kGlobalAltitude = 1392;         // metres
inline constexpr uint32_t kGlobalApAltitude61 = 2004;     // metres as 16.16, version 61
inline constexpr uint32_t kGlobalApAltitude70 = 2000;     // metres as 16.16, version 70
inline constexpr uint32_t kGlobalTowerLatitude = 3408;
inline constexpr uint32_t kGlobalTowerLongitude = 3416;
inline constexpr uint32_t kGlobalTowerHeight = 3428;      // 32-bit integer, metres

// Host variable ids and their units.
enum HostVar : uint32_t {
  kVarLocalHour = 3, kVarLocalMinute = 4, kVarSecond = 5, kVarUtcHour = 6, kVarUtcMinute = 7,
  kVarUtcDay = 8, kVarUtcYear = 9,
  kVarAdf = 16,            // packed BCD: hundreds, tens, units
  kVarAdfExtended = 17,    // non-zero when kVarAdfExtra is valid
  kVarAdfExtra = 18,       // packed BCD: tenths in bits 0-3, thousands in bits 8-11
  kVarCom = 23, kVarNav1 = 24, kVarNav2 = 27,  // packed BCD of hundredths of MHz minus 10000
  kVarTransponder = 38,    // packed BCD of the four digits
  kVarNav1Course = 45, kVarNav2Course = 54,     // degrees
  kVarOnGround = 60,
  kVarAirspeed = 61,       // knots
  kVarRate64 = 64,
  kVarVerticalSpeed = 65,  // metres per second x 256
  kVarLatitude = 71,       // metres north
  kVarLongitude = 72,      // degrees / 360 x 281474976710700
  kVarAltitude = 73,       // metres
  kVarIndicatedAltitude = 74,  // feet
  kVarPitch = 77, kVarBank = 79,  // degrees
  kVarMagneticVariation = 82,     // degrees, 0 to 360, east positive (magnetic = true - this)
  kVarTrueHeading = 86,
  kVarAutopilotAvailable = 87, kVarNav1Available = 97, kVarNav2Available = 98,
  kVarNav2CourseSettable = 101,
  kVarAutopilotMaster = 103, kVarFlag104 = 104, kVarNav1Hold = 105,
  kVarHeadingHold = 106, kVarSelectedHeading = 107,
  kVarAltitudeHold = 108, kVarSelectedAltitude = 109,  // feet
  kVarFlag110 = 110, kVarApproachHold = 111, kVarFlag112 = 112, kVarBackCourseHold = 113,
  kVarFlag114 = 114,
  kVarAirspeedHold = 115, kVarSelectedAirspeed = 116, kVarMachHold = 117, kVarSelectedMach = 118,
  kVarVar119 = 119,
  kVarSelectedVerticalSpeed = 120,  // feet per minute
  kVarAutothrottleArmed = 123, kVarFlag124 = 124,
  kVarValue317 = 317, kVarValue318 = 318,
  kVarSimulationRate = 336,
  kVarOutsideTemperature = 341,  // degrees Celsius
  kVarWindSpeed = 343,           // knots
  kVarWindDirection = 344,       // degrees, where the wind comes from
  kVarNavSource = 848,
};

// Longitude scale of kVarLongitude (deliberately not 2^48).
inline constexpr double kLongitudeUnitsPerTurn = 281474976710700.0;
inline constexpr double kEarthCircumferenceMetres = 40007000.0;

// Events; every id the host understands is at least kFirstEvent.
inline constexpr uint32_t kFirstEvent = 0x10000;
enum Event : uint32_t {
  kEventAutopilotMaster = 0x1002C,
  kEventHeadingHold = 0x10106,
  kEventAltitudeHold = 0x10107,
  kEventAutothrottleArm = 0x10144,
  kEventAirspeedHold = 0x10163,
  kEventMachHold = 0x1017B,
  kEventNav1Hold = 0x100C1,
  kEventApproachHold = 0x100BC,
  kEventBackCourseHold = 0x100C0,
  kEventNavSourceOff = 0x10347,
  kEventSelectHeading = 0x101FA,
  kEventSelectAltitude = 0x1024C,
  kEventAltitudeFollow1 = 0x10164,
  kEventAltitudeFollow2 = 0x10165,
  kEventSelectVerticalSpeed = 0x101F4,
  kEventSelectAirspeed = 0x101F5,
  kEventSelectMach = 0x101F6,
  kEventDescentSpeedLow = 0x100AA,
  kEventCom = 0x100AB,
  kEventNav1 = 0x100AC,
  kEventNav2 = 0x100AD,
  kEventNav1Course = 0x100B4,
  kEventNav2Course = 0x100B5,
  kEventTransponder = 0x100B3,
  kEventAdfExtra = 0x101FF,   // tenths in bits 0-3, thousands in bits 8-11
  kEventAdf = 0x100B2,        // hundreds, tens, units
  kEventAdfReset = 0x1024B,   // ADF to 1000 kHz
  kEventAdfHundredsDown = 0x10082,
  kEventAdfHundredsUp = 0x10070,
  kEventAdfTensUp = 0x10071,
  kEventAdfUnitsUp = 0x10072,
  kEventAdfTenthsUp = 0x10396,
  kEventPause1 = 0x100C3,
  kEventPause2 = 0x100CE,
  kEventMoveDone = 0x100C2,
  kEventTurn = 0x1014D,
  kEventClockHour = 0x101FC,
  kEventClockMinute = 0x101FD,
  kEventBar1 = 0x1022E,
  kEventBar2 = 0x10231,
};

// The Mach selection carries the Mach number in whole hundredths, the nearest one: 0.57 is
// 56.999... hundredths in binary, so truncating would select 0.56.
inline double MachHundredths(double mach) { return std::floor(mach * 100 + 0.5); }

// Packed BCD as the radio variables and events carry it: the units digit in bits 0 to 3.
// Digits above the eighth are dropped.
inline constexpr uint32_t PackBcd(uint32_t value) {
  uint32_t bcd = 0;
  for (int shift = 0; shift < 32; shift += 4) {
    bcd |= (value % 10) << shift;
    value /= 10;
  }
  return bcd;
}

// The copy-data call that announces a move-aircraft block in a pipe.
inline constexpr uint32_t kMoveCopyDataTag = 110595;
inline constexpr uint32_t kMoveBlockSize = 391;
inline constexpr uint32_t kMovePipeBufferSize = 903;

}  // namespace simapi
