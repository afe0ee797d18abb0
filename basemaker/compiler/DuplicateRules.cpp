#include "basemaker/compiler/DuplicateRules.h"

#include <cmath>
#include <string_view>

#include "basemaker/app/TextCase.h"
#include "navdb/SceneryDatabase.h"

namespace duplicates {

namespace {

constexpr double kFeetToMetres = 1.0 / kFeetPerMetre;

// Runways of one area: headings this close are parallel, and midpoints closer than this lie on
// each other whatever their courses; farther apart, the runways overlap when they share a line
// and their half lengths with this margin reach across.
constexpr double kParallelTolerance = 1.5;
constexpr double kRunwayMidpointsMeet = 50;
constexpr double kRunwayOverlapMargin = 50;
// Runways repeated by a later area: headings and midpoints allow for a redrawn airport.
constexpr double kRepeatedRunwayTolerance = 5;
constexpr double kRepeatedRunwayReach = 5000;
// Airports of one area without facility data on both are one when this close, names aside.
constexpr double kSameAirportClose = 2500;
// Airports repeated by a later area, where facility data does not decide it.
constexpr double kRepeatedAirportClose = 3500;

struct Midpoint {
  double lat;
  double lon;
};

// The ends' coordinates are added as stored, in single precision.
Midpoint MidpointOf(const Runway& r) {
  return {(r.end0.latitude + r.end1.latitude) / 2.0, (r.end0.longitude + r.end1.longitude) / 2.0};
}

// A "K" before a three-letter ident is the same US airport.
bool FacilityIdentsMatch(const AirportRecord& a, const AirportRecord& b) {
  const std::string_view x = a.Ident(), y = b.Ident();
  if (x == y) return true;
  if (x.size() == 4 && y.size() == 3 && x[0] == 'K' && x.substr(1) == y) return true;
  if (y.size() == 4 && x.size() == 3 && y[0] == 'K' && y.substr(1) == x) return true;
  return false;
}

bool SameName(const CSceneryDatabase& db, const AirportRecord& a, const AirportRecord& b) {
  return CompareNoCase(db.GetString(a.nameText), db.GetString(b.nameText)) == 0;
}

}  // namespace

bool Near(double lat1, double lon1, double lat2, double lon2) {
  return std::fabs(lat1 - lat2) < kNearDegrees && std::fabs(lon1 - lon2) < kNearDegrees;
}

double AngleDifference(double a, double b) {
  double d = std::fabs(a - b);
  if (d > 180) d = std::fabs(360 - d);
  return d;
}

int FrequencyKey(float frequency) { return static_cast<int>(frequency * 100.0 + 0.5); }

bool SameIls(const NavPoint& p, const IlsRecord& a, const NavPoint& q, const IlsRecord& b) {
  return Near(p, q) &&
         AngleDifference(BinaryAngleToDegrees(a.course), BinaryAngleToDegrees(b.course)) <
             kIlsCourseTolerance &&
         FrequencyKey(a.frequency) == FrequencyKey(b.frequency) &&
         GreatCircleDistance(p.latitude, p.longitude, q.latitude, q.longitude) < kBeaconReach;
}

bool SameCom(const NavPoint& p, const ComRecord& a, const NavPoint& q, const ComRecord& b) {
  return a.Type() == b.Type() && Near(p, q) && FrequencyKey(a.frequency) == FrequencyKey(b.frequency) &&
         GreatCircleDistance(p.latitude, p.longitude, q.latitude, q.longitude) < kComReach;
}

Loser OverlappingRunways(const Runway& first, const Runway& second) {
  const Midpoint m1 = MidpointOf(first), m2 = MidpointOf(second);
  if (!Near(m1.lat, m1.lon, m2.lat, m2.lon)) return Loser::kNone;
  const double heading = BinaryAngleToDegrees(first.record0.heading);
  if (AngleDifference(heading, BinaryAngleToDegrees(second.record0.heading)) > kParallelTolerance &&
      AngleDifference(heading, BinaryAngleToDegrees(second.record1.heading)) > kParallelTolerance) {
    return Loser::kNone;
  }
  const double d = GreatCircleDistance(m2.lat, m2.lon, m1.lat, m1.lon);
  if (d >= kRunwayMidpointsMeet) {
    if (first.record0.length * kFeetToMetres / 2 + second.record0.length * kFeetToMetres / 2 +
            kRunwayOverlapMargin <=
        d) {
      return Loser::kNone;
    }
    const double course = InitialCourse(m2.lat, m2.lon, m1.lat, m1.lon);
    if (AngleDifference(course, heading) >= kParallelTolerance &&
        AngleDifference(course, BinaryAngleToDegrees(first.record1.heading)) >= kParallelTolerance) {
      return Loser::kNone;
    }
  }
  return first.record0.length < second.record0.length ? Loser::kFirst : Loser::kSecond;
}

bool SameRunway(const Runway& earlier, const Runway& later) {
  const Midpoint p = MidpointOf(earlier), q = MidpointOf(later);
  if (!Near(p.lat, p.lon, q.lat, q.lon)) return false;
  const RunwayRecord& a1 = earlier.record0;
  const RunwayRecord& a2 = earlier.record1;
  const RunwayRecord& b1 = later.record0;
  const RunwayRecord& b2 = later.record1;
  const double h1 = BinaryAngleToDegrees(a1.heading);
  const bool straight = AngleDifference(BinaryAngleToDegrees(b1.heading), h1) < kRepeatedRunwayTolerance &&
                        b1.Designator() == a1.Designator() && b2.Designator() == a2.Designator();
  const bool crossed = AngleDifference(BinaryAngleToDegrees(b2.heading), h1) < kRepeatedRunwayTolerance &&
                       b2.Designator() == a1.Designator() && b1.Designator() == a2.Designator();
  if (!straight && !crossed) return false;
  return GreatCircleDistance(p.lat, p.lon, q.lat, q.lon) < kRepeatedRunwayReach;
}

bool SameAirport(const CSceneryDatabase& db, const NavPoint& p, const AirportRecord& a,
                 const NavPoint& q, const AirportRecord& b) {
  if (!Near(p, q)) return false;
  const double d = GreatCircleDistance(p.latitude, p.longitude, q.latitude, q.longitude);
  if (d > kAirportReach) return false;
  if (a.HasFacilityData() && b.HasFacilityData()) return FacilityIdentsMatch(a, b);
  return d < kSameAirportClose || SameName(db, a, b);
}

Loser RepeatedAirport(const CSceneryDatabase& db, const NavPoint& earlier, const AirportRecord& a,
                      const NavPoint& later, const AirportRecord& b) {
  if (!Near(earlier, later)) return Loser::kNone;
  const double d = GreatCircleDistance(earlier.latitude, earlier.longitude, later.latitude, later.longitude);
  if (d > kAirportReach) return Loser::kNone;
  const bool earlierFacility = a.HasFacilityData();
  const bool laterFacility = b.HasFacilityData();
  if (earlierFacility && laterFacility) return SameName(db, a, b) ? Loser::kSecond : Loser::kNone;
  if (earlierFacility) return Loser::kSecond;
  const bool close = d < kRepeatedAirportClose;
  if (!close) return Loser::kNone;
  return laterFacility ? Loser::kFirst : Loser::kSecond;
}

bool IsAirportGroundObject(const ObjectRecord& object) {
  return object.IsShown() && object.Type() >= 1 && object.Type() <= 3;
}

}  // namespace duplicates
