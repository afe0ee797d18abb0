#pragma once

// The SID/STAR browser's two trees without windows. The airport tree lists every catalogue
// airport by region and country and, once an airport is opened, its file's date, authors and
// runways; the procedure tree lists the SIDs and STARs of one plan row by en-route fix, with the
// procedures of a group made only while it is open. Both are plain nodes that the tree windows
// mirror item for item, so every rule (texts, images, what opens and closes, what is selected,
// what a reference still points at) is decided here.
//
// Catalogue indexes change whenever the catalogue is rescanned or edited, and plan rows change
// with every plan edit: every index that comes from a reference, a plan row or a hint is checked
// against the current sizes before it is used.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/SidStarRecords.h"

class CFlightPlanCore;
class CRoute;
class CSidStarStore;
struct SidStarServerOptions;

namespace sidstar {

// Images of the browser's strip.
enum Image : int {
  kImageActiveLeg = 0,
  kImageHidden = 1,
  kImageOther = 2,
  kImageNdb = 3,
  kImageIls = 4,
  kImageVor = 5,
  kImageAirport = 8,
  kImageRunway = 9,
  kImageIntersection = 10,
  kImageUserFix = 11,
  kImageCatalogue = 18,
  kImageSid = 19,
  kImageStar = 20,
  kImageCreator = 21,
  kImageSectorNorth = 22,  // 12 sectors of 30 degrees, clockwise from north
  kImageChanged = 34,
  kImageRegion = 35,
  kImageCountry = 36,
  kImageDate = 37,
  kImageAuthor = 38,
};

// Texts of the string table the trees show.
inline constexpr unsigned kTextAirportsRoot = 6132;   // "Airports with SID/STARs"
inline constexpr unsigned kTextRunwaysSid = 6133;     // "Runways with SID"
inline constexpr unsigned kTextRunwaysStar = 6134;    // "Runways with STAR"
inline constexpr unsigned kTextNoRow = 6098;          // "SID/STARs of waypoint selected in left ..."
inline constexpr unsigned kTextNoDescription = 164;   // "Description of selected SID or STAR"
// Adds the texts above to the string table (once).
void AddTreeStrings();

struct TreeNode {
  std::string text;  // code page 1252
  int image = kImageOther;
  // The airport tree's overlay marks a file changed locally, the procedure tree's a hidden
  // waypoint.
  bool overlay = false;
  bool bold = false;
  bool expanded = false;
  bool hasButton = false;  // shows an expand button before its children exist
  bool hasRef = false;     // items that stand for a catalogue object carry a reference
  SidStarRefClip ref;
  std::vector<TreeNode> children;
};

// Child indexes from the list of roots down to a node.
using NodePath = std::vector<int>;

const TreeNode* NodeAt(const std::vector<TreeNode>& roots, const NodePath& path);
TreeNode* NodeAt(std::vector<TreeNode>& roots, const NodePath& path);
// The first node (in tree order) that carries exactly this reference.
std::optional<NodePath> FindByRef(const std::vector<TreeNode>& roots, const SidStarRefClip& ref);

// What a reference stands for: the first negative index decides.
inline bool IsAirportRef(const SidStarRefClip& r) { return r.airport >= 0 && r.group < 0; }
inline bool IsGroupRef(const SidStarRefClip& r) { return r.airport >= 0 && r.group >= 0 && r.procedure < 0; }
inline bool IsProcedureRef(const SidStarRefClip& r) { return r.IsProcedure(); }
inline bool IsWaypointRef(const SidStarRefClip& r) {
  return r.airport >= 0 && r.group >= 0 && r.procedure >= 0 && r.waypoint >= 0;
}

// The catalogue objects a reference names, each null when its index is outside the catalogue
// as it is now (or the reference does not go that deep).
struct RefTarget {
  const CSidStarAirport* airport = nullptr;
  const CSidStarFixGroup* group = nullptr;
  const CSidStarProcedure* procedure = nullptr;
  const CSidStarWaypoint* waypoint = nullptr;
};
RefTarget Resolve(const CSidStarStore& store, const SidStarRefClip& ref);

// ---- Texts and images ------------------------------------------------------------------------------

// "Id -- City -- Name", or "Id -- Name" when the city is empty or the name begins with it.
std::string AirportText(const CSidStarAirport& airport);

// The date of a file stamp "YYYYMMDD-HHMMSS" in the user's format.
using DateFormatter = std::function<std::string(int year, int month, int day)>;
// The formatter's text for a real date; otherwise the stamp's "MM/DD/YYYY" as it stands, and a
// stamp too short to hold a date as it stands.
std::string DateLine(std::string_view stamp, const DateFormatter& format);

// The direction sector of a course from the airport to a fix; a course that is not a number
// (a fix with no usable position) counts as north.
int SectorImage(double course);
// Waypoint images by type letter.
int WaypointImage(char type);

// The center of the map for a reference: the airport, the group's fix, the procedure's runway
// or the waypoint; none when the reference no longer resolves.
struct MapPoint {
  double latitude = 0;
  double longitude = 0;
};
std::optional<MapPoint> CenterOf(const CSidStarStore& store, const SidStarRefClip& ref);

// The description view's text for a selected item: a procedure's description, else string 164.
std::string DescriptionOf(const CSidStarStore& store, const std::optional<SidStarRefClip>& ref);

// ---- The airport tree ------------------------------------------------------------------------------

class CAirportTreeModel {
 public:
  // Builds the tree from the catalogue and opens again the branches that were open, each by the
  // expansion rule. Returns the node to select: the last one opened again, else the root.
  NodePath Rebuild(CSidStarStore& store, const CRoute& route, const DateFormatter& format);

  struct ExpandResult {
    std::vector<NodePath> collapsed;  // other open branches closed, in tree order
    bool childrenAdded = false;       // an airport got its date, author and runway items
  };
  // Opens a node as an accordion: every open node off the path to it closes. An airport opened
  // for the first time gets its children. A path that leads nowhere changes nothing.
  ExpandResult Expand(const NodePath& path, CSidStarStore& store, const CRoute& route, const DateFormatter& format);
  // Closes a node. Closing the root re-reads the catalogue folder (true); the caller then runs
  // the catalogue-change sequence, whose rebuild opens the root again.
  bool Collapse(const NodePath& path, CSidStarStore& store);

  const std::vector<TreeNode>& Roots() const { return m_roots; }

  // The key under which an open node is remembered across a rebuild: its text before the first
  // "--", trimmed (counts change), or the whole text of an airport.
  static std::string ExpansionKey(const TreeNode& node);

 private:
  std::vector<TreeNode> m_roots;
};

// The children of an opened airport: the file's date with its authors under it, then the
// headings of runways with SIDs and with STARs (only those the airport has) with one runway
// item per runway. Loads the airport's procedures; empty when the index is stale.
std::vector<TreeNode> AirportChildren(CSidStarStore& store, int airport, const CRoute& route,
                                      const DateFormatter& format);

// Deletes an airport's file here and then on the SID/STAR server (editors): connects first,
// tells the user when no server answers, asks before deleting and removes the server's copy
// only after the local file is gone.
enum class ServerDelete { kServerNotFound, kKept, kDeleted };
ServerDelete DeleteAirportOnServer(CSidStarStore& store, int airport, const CRoute& route,
                                   const SidStarServerOptions& options);

// ---- The procedure tree ----------------------------------------------------------------------------

class CProcedureTreeModel {
 public:
  // Builds the tree for a plan row (-1, or a row outside the plan: no row): a root per SID and
  // STAR airport of the row with its groups, the row's own group opened. Returns the procedure
  // the plan flies there (the STAR's when there are both), none when there is none.
  // `editor`: roots show the number of procedures. The caller holds a DatabaseLease.
  std::optional<NodePath> Rebuild(CSidStarStore& store, const CFlightPlanCore& plan, int row, bool editor);
  // Fills an opened group with its procedures and their waypoints; false when the path is no
  // group or its reference is stale.
  bool Expand(const NodePath& path, CSidStarStore& store, const CFlightPlanCore& plan);
  // Closes a node; a group drops its procedures. False when refused: the first root stays open.
  bool Collapse(const NodePath& path);

  const std::vector<TreeNode>& Roots() const { return m_roots; }
  // The row the tree was built for, -1 for none.
  int Row() const { return m_row; }

 private:
  std::vector<TreeNode> m_roots;
  int m_row = -1;
};

// The rows that carry the plan's current procedure of the reference's airport (its SID or
// STAR run, with the runway or airport row), first to last. None when the reference is stale:
// its row is outside the plan or no longer carries that airport's procedure side, or its
// indexes are outside the catalogue.
std::optional<std::vector<int>> ReplaceRun(const CFlightPlanCore& plan, const CSidStarStore& store,
                                           const SidStarRefClip& ref);
// Puts the referenced procedure in place of that run in one undo step, at the run's first row.
// False, with the plan unchanged, when the reference is stale or the procedure's essential
// waypoints are missing. The caller then marks the document and sends hint 0x12.
bool ReplaceProcedure(CFlightPlanCore& plan, CSidStarStore& store, const SidStarRefClip& ref);

}  // namespace sidstar
