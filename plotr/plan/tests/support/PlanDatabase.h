#pragma once

// A small airport neighbourhood in the global database for the tests of the plan file, the
// plug-in records, the plan edits and the database switch: two airports with runways, an ILS,
// ATIS and parkings, a VOR, an NDB, an intersection and a marker.

#include "navdb/SceneryDatabase.h"
#include "plotr/plan/PlanPoint.h"
#include "plotr/plan/Route.h"

namespace plantest {

// Positions of the objects (degrees).
struct PlanPlace {
  double lat;
  double lon;
};
inline constexpr PlanPlace kHomeAirport{47.46, 8.55};   // "LSZH" "Zurich", 432 m
inline constexpr PlanPlace kHomeRunway14{47.48, 8.53};  // "14", 140 deg true, ILS "IZH"
inline constexpr PlanPlace kHomeRunway32{47.45, 8.56};  // "32", nearer the airport than "14"
inline constexpr PlanPlace kHomeIls{47.485, 8.525};
inline constexpr PlanPlace kHomeAtis{47.461, 8.551};
inline constexpr PlanPlace kFarAirport{47.59, 7.53};    // "LFSB" "Basel"
inline constexpr PlanPlace kFarRunway15{47.60, 7.52};   // "15"
inline constexpr PlanPlace kVor{47.30, 8.20};           // "KLO" "Kloten", VOR/DME 114.85
inline constexpr PlanPlace kNdb{47.35, 8.00};           // "ZH" "Zurich East", 367 kHz
inline constexpr PlanPlace kIntersection{47.40, 7.80};  // "ABCDE"
inline constexpr PlanPlace kMarker{47.50, 8.45};

// The database object of the kind within 100 m of the place, as a plan waypoint; a point the
// database does not hold (kind and position only) when there is none.
PlanPoint DbPoint(PlanPlace at, uint16_t kind);

// Replaces the database's contents with the neighbourhood (hold a DatabaseLease for the global one).
void BuildPlanDatabase(CSceneryDatabase& db);
// The same, written as a database pair "<folder>/<title>.000" and ".001" with the two names.
bool WritePlanDatabase(const std::string& folder, const std::string& title, const std::string& name1,
                       const std::string& name2, bool withVor = true);

// Zurich to Basel past the ILS, the VOR (6000 ft manual altitude), the NDB (a bearing point),
// the intersection, a named and an automatically named user fix and Basel's runway, flown by a
// kilogram-fuel "Test aircraft".
CRoute TripRoute();

}  // namespace plantest
