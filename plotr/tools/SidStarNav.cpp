#include "plotr/tools/SidStarNav.h"

#include "navdb/Geodesy.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "platform/win/Codepage.h"

#include <cmath>
#include <cstring>

namespace {

bool IsAutoFixName(std::string_view name) { return name.substr(0, 3) == "Fix"; }

std::string UserFixName(const PlanPoint& point, const CRoute& plan) {
  FixName name{};
  if (plan.LookupUserFixName(point.FixId(), name)) return std::string(FixNameText(name));
  return std::string(point.UserName());
}

}  // namespace

char SidStarLetterOfKind(uint16_t kind) {
  switch (BaseKind(kind)) {
    case kKindIntersection: return 'I';
    case kKindNdb: return 'N';
    case kKindVor: return 'V';
    case kKindIls: return 'L';
    case kKindRunway: return 'R';
    case kKindUserPoint: return 'F';
    default: return 0;
  }
}

bool SidStarObjectIdent(const NavPoint& object, const CRoute& plan, std::string& ident) {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  switch (BaseKind(object.kind)) {
    case kKindIntersection:
      if (const IntersectionRecord* r = db.GetIntersection(object)) return ident = r->Ident(), true;
      return false;
    case kKindNdb:
      if (const NdbRecord* r = db.GetNdb(object)) return ident = r->Ident(), true;
      return false;
    case kKindVor:
      if (const VorRecord* r = db.GetVor(object)) return ident = r->Ident(), true;
      return false;
    case kKindIls:
      if (const IlsRecord* r = db.GetIls(object)) return ident = r->Ident(), true;
      return false;
    case kKindRunway:
      if (const RunwayRecord* r = db.GetRunway(object)) return ident = r->Designator(), true;
      return false;
    case kKindUserPoint: {
      FixName name{};
      if (!plan.LookupUserFixName(object.word & kPayloadMask, name) || FixNameText(name).empty()) return false;
      ident = IsAutoFixName(FixNameText(name)) ? "" : std::string(FixNameText(name));
      return true;
    }
    default:
      return false;
  }
}

int SidStarRunwayHeading(const NavPoint& runway) {
  const RunwayRecord* r = DatabaseLease::HeldDatabase().GetRunway(runway);
  if (!r) return 0;
  return static_cast<int>(std::floor(BinaryAngleToDegrees(r->heading) + 0.5)) % 360;
}

int SidStarRunwayNumber(std::string_view runway, std::string_view& rest) {
  int number = 0;
  size_t i = 0;
  for (; i < runway.size() && runway[i] >= '0' && runway[i] <= '9' && number < 1000; ++i) {
    number = number * 10 + (runway[i] - '0');
  }
  rest = runway.substr(i);
  return number;
}

double SidStarHeadingDifference(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

std::string SidStarNavaidName(char type, const std::string& ident, double lat, double lon, const CRoute& plan) {
  if (type != 'N' && type != 'V') return "";
  std::vector<FullPoint> found;
  double radius = kSidStarNavaidRadius;
  plan.FindObjects(found, radius, lat, lon, type == 'N' ? kKindNdb : kKindVor, true, false);
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  for (const FullPoint& candidate : found) {
    std::string candidateIdent;
    if (!SidStarObjectIdent(candidate.point, plan, candidateIdent) || !win::EqualsNoCase(candidateIdent, ident)) {
      continue;
    }
    const int32_t text = type == 'N' ? db.GetNdb(candidate.point)->nameText : db.GetVor(candidate.point)->nameText;
    std::string name = std::string(db.GetString(text)).substr(0, kSidStarFixNameSize);
    return name == ident ? "" : name;
  }
  return "";
}

bool SidStarWaypointOfPoint(const PlanPoint& point, bool endPoint, const CRoute& plan, CSidStarWaypoint& out) {
  CSidStarWaypoint w;
  const uint16_t kind = BaseKind(point.Kind());
  std::string ident;
  if (kind == kKindUserPoint) {
    const std::string name = UserFixName(point, plan);
    if (name.empty() || IsAutoFixName(name)) {
      w.type = 'F';
      ident = "Fix";
    } else if (endPoint) {
      w.type = 'I';
      for (char c : name) ident += win::Cp1252ToUpper(c);
    } else {
      w.type = 'F';
      ident = name;
    }
  } else {
    w.type = SidStarLetterOfKind(kind);
    if (w.type == 0) return false;
    SidStarObjectIdent(point.ref.point, plan, ident);
    if (kind == kKindRunway) w.heading = static_cast<uint16_t>(SidStarRunwayHeading(point.ref.point));
  }
  std::memcpy(w.ident, ident.data(), std::min(ident.size(), sizeof w.ident - 1));
  w.lat = point.ref.point.latitude;
  w.lon = point.ref.point.longitude;
  if (point.flags & kPointBearing) {
    w.flags = kSidStarBearing;
  } else {
    if (point.flags & kPointFlyOver) w.flags |= kSidStarFlyOver;
    w.altitude1 = point.altitude1;
    w.altitude2 = point.altitude2;
    if (IsManualValueGiven(point.speed)) {
      w.flags |= (static_cast<uint32_t>(ManualValue(point.speed)) & kSidStarSpeedMask) | kSidStarSpeedGiven;
    }
    if (point.flags & kPointAltitudeOption) w.flags |= kSidStarAltitudeOption;
    if (point.flags & kPointSpeedOption) w.flags |= kSidStarSpeedOption;
  }
  out = w;
  return true;
}

void SidStarApplyWaypoint(const CSidStarWaypoint& w, PlanPoint& point) {
  if (w.type != 'R') point.flags |= kPointAutoRoute;
  if (w.flags & kSidStarBearing) {
    point.flags |= kPointBearing;
    return;
  }
  if (w.flags & kSidStarFlyOver) point.flags |= kPointFlyOver;
  point.altitude1 = w.altitude1;
  point.altitude2 = w.altitude2;
  if (w.flags & kSidStarSpeedGiven) point.speed = MakeManualValue(static_cast<int32_t>(w.flags << 5) >> 5);
  if (w.flags & kSidStarAltitudeOption) point.flags |= kPointAltitudeOption;
  if (w.flags & kSidStarSpeedOption) point.flags |= kPointSpeedOption;
}
