// The catalogue meets the plan: checking a plan before it is saved as a procedure, matching
// waypoints against database objects, and putting stored procedures and runways into a plan.

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarNav.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/tools/SidStarUi.h"
#include "platform/win/Codepage.h"

#include <cmath>
#include <cstring>
#include <mutex>

namespace {

// Greatest difference between a runway's heading and the course to or from its neighbour.
constexpr double kInLineDegrees = 10.0;

bool IsNavaidKind(uint16_t kind) {
  return kind == kKindIntersection || kind == kKindNdb || kind == kKindVor || kind == kKindIls;
}

// Also false for a user fix named "Fix...", which has no identifier of its own.
bool HasIdent(const PlanPoint& point, const CRoute& route) {
  std::string ident;
  return SidStarObjectIdent(point.ref.point, route, ident) && !ident.empty();
}

// The runway end's airport exists and has an identifier.
bool HasNamedAirport(const PlanPoint& point, const CRoute& route) {
  FullPoint airport;
  if (!route.FindAirportOf(airport, point.ref.point)) return false;
  const AirportRecord* record = DatabaseLease::HeldDatabase().GetAirport(airport.point);
  return record && !record->Ident().empty();
}

// A user fix whose own name a waypoint line cannot hold (bearing points carry their name too).
bool HasUnusableName(const PlanPoint& point, const CRoute& route) {
  if (BaseKind(point.Kind()) != kKindUserPoint) return false;
  FixName name{};
  return !IsUsableFixName(route.LookupUserFixName(point.FixId(), name) ? FixNameText(name) : point.UserName());
}

bool InLine(const PlanPoint& from, const PlanPoint& to, const PlanPoint& runway) {
  const double course = InitialCourse(from.ref.point.latitude, from.ref.point.longitude, to.ref.point.latitude,
                                      to.ref.point.longitude);
  return SidStarHeadingDifference(course, SidStarRunwayHeading(runway.ref.point)) <= kInLineDegrees;
}

// The kinds and search radius a waypoint type is looked up with; false for an unknown type.
bool LookupOf(const CSidStarWaypoint& w, int32_t& kinds, double& radius) {
  radius = kSidStarNavaidRadius;
  switch (w.type) {
    case 'I': kinds = kKindIntersection; return true;
    case 'N': kinds = kKindNdb; return true;
    case 'V': kinds = kKindVor; return true;
    case 'L': kinds = kKindIls; return true;
    case 'R':
      kinds = kKindRunway;
      radius = kSidStarRunwayRadius;
      return true;
    case 'F':
      kinds = w.Ident() == "Fix" ? kKindUserPoint : (kKindIntersection | kKindNdb | kKindVor);
      radius = kSidStarUserFixRadius;
      return true;
    default:
      return false;
  }
}

// The nearest object of the kinds that matches the waypoint (later ones win on equal distance).
bool FindMatch(const CSidStarWaypoint& w, int32_t kinds, double radius, bool ignoreRunwayIdent, const CRoute& plan,
               FullPoint& match) {
  std::vector<FullPoint> candidates;
  double searchRadius = radius;
  plan.FindObjects(candidates, searchRadius, w.lat, w.lon, kinds, true, false);
  double limit = radius;
  bool found = false;
  for (const FullPoint& candidate : candidates) {
    if (w.MatchesNavObject(limit, candidate, plan, false, ignoreRunwayIdent)) {
      match = candidate;
      found = true;
    }
  }
  return found;
}

PlanPoint UserFixFor(const CSidStarWaypoint& w) {
  PlanPoint point;
  CRoute::MakeUserPoint(point.ref.point, w.lat, w.lon);
  if (w.Ident() != "Fix") {
    std::memcpy(point.userName, w.ident, std::min(std::strlen(w.ident), sizeof point.userName - 1));
  }
  return point;
}

}  // namespace

bool CSidStarWaypoint::MatchesNavObject(double& limit, const FullPoint& object, const CRoute& plan, bool strict,
                                        bool ignoreRunwayIdent) const {
  const bool wantNone = (type == 'F' && Ident().substr(0, 3) == "Fix") || (type == 'R' && ignoreRunwayIdent);
  const char letter = SidStarLetterOfKind(object.point.kind);
  if (letter == 0) return false;
  std::string candidate;
  if (!SidStarObjectIdent(object.point, plan, candidate)) return false;
  if (letter == 'R' && ignoreRunwayIdent) candidate.clear();

  bool typeOk = false;
  if (strict) {
    switch (letter) {
      case 'R': typeOk = type == 'R'; break;
      case 'N': typeOk = type == 'N' || type == 'I' || type == 'F'; break;
      case 'V': typeOk = type == 'V' || type == 'I' || type == 'F'; break;
      case 'L': typeOk = type == 'L' || type == 'F'; break;
      case 'I': typeOk = type == 'I' || type == 'N' || type == 'V' || type == 'F'; break;
      case 'F': typeOk = true; break;
    }
  } else {
    typeOk = letter == type || ((type == 'N' || type == 'V') && letter == 'I') ||
             (type == 'I' && (letter == 'N' || letter == 'V')) ||
             (type == 'F' && (letter == 'N' || letter == 'V' || letter == 'I'));
  }
  if (!typeOk) return false;
  if (letter == 'R' && !(SidStarHeadingDifference(heading, SidStarRunwayHeading(object.point)) < kInLineDegrees)) {
    return false;
  }
  const std::string_view wanted = wantNone ? std::string_view() : Ident();
  if (wanted.empty() != candidate.empty()) return false;
  if (!wanted.empty() && !win::EqualsNoCase(wanted, candidate)) return false;
  const double distance = GreatCircleDistance(lat, lon, object.point.latitude, object.point.longitude);
  if (!(distance <= limit)) return false;
  limit = distance;
  return true;
}

int CSidStarAirport::InsertProcedure(CRoute& plan, bool isStar, int group, int procedure, bool resolveAll,
                                     const std::string& folder) {
  Load(plan, folder);
  const CSidStarList& list = isStar ? stars : sids;
  if (group < 0 || static_cast<size_t>(group) >= list.groups.size()) return -1;
  const auto& procedures = list.groups[static_cast<size_t>(group)].procedures;
  if (procedure < 0 || static_cast<size_t>(procedure) >= procedures.size()) return -1;
  const std::vector<CSidStarWaypoint> waypoints = procedures[static_cast<size_t>(procedure)].waypoints;

  DatabaseLease lease;
  int usable = 0;
  int replaced = 0;
  for (size_t k = 0; k < waypoints.size(); ++k) {
    const CSidStarWaypoint& w = waypoints[k];
    int32_t kinds = 0;
    double radius = 0;
    if (!LookupOf(w, kinds, radius)) return -1;
    PlanPoint point;
    bool append = true;
    if (!resolveAll && k != 0 && k + 1 != waypoints.size()) {
      if (kinds == kKindUserPoint || kinds == (kKindIntersection | kKindNdb | kKindVor)) {
        point = UserFixFor(w);  // no single kind stands for "intersection, NDB or VOR"
      } else {
        point.ref.point = NavPoint(w.lat, w.lon, static_cast<uint16_t>(kinds), 1);
      }
    } else {
      FullPoint match;
      bool found = FindMatch(w, kinds, radius, false, plan, match);
      if (!found && w.type == 'R') found = FindMatch(w, kinds, radius, true, plan, match);
      if (!found && (w.type == 'N' || w.type == 'V')) found = FindMatch(w, kKindIntersection, radius, false, plan, match);
      if (!found && w.type == 'I') found = FindMatch(w, kKindNdb | kKindVor, radius, false, plan, match);
      if (found) {
        point.ref = match;
      } else if ((kinds & kKindIntersection) || (kinds & kKindUserPoint)) {
        point = UserFixFor(w);
      } else if (w.type == 'R') {
        return -1;
      } else {
        ++replaced;
        if (w.flags & kSidStarBearing) {
          append = false;
        } else {
          point = UserFixFor(w);
        }
      }
    }
    if (!append) continue;
    SidStarApplyWaypoint(w, point);
    const int before = plan.GetCount();
    plan.AddPoint(point);
    // Only a point this call appended counts, so a dropped waypoint does not count its
    // predecessor again.
    if (plan.GetCount() > before && !plan[plan.GetCount() - 1].IsBearing()) ++usable;
  }
  return usable < 2 ? -1 : replaced;
}

bool CSidStarAirport::CollectRunways(std::vector<SidStarRefClip>& out, bool isStar, const CRoute& plan,
                                     const std::string& folder) {
  out.clear();
  Load(plan, folder);
  const CSidStarList& list = isStar ? stars : sids;
  std::vector<const CSidStarProcedure*> listed;
  for (int g = 0; g < static_cast<int>(list.groups.size()); ++g) {
    const auto& procedures = list.groups[static_cast<size_t>(g)].procedures;
    for (int p = 0; p < static_cast<int>(procedures.size()); ++p) {
      const CSidStarProcedure& procedure = procedures[static_cast<size_t>(p)];
      const bool known = std::any_of(listed.begin(), listed.end(), [&](const CSidStarProcedure* other) {
        double limit = kSidStarRunwayRadius;
        return other->MatchesRunway(procedure.lat, procedure.lon, procedure.heading, procedure.runway.c_str(), limit);
      });
      if (known) continue;
      std::string_view suffix;
      const int number = SidStarRunwayNumber(procedure.runway, suffix);
      size_t at = 0;
      for (; at < listed.size(); ++at) {
        std::string_view otherSuffix;
        const int otherNumber = SidStarRunwayNumber(listed[at]->runway, otherSuffix);
        if (otherNumber > number || (otherNumber == number && otherSuffix >= suffix)) break;
      }
      SidStarRefClip entry;
      entry.isStar = isStar ? 1 : 0;
      entry.group = g;
      entry.procedure = p;
      listed.insert(listed.begin() + static_cast<std::ptrdiff_t>(at), &procedure);
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }
  }
  return !out.empty();
}

bool CSidStarStore::WaypointMatches(const CSidStarWaypoint& waypoint, double tolerance, const PlanPoint& point,
                                    const CRoute& route, bool loose) const {
  DatabaseLease lease;
  double limit = tolerance;
  return waypoint.MatchesNavObject(limit, point.ref, route, true, loose);
}

bool CSidStarStore::InsertIntoPlan(CRoute& route, bool isStar, int airport, int group, int procedure, bool report) {
  int result = -1;
  if (airport >= 0 && airport < GetAirportCount()) {
    DatabaseLease lease;
    result = m_airports[static_cast<size_t>(airport)].InsertProcedure(route, isStar, group, procedure, true,
                                                                      GetFolder());
  }
  if (result < 0) {
    MessageBox(kSidStarMissingWaypointsText, ui::kMbIconStop);
    return false;
  }
  if (report && result > 0) {
    MessageBox(std::to_string(result) + " " + kSidStarWaypointsReplacedText, ui::kMbIconInformation);
  }
  return true;
}

bool CSidStarStore::InsertProcedureRunway(CRoute& route, bool isStar, int airport, int group, int procedure) {
  if (airport < 0 || airport >= GetAirportCount()) return false;
  LoadAirport(airport, route);
  if (!IsValidProcedure(airport, group, procedure, isStar)) return false;
  const CSidStarProcedure& p =
      GetList(airport, isStar).groups[static_cast<size_t>(group)].procedures[static_cast<size_t>(procedure)];
  DatabaseLease lease;
  std::vector<FullPoint> candidates;
  double radius = kSidStarRunwayRadius;
  route.FindObjects(candidates, radius, p.lat, p.lon, kKindRunway, true, false);
  for (bool withIdent : {true, false}) {
    double limit = kSidStarRunwayRadius;
    const FullPoint* best = nullptr;
    for (const FullPoint& candidate : candidates) {
      std::string ident;
      SidStarObjectIdent(candidate.point, route, ident);
      if (p.MatchesRunway(candidate.point.latitude, candidate.point.longitude, SidStarRunwayHeading(candidate.point),
                          withIdent ? ident.c_str() : nullptr, limit)) {
        best = &candidate;
      }
    }
    if (best) {
      PlanPoint point;
      point.ref = *best;
      route.AddPoint(point);
      return true;
    }
  }
  return false;
}

int CSidStarStore::CheckPlanAsSidStar(const CRoute& route, int& stringId, int& number) const {
  DatabaseLease lease;
  const int count = route.GetCount();
  int used = 0;
  bool sid = false, star = false;
  const PlanPoint* runway = nullptr;  // a SID's runway end
  const PlanPoint* previous = nullptr;
  for (int i = 0; i < count; ++i) {
    const PlanPoint& p = route[i];
    stringId = 6125;
    number = i + 1;
    if (HasUnusableName(p, route)) {
      stringId = 6127;
      return kPlanIsNoProcedure;
    }
    if (p.IsBearing()) {
      if (i == count - 1) {
        stringId = 6122;
        return kPlanIsNoProcedure;
      }
      continue;
    }
    const uint16_t kind = BaseKind(p.Kind());
    if (used == 1 && runway && !InLine(*runway, p, *runway)) {
      stringId = 6123;
      return kPlanIsNoProcedure;
    }
    if (used == 0 || i == count - 1) {
      const bool first = used == 0;
      if (IsNavaidKind(kind)) {
        if (!HasIdent(p, route)) return kPlanIsNoProcedure;
      } else if (kind == kKindRunway) {
        if (!first && sid) {
          stringId = 6131;
          return kPlanIsNoProcedure;
        }
        if (!HasIdent(p, route)) return kPlanIsNoProcedure;
        if (!HasNamedAirport(p, route)) {
          stringId = 6126;
          return kPlanIsNoProcedure;
        }
        if (first) {
          sid = true;
          runway = &p;
        } else {
          if (!InLine(*previous, p, p)) {
            stringId = 6124;
            return kPlanIsNoProcedure;
          }
          star = true;
        }
      } else if (kind == kKindUserPoint) {
        if (!HasIdent(p, route)) {
          stringId = 6129;
          return kPlanIsNoProcedure;
        }
      } else {
        stringId = 6129;
        return kPlanIsNoProcedure;
      }
    } else if (IsNavaidKind(kind)) {
      if (!HasIdent(p, route)) return kPlanIsNoProcedure;
    } else if (kind != kKindUserPoint) {
      stringId = 6130;
      return kPlanIsNoProcedure;
    }
    previous = &p;
    ++used;
  }
  if (used < 2) {
    stringId = 6128;
    return kPlanIsNoProcedure;
  }
  if (!sid && !star) {
    stringId = 6131;
    return kPlanIsNoProcedure;
  }
  stringId = 0;
  number = 0;
  return sid ? kPlanIsSid : kPlanIsStar;
}
