#pragma once

// When two points of a database describe the same thing. The area compiler thins out what the
// files of one area describe twice, and the build's cross-check hides what a later area repeats
// of an earlier one; both decide by these rules. A rule only answers: the passes keep the
// loops, and choose whether a point loses its shown bit alone or its kept bit too.

#include "navdb/Geodesy.h"
#include "navdb/Payloads.h"

class CSceneryDatabase;

namespace duplicates {

// Beacons of one frequency or ident this close are one beacon.
inline constexpr double kBeaconReach = 20000;
// ILS whose courses differ by less than this may be one ILS.
inline constexpr double kIlsCourseTolerance = 5;
inline constexpr double kComReach = 5000;
// Airports farther apart than this are never one airport.
inline constexpr double kAirportReach = 7000;
// An airport's ground lines, fuel and surfaces lie this close to one of its runway ends.
inline constexpr double kGroundObjectReach = 3000;

// Within a degree of latitude and of longitude: the cheap test before any distance is measured.
inline constexpr double kNearDegrees = 1.0;
bool Near(double lat1, double lon1, double lat2, double lon2);
inline bool Near(const NavPoint& a, const NavPoint& b) {
  return Near(a.latitude, a.longitude, b.latitude, b.longitude);
}
// |a - b| folded into 0 to 180 degrees.
double AngleDifference(double a, double b);
// Frequencies compared to the hundredth of their unit.
int FrequencyKey(float frequency);

// An NDB or a VOR: `q` repeats `p` when near, on the same frequency or with the same ident.
template <class Beacon>
bool SameBeacon(const NavPoint& p, const Beacon& a, const NavPoint& q, const Beacon& b) {
  return Near(p, q) &&
         (FrequencyKey(a.frequency) == FrequencyKey(b.frequency) || a.Ident() == b.Ident()) &&
         GreatCircleDistance(p.latitude, p.longitude, q.latitude, q.longitude) < kBeaconReach;
}
bool SameIls(const NavPoint& p, const IlsRecord& a, const NavPoint& q, const IlsRecord& b);
bool SameCom(const NavPoint& p, const ComRecord& a, const NavPoint& q, const ComRecord& b);

// A runway as the rules see it: its two ends, stored one after the other, with their records.
struct Runway {
  const NavPoint& end0;
  const NavPoint& end1;
  const RunwayRecord& record0;
  const RunwayRecord& record1;
};

enum class Loser { kNone, kFirst, kSecond };

// Within one area: two runways that lie on each other (parallel, and overlapping along their
// length). The shorter goes; of equally long ones the second.
Loser OverlappingRunways(const Runway& first, const Runway& second);
// Across areas: the same runway again, its ends in either order, with the same designators.
bool SameRunway(const Runway& earlier, const Runway& later);

// Within one area: two airport points that describe one airport. Two that came with facility
// data must have the same ident (a "K" before a three-letter ident counts as the same); otherwise
// they must lie very close or have the same name.
bool SameAirport(const CSceneryDatabase& db, const NavPoint& p, const AirportRecord& a,
                 const NavPoint& q, const AirportRecord& b);
// Across areas: which of two airport points gives way. Facility data wins over none; two with
// facility data must have the same name; two without must lie close.
Loser RepeatedAirport(const CSceneryDatabase& db, const NavPoint& earlier, const AirportRecord& a,
                      const NavPoint& later, const AirportRecord& b);

// Taxi lines, fuel and ground surfaces, the objects that belong to an airport.
bool IsAirportGroundObject(const ObjectRecord& object);

}  // namespace duplicates
