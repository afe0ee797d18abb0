#pragma once

// Names of parking places by their name code and texts of their types, as start positions,
// search rows and plug-ins show them.

#include <iterator>

inline constexpr const char* kParkingNames[] = {
    "Parking none", "Parking", "N Parking", "NE Parking", "E Parking", "SE Parking", "S Parking",
    "SW Parking", "W Parking", "NW Parking", "Gate", "Dock", "Gate A", "Gate B", "Gate C", "Gate D",
    "Gate E", "Gate F", "Gate G", "Gate H", "Gate I", "Gate J", "Gate K", "Gate L", "Gate M", "Gate N",
    "Gate O", "Gate P", "Gate Q", "Gate R", "Gate S", "Gate T", "Gate U", "Gate V", "Gate W", "Gate X",
    "Gate Y", "Gate Z"};
inline constexpr int kHelipadNameCode = 38;
static_assert(std::size(kParkingNames) == kHelipadNameCode);

inline constexpr const char* kParkingTypes[] = {
    "Type unknown", "Ramp GA",     "Ramp GA small", "Ramp GA medium", "Ramp GA large", "Ramp Cargo",
    "Ramp mil Cargo", "Ramp mil Combat", "Gate small", "Gate medium", "Gate heavy", "Dock GA"};
inline constexpr int kParkingTypeCount = static_cast<int>(std::size(kParkingTypes));

// The text of a parking type; types without one are "Type unknown".
inline const char* ParkingTypeText(int type) {
  return type >= 0 && type < kParkingTypeCount ? kParkingTypes[type] : kParkingTypes[0];
}
