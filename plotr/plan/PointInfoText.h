#pragma once
// The multi-line description of a map object that the map tip and the views show: lines end in
// "\r\n", fields are separated by tabs so a view can lay them out in two columns. Callers hold
// a DatabaseLease. CRoute::AirportInfoText builds the whole text; these are its parts.

#include <cstdint>
#include <string>

#include "navdb/NavPoint.h"

class CSceneryDatabase;

// String-table ids of the airport frequency labels and of the parking names and types.
enum : unsigned {
  IDS_FREQ_ATIS = 6432,
  IDS_FREQ_CLEARANCE = 6433,
  IDS_FREQ_CTAF = 6434,
  IDS_FREQ_GROUND = 6435,
  IDS_FREQ_TOWER = 6436,
  IDS_FREQ_DEPARTURE = 6437,
  IDS_FREQ_APPROACH = 6438,
  IDS_FREQ_CENTER = 6439,
  IDS_FREQ_FSS = 6440,
  IDS_FREQ_MULTICOM = 6441,
  IDS_FREQ_UNICOM = 6442,
  IDS_FREQ_AWOS = 6443,
  IDS_FREQ_ASOS = 6444,
  IDS_PARKING_NAME_BASE = 6448,  // + name kind 1 to 37
  IDS_PARKING_TYPE_BASE = 6486,  // + type 0 to 11
};

// Appends the airport's frequencies of one type, three to a line, after the label `labelId`.
void FrequencyText(std::string& out, const CSceneryDatabase& db, const NavPoint& airport, uint16_t type,
                   unsigned labelId);
// Appends the low and then the high airways through an intersection.
void AirwaysText(std::string& out, const CSceneryDatabase& db, const NavPoint& intersection);
// A scenery file path cut with "..." in the middle until it is shorter than 56 characters.
std::string ShortenFilePath(std::string path);
// Registers the texts above in the string table (once; later calls do nothing).
void AddPointTextStrings();
