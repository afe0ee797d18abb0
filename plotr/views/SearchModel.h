#pragma once

// The search pane without its window: the database walk that fills the result list, the rules
// that enable its commands and the targets those commands act on. The caller holds a
// DatabaseLease around every call that takes a database or a route.

#include <cfloat>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/PlanPoint.h"

class CSceneryDatabase;
class CRoute;
class CFlightPlanCore;
struct SimSnapshot;

namespace search {

// More rows than this stop the walk and tell the user so.
inline constexpr int kRowLimit = 100;

struct Row {
  std::string text;  // tab-separated fields, code page 1252
  FullPoint point;
};

struct Result {
  std::vector<Row> rows;
  bool tooMany = false;  // the walk stopped at the limit: "Too many Waypoints Found."
};

// Identifier mode matches identifiers that start with the text; name mode matches names (and
// cities, call signs, intersection identifiers) that contain it. Both upper-case first, in
// code page 1252. `mapBcIls` lets back-course ILS runways show as ILS runways.
Result SearchDatabase(std::string_view text, bool identifierMode, const CSceneryDatabase& db, const CRoute& route,
                      bool mapBcIls);

// Kinds that can stand in a plan (and travel as a full point or a plan point).
inline constexpr uint32_t kPlanKinds = 0x84FC;

// Which commands of the pane are on for a selected row (`row` null: nothing selected).
// `resolves` tells whether the route finds the row's object.
struct CommandStates {
  bool centerMap = false;
  bool flyTo = false;
  bool moveAircraft = false;
  bool towerView = false;
  bool holding = false;
  bool addToPlan = false;
};
CommandStates SearchCommandStates(const FullPoint* row, bool resolves, const SimSnapshot& sim, int simVer);

// Where "Move Aircraft to here" puts the aircraft; `act` false means nothing happens.
// Altitude in metres and heading in degrees true, DBL_MAX for unchanged.
struct MoveTarget {
  bool act = false;
  double latitude = 0;
  double longitude = 0;
  double altitude = DBL_MAX;
  double heading = DBL_MAX;
};
MoveTarget MoveAircraftTarget(const FullPoint& row, bool onGround, const CSceneryDatabase& db, const CRoute& route);

// Where "Set Tower view to here" puts the tower; `askAltitude` means the Tower View dialog
// decides the altitude, seeded with `seedFeet`.
struct TowerTarget {
  bool askAltitude = false;
  int seedFeet = 0;
  double latitude = 0;
  double longitude = 0;
  double altitude = 0;  // metres
};
TowerTarget TowerViewTarget(const FullPoint& row, const SimSnapshot& sim, const CSceneryDatabase& db,
                            const CRoute& route);
// The tower's altitude in metres for the feet the dialog gives.
double TowerFeetToMetres(double feet);

// "To Flightplan": appends the row's object to the plan as one edit; false (and no change) for
// a row that cannot stand in a plan or whose object is gone.
bool AddRowToPlan(CFlightPlanCore& plan, const FullPoint& row);

}  // namespace search
