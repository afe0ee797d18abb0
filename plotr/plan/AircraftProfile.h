#pragma once

// The aircraft performance profile: ten numbers per aircraft type, kept as sections of
// "Aircraft.ini" in the product folder and copied into every route. The record is stored as it
// stands in plan files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#pragma pack(push, 1)
struct AircraftProfile {
  char name[31] = {};  // the section name, NUL-terminated, at most 30 characters
  uint8_t flags = 0;   // bits 0-1 fuel unit, bit 2 "withoutash"
  int32_t climbSpeed = 0;     // knots indicated
  int32_t climbFuel = 0;      // fuel unit per hour
  int32_t climbRate = 0;      // feet per minute
  int32_t cruiseSpeed = 0;    // knots indicated
  int32_t cruiseFuel = 0;     // fuel unit per hour
  int32_t cruiseAltitude = 0; // feet
  int32_t descentSpeed = 0;   // knots indicated
  int32_t descentFuel = 0;    // fuel unit per hour
  int32_t descentRate = 0;    // feet per minute

  int FuelUnit() const { return flags & 3; }
  bool WithoutAsh() const { return (flags & 4) != 0; }
  void SetFuelUnit(int unit) { flags = static_cast<uint8_t>((flags & ~3) | (unit & 3)); }
  void SetWithoutAsh(bool on) { flags = static_cast<uint8_t>(on ? (flags | 4) : (flags & ~4)); }
  std::string_view Name() const;
  // Keeps at most 30 characters; byte 30 is always NUL.
  void SetName(std::string_view text);
};
#pragma pack(pop)
static_assert(sizeof(AircraftProfile) == 68);

// 1.2 x the profile's cruise altitude, held in the int range: cruise levels and manual
// altitudes above it are out of the aircraft's reach. Profiles also come from other players'
// plan files, so any stored altitude must give a usable cap.
int CruiseAltitudeCap(const AircraftProfile& profile);

inline constexpr char kAircraftIniName[] = "Aircraft.ini";
// The aircraft that a missing or unknown last choice falls back to.
inline constexpr char kDefaultAircraft[] = "Cessna C172SP Skyhawk";

// The folder that holds "Aircraft.ini" (the module's product folder); set by the application
// before the first route is made.
void SetAircraftProfileFolder(const std::filesystem::path& folder);
std::filesystem::path AircraftIniPath();

// Brings "Aircraft.ini" up to date for the simulator version: old sections are converted to
// indicated airspeeds, the default aircraft are (re)written where missing or older, and the
// profile named `lastCraft` (or the default aircraft when that section has no revision) is
// read. `lastCraft` empty means a first run: every default section is written.
AircraftProfile SeedAircraftProfiles(const std::filesystem::path& iniFile, int simVer, std::string_view lastCraft);

// Reads the profile of one section over `profile` (keys that are missing keep their values).
// False when the file has no such section.
bool ReadAircraftSection(const std::filesystem::path& iniFile, std::string_view section, AircraftProfile& profile);

// The process's current profile: the first call seeds "Aircraft.ini" with the simulator
// version and "LastCraft" of the settings and loads the chosen profile.
const AircraftProfile& CurrentAircraftProfile();
// Forgets the seeding so the next CurrentAircraftProfile() runs it again (tests only).
void ResetAircraftProfileSeeding();
