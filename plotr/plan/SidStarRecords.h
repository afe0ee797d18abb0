#pragma once

// The SID/STAR catalogue's records: airports with their SID and STAR lists, the lists grouped by
// en-route fix, the procedures and their waypoints, and the world regions with their countries.
// Plain values; copying an airport copies everything below it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CRoute;
class IPlanUi;
struct FullPoint;
namespace win { class Clock; }

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

  std::string_view Ident() const;
  // Whether the database object (or user fix of `plan`) is this waypoint within `limit` metres;
  // a match narrows `limit` to its distance. Strict accepts related types (an intersection for
  // a navaid and the reverse); `ignoreRunwayIdent` compares runway ends by heading and place only.
  bool MatchesNavObject(double& limit, const FullPoint& object, const CRoute& plan, bool strict,
                        bool ignoreRunwayIdent) const;
};
#pragma pack(pop)
static_assert(sizeof(CSidStarWaypoint) == 29);

enum : uint32_t {
  kSidStarSpeedMask = (1u << 27) - 1,
  kSidStarSpeedGiven = 1u << 27,
  // Also: the waypoint is not compared when a plan is matched against the procedure.
  kSidStarBearing = 1u << 28,
  kSidStarFlyOver = 1u << 29,
  kSidStarAltitudeOption = 1u << 30,
  kSidStarSpeedOption = 1u << 31,
};

// Text limits of the file's fields (characters).
inline constexpr size_t kSidStarIdSize = 5;
inline constexpr size_t kSidStarNameSize = 30;
inline constexpr size_t kSidStarCountrySize = 40;
inline constexpr size_t kSidStarAuthorSize = 40;
inline constexpr size_t kSidStarAuthorCount = 10;
inline constexpr size_t kSidStarProcedureIdSize = 20;
inline constexpr size_t kSidStarDescriptionSize = 200;
inline constexpr size_t kSidStarRunwaySize = 3;
inline constexpr size_t kSidStarFixNameSize = 24;

// Search radii around a stored position (metres).
inline constexpr double kSidStarRunwayRadius = 7408.0;  // 4 nm
inline constexpr double kSidStarNavaidRadius = 18520.0;  // 10 nm
inline constexpr double kSidStarUserFixRadius = 100.0;

struct CSidStarProcedure {
  std::string id;           // up to 20 characters
  std::string name;         // the description, line breaks CR LF
  std::string runway;       // the runway end's identifier, e.g. "09L"
  float lat = 0;
  float lon = 0;
  uint16_t heading = 0;
  std::vector<CSidStarWaypoint> waypoints;  // flying order

  // Whether this procedure starts (SID) or ends (STAR) at the runway end given by place, heading
  // and, when not null, identifier, no farther than `limit`; a match narrows `limit`.
  bool MatchesRunway(double lat, double lon, int heading, const char* ident, double& limit) const;
};

// The procedures sharing one en-route fix (a SID's last point, a STAR's first).
struct CSidStarFixGroup {
  char type = 0;
  std::string ident;
  std::string name;  // the navaid's name for 'N' and 'V' fixes
  float lat = 0;
  float lon = 0;
  std::vector<CSidStarProcedure> procedures;

  int GetProcedureCount() const { return static_cast<int>(procedures.size()); }
};

struct CSidStarList {
  std::vector<CSidStarFixGroup> groups;
  bool isStar = false;

  // The group of the fix (type, identifier, within 10 nm; the nearest), -1 when none.
  int FindGroup(char type, std::string_view ident, double lat, double lon) const;
  // Inserts the procedure into the group at its place in the order; a procedure of the same id
  // on the same runway is replaced when `replace` is set, else the new one is dropped. The
  // index of the procedure, or -1 when dropped.
  int InsertProcedure(CSidStarFixGroup& group, CSidStarProcedure procedure, bool replace) const;
};

struct CSidStarRegion {
  struct Country {
    std::string name;
    bool enabled = false;
  };
  std::string name;
  std::vector<Country> countries;

  // Index of the country (exact text, searched from the last), -1 when absent.
  int FindCountry(std::string_view country) const;
  // Marks the country in use, adding it at its sorted place when new.
  void AddCountry(std::string_view country);
};

// The nine world regions, in the order of the files' region index.
inline constexpr int kSidStarRegionCount = 9;
extern const char* const kSidStarRegionNames[kSidStarRegionCount];

#pragma pack(push, 1)
// A reference to an item of the catalogue: the item data of the browser trees, and byte for byte
// the "Plotr Sid/Star" drag and clipboard format.
struct SidStarRefClip {
  int32_t row = -1;        // the plan row the procedure tree was filled for; -1 in the airport tree
  uint8_t isStar = 0;      // 0 SID, 1 STAR
  int32_t airport = -1;
  int32_t group = -1;      // -1: the airport's root item
  int32_t procedure = -1;  // -1: a group item
  int32_t waypoint = -1;   // -1: the procedure item itself
  // Only procedure items are dragged or accepted.
  bool IsProcedure() const { return airport >= 0 && group >= 0 && procedure >= 0 && waypoint < 0; }
};
#pragma pack(pop)
static_assert(sizeof(SidStarRefClip) == 21);

struct CSidStarAirport {
  std::string guid;   // 36 characters; empty for an airport never saved
  char separator = '-';  // '-' as published, '+' changed here
  std::string stamp;  // UTC save time "YYYYMMDD-HHMMSS"
  std::string id;
  std::string name;
  std::string city;
  float lat = 0;
  float lon = 0;
  int32_t region = -1;
  std::string country;
  std::vector<std::string> authors;  // the creator, then later editors, oldest first; at most 10
  bool loaded = false;
  CSidStarList sids;
  CSidStarList stars{{}, true};

  const std::string& Creator() const;
  // "<folder><guid><separator><stamp>.ss"
  std::string FilePath(const std::string& folder) const;
  // Whether the airport at that place with that identifier is this one (a four-letter
  // identifier also matches its three-letter form).
  bool Matches(double lat, double lon, std::string_view ident) const;
  // Reads the file's Airport section into the header fields; false when the file is not a
  // usable SID/STAR file. The file name fields are left alone.
  bool ReadHeader(const std::string& path);
  // Reads the procedures once; an unreadable file or one that fails its end check stays
  // unloaded (every later call tries again). NDB and VOR names come from the database. The
  // reading runs under `ui`'s wait cursor.
  void Load(const CRoute& plan, const std::string& folder, IPlanUi* ui = nullptr);
  // Writes the whole file; false when it could not be written.
  bool Write(const std::string& path) const;
  // Writes the airport under a new stamp and '+': 1 saved, 0 not saved (the old file stays).
  int Save(const std::string& folder, const win::Clock& clock);
  bool DeleteFile(const std::string& folder) const;
  void AddAuthor(std::string_view author);
  // Puts the plan in as a procedure (replacing one of the same id on the same runway); a new
  // airport takes its identity from the runway's airport. False when the plan does not convert.
  bool AddPlan(std::string_view procedureId, std::string_view description, int fixPoint, int runwayPoint,
               bool isStar, CRoute& plan, const std::string& folder);
  // Appends the procedure's waypoints to the plan, found again in the database (resolveAll) or
  // only its ends. The number of waypoints replaced by user fixes or dropped, -1 when an
  // essential one is missing.
  int InsertProcedure(CRoute& plan, bool isStar, int group, int procedure, bool resolveAll,
                      const std::string& folder);
  // One entry per distinct runway of the SIDs or STARs, sorted by runway number then suffix;
  // false when there is none.
  bool CollectRunways(std::vector<SidStarRefClip>& out, bool isStar, const CRoute& plan, const std::string& folder);
};
