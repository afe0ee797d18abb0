#pragma once

// The plan object's second level: after every change of the current route it lays out one row
// per flown waypoint (position, leg course and distance, planned altitude and speed, time,
// fuel, cumulative and remaining values), inserts the climb and descent pseudo rows of the
// vertical profile, adds the bearing points and matches the departure and arrival procedures.
// Views, guidance, status publication and the plug-in records read the rows; only Rebuild
// writes them. Rebuild takes no lock: callers hold a DatabaseLease.

#include <cfloat>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/flpx/Flpx.h"
#include "plotr/core/MpPlayerEntry.h"
#include "plotr/plan/PlanSimLink.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/plan/ProcedureCatalogue.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/UndoHistory.h"
#include "plotr/plan/WorldMap.h"

// What a row is in its flight.
enum PlanRowKind : int32_t {
  kRowDeparture = 0,
  kRowEnRoute = 1,
  kRowDestination = 2,
  kRowBearing = 3,  // shown, not flown: no part in totals or the profile
};

// Kinds of the vertical pseudo rows; they lie above every point kind, so a row is a pseudo row
// when (kind & kPseudoKindMask) != 0.
enum : uint32_t {
  kPseudoKindMask = 0xF0000,
  kPseudoBeginClimb = 0x10000,
  kPseudoEndClimb = 0x20000,
  kPseudoBeginDescent = 0x40000,
  kPseudoClimbMeetsDescent = 0x60000,  // end of climb and beginning of descent in one point
  kPseudoEndDescent = 0x80000,
  kPseudoDescentMeetsClimb = 0x90000,  // end of descent and beginning of climb in one point
};

inline constexpr bool IsPseudoKind(uint32_t kind) { return (kind & kPseudoKindMask) != 0; }

// No leg is shorter than this once a previous row exists, so nothing divides by a zero length.
inline constexpr double kMinLegNm = 1e-10;
inline constexpr size_t kRowAirportNameSize = 101;

// Guidance flags of the plan object.
enum : uint32_t {
  kGuidanceFlyTo = 1u << 0,
  kGuidanceFlyingPlan = 1u << 1,
  kGuidanceHoldingRequested = 1u << 2,
  kGuidanceHolding = 1u << 3,
};

// Cue ids of the fly-plan state.
inline constexpr int kCueNextWaypoint = 1;
inline constexpr int kCueFlyPlanOn = 2;
inline constexpr int kCueFlyPlanOff = 3;

// The holding pattern defined at a fix. Indices are those of the holding dialog's lists.
struct HoldingDefinition {
  uint8_t defined = 0;
  float latitude = 0;   // the fix, degrees
  float longitude = 0;
  int32_t headingMode = 0;    // 0 the heading is the inbound course, 1 the outbound course
  int32_t heading = 0;        // whole degrees magnetic
  int32_t turnDirection = 0;  // 0 right, 1 left
  int32_t segmentKind = 0;    // 0 minutes, 1 nautical miles
  double segmentLength = 1;
  double variation = 0;       // at the fix when it was defined
};

// One computed row. Kept in memory only. Units: degrees, feet, knots, feet per minute,
// nautical miles, minutes, and the profile's fuel unit.
struct PlanRow {
  double latitude = 0;
  double longitude = 0;
  uint32_t kind = 0;         // the waypoint's point kind, or a pseudo kind
  int32_t pointIndex = -1;   // waypoint in the current route; -1 for pseudo rows
  double variation = 0;
  double course = 0;         // magnetic course of the leg into this row; 0 without a leg
  double indicatedAirspeed = 0;
  double verticalSpeed = 0;
  double altitude = 0;
  double legDistance = 0;
  double legTime = 0;
  double legFuel = 0;
  double cumulativeDistance = 0;  // from the start of the row's flight
  double cumulativeTime = 0;
  double cumulativeFuel = 0;
  double remainingDistance = 0;   // to the end of the row's flight
  double remainingTime = 0;
  double remainingFuel = 0;
  uint8_t speedRelease = 0;  // the waypoint's speed restriction ends here
  int32_t speedBefore = 0;   // planned speed on the leg into this row
  int32_t speedAfter = 0;    // planned speed after this row
  int32_t rowKind = kRowEnRoute;
  int32_t legDirection = 0;  // 1 climb, 0 level, -1 descent
  int32_t sidAirport = -1;
  int32_t sidGroup = -1;
  int32_t sidProcedure = -1;
  int32_t starAirport = -1;
  int32_t starGroup = -1;
  int32_t starProcedure = -1;
  char airportName[kRowAirportNameSize] = {};  // ILS and runway rows: their airport's name

  bool IsPseudo() const { return IsPseudoKind(kind); }
};

namespace archive {
class MemoryFile;
}

class CFlightPlanCore : public CUndoHistory, public CWorldMap {
 public:
  // Pushes a fresh route (the aircraft of the setting "LastCraft") as the first snapshot under
  // a DatabaseLease. The rows stay empty until the first Rebuild. `ui`: the dialogs and message
  // boxes the plan's operations show.
  explicit CFlightPlanCore(const PlanUiServices& ui = {});
  ~CFlightPlanCore() override;

  // Recomputes the rows from the current route; drops from the route the manual values that
  // the aircraft cannot meet. Callers hold a DatabaseLease.
  void Rebuild();

  // The per-tick work of the plan object, called by the document on every timer tick once the
  // module has been shown. Each level calls the level below first, then does its own work.
  virtual void OnTick(uint32_t tick);

  // Multiplayer operations, in this order after OnTick. The plan without a session level does
  // no work: never connected, nothing received, nobody listed.
  virtual bool Connect();
  virtual void Disconnect();
  virtual void HostSettings();
  virtual void PublishPlayerData(bool makePublic);
  virtual bool IsConnected() const;
  virtual bool IsSessionLost() const;
  virtual bool IsSessionHost() const;
  virtual bool IsPlanPublic() const;
  virtual bool AnyRemotePlanPublic() const;
  virtual void OpenFromRemote();
  // Copies a received plan file image into `file` and forgets it; true when one was there.
  virtual bool LoadReceivedPlan(archive::MemoryFile& file);
  // Empties `players`, then lists every pilot of the session (onlyPublic false) or the other
  // pilots whose plan is public.
  virtual void ListPublicPlanPlayers(std::vector<MpPlayerEntry>& players, bool onlyPublic);

  // The waypoint of a row in the current route; null outside the rows and for pseudo rows.
  PlanPoint* GetRowPoint(int row);
  const PlanPoint* GetRowPoint(int row) const;
  // Sums of leg distance, time and fuel over every row but bearing rows.
  void GetTotals(double& distance, double& time, double& fuel) const;
  // `start` metres plus the great-circle metres between successive flown rows from `firstRow`
  // up to and including the first destination row; DBL_MAX when no destination follows.
  double DistanceToDestination(double start, int firstRow) const;
  // Follows marked user points that the map drags, without a rebuild: only the rows of marked
  // waypoints and the row after each one change.
  static void UpdateMovedRows(std::vector<PlanRow>& rows, const CRoute& route);
  // Puts the matched departure and arrival procedures' own waypoints back into a route copy,
  // in place of the rows that matched them.
  void ReapplyProcedures(CRoute& route);

  // Fly-to, fly-plan and holding state. The starts look at the simulator through the installed
  // link and are refused without an autopilot; gauges' commands reach them, so positions and
  // rows are checked.
  void FlyTo(double latitude, double longitude);
  void ClearFlyTo();
  bool IsFlyToActive() const;
  // A negative first row chooses the row nearest to the aircraft (or the one after it when the
  // aircraft has passed it).
  void StartFlyPlan(int firstRow);
  void StopFlyPlan();
  bool IsFlyPlanActive() const;
  bool PreviousWaypoint();
  bool NextWaypoint();
  void StartHolding();
  void ClearHoldingEntry();
  void StopHolding();
  bool IsHoldingEntry() const;
  bool IsHoldingActive() const;
  // What the installed link last read of the simulator.
  const SimSnapshot& Simulator() const { return SimLink().Snapshot(); }
  // The installed link: what the panes ask of the simulator goes through it.
  IPlanSimLink& SimLink() const { return *m_simLink; }

  // What the plan's operations show the user; null members show nothing.
  IPlanUi* Ui() const { return m_ui.ui; }
  IToolDialogs* Dialogs() const { return m_ui.dialogs; }

  // The procedure catalogue used for matching; the plan owns it. nullptr: one that holds nothing.
  IProcedureCatalogue& GetProcedureCatalogue() { return *m_catalogue; }
  void SetProcedureCatalogue(std::unique_ptr<IProcedureCatalogue> catalogue);

  // Vertical profile over the rows laid out by BuildRows. False when a manual altitude had to
  // be dropped from the route; the rows must then be laid out again.
  bool PlanAltitudes();
  // Number of pseudo rows inserted between `first` and `last`, -1 after dropping a constraint.
  int PlanSegment(int first, int last);
  // Climb or descent from row `start` and into row `end` around `level` feet; pseudo rows
  // inserted, or -1 after dropping a constraint.
  int ComputeVerticalProfile(int start, int end, int level);

  // The plug-in services' reads of the plan: the current route's plan information, and the two
  // cursors over the rows and the departure airport's start positions (PlanRecords.h).
  int GetPlanInfo(FlpxPlanInfo* info) const;
  int GetWaypoint(int move, FlpxWaypoint* waypoint);
  int GetStartPosition(int move, FlpxStartPosition* position);

  std::vector<PlanRow> m_rows;
  std::vector<FlpxStartPosition> m_startPositions;
  int32_t m_startPositionCursor = 0;
  int32_t m_waypointCursor = 0;
  uint32_t m_guidanceFlags = 0;
  int32_t m_flyPlanChangeCount = 0;
  int32_t m_currentRow = 0;  // row index of the active leg's end
  double m_flyToLatitude = DBL_MAX;
  double m_flyToLongitude = DBL_MAX;
  uint8_t m_levelOffValid = 0;
  double m_levelOffLatitude = 0;
  double m_levelOffLongitude = 0;
  double m_levelOffCourse = 0;
  HoldingDefinition m_holding;

 protected:
  // The simulator layer installs its link; null puts back the link without a simulator.
  void SetSimLink(IPlanSimLink* link);

  void BuildRows(std::vector<PlanRow>& rows, CRoute& route);
  void AddBearingRows(std::vector<PlanRow>& rows, CRoute& route);
  const CSidStarList* ProceduresOfRow(int row, CRoute& route, bool star, int& airport);
  void MatchSid();
  void MatchStar();
  // Index after the last plan row that matched every compared waypoint of the procedure, or
  // `startRow` when one fails or the rows run out.
  int CountSidMatches(int startRow, const CSidStarProcedure& procedure, bool loose) const;
  // The arrival mirror: rows walked backwards from `endRow`; the index before the earliest
  // matched row, or `endRow` when there is no match.
  int CountStarMatches(int endRow, const CSidStarProcedure& procedure, bool loose) const;

 private:
  // Metres from each flown row to the flown row before it, kept in step with the rows while the
  // profile inserts its pseudo rows: the profile asks for the distance to the destination at
  // every step, and summing these instead of walking the great circles again keeps a long plan's
  // rebuild linear. The sums are the same additions in the same order as DistanceToDestination.
  void FillRowMetres();
  void InsertProfileRow(int at, const PlanRow& row);
  double ProfileDistanceToDestination(int firstRow) const;
  std::vector<double> m_rowMetres;

  PlanUiServices m_ui;
  std::unique_ptr<IProcedureCatalogue> m_catalogue;
  IPlanSimLink* m_simLink = &NoSimLink();
};
