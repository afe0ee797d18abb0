#pragma once

// The SID/STAR catalogue's records as the plan reads them: airports with their SID and STAR
// lists, the lists grouped by en-route fix, the procedures and their waypoints. Plain values;
// copying an airport copies everything below it.

#include <cstdint>
#include <string>
#include <vector>

#pragma pack(push, 1)
struct CSidStarWaypoint {
  char type = 0;       // 'I' intersection, 'N' NDB, 'V' VOR, 'L' ILS, 'R' runway end, 'F' user fix
  char ident[6] = {};  // NUL-terminated
  float lat = 0;
  float lon = 0;
  uint16_t heading = 0;    // runway heading in whole degrees ('R')
  uint32_t altitude1 = 0;  // bit 31 given, bits 0-30 signed value
  uint32_t altitude2 = 0;
  // bits 0-26 manual speed (signed), 27 speed given, 28 bearing point, 29 fly-over,
  // 30 and 31 the altitude and speed options
  uint32_t flags = 0;
};
#pragma pack(pop)
static_assert(sizeof(CSidStarWaypoint) == 29);

enum : uint32_t {
  kSidStarSpeedGiven = 1u << 27,
  // Also: the waypoint is not compared when a plan is matched against the procedure.
  kSidStarBearing = 1u << 28,
  kSidStarFlyOver = 1u << 29,
  kSidStarAltitudeOption = 1u << 30,
  kSidStarSpeedOption = 1u << 31,
};

struct CSidStarProcedure {
  std::string id;           // up to 20 characters
  std::string name;         // the description, line breaks CR LF
  std::string runway;       // the runway end's identifier, e.g. "09L"
  float lat = 0;
  float lon = 0;
  uint16_t heading = 0;
  std::vector<CSidStarWaypoint> waypoints;  // flying order
};

// The procedures sharing one en-route fix (a SID's last point, a STAR's first).
struct CSidStarFixGroup {
  char type = 0;
  std::string ident;
  std::string name;
  float lat = 0;
  float lon = 0;
  std::vector<CSidStarProcedure> procedures;

  int GetProcedureCount() const { return static_cast<int>(procedures.size()); }
};

struct CSidStarList {
  std::vector<CSidStarFixGroup> groups;
  bool isStar = false;
};

struct CSidStarAirport {
  std::string guid;
  char separator = '-';
  std::string stamp;
  std::string id;
  std::string name;
  std::string city;
  float lat = 0;
  float lon = 0;
  int32_t region = -1;
  std::string country;
  std::vector<std::string> authors;
  bool loaded = false;
  CSidStarList sids;
  CSidStarList stars{{}, true};
};
