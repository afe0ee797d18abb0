#include "plotr/plan/PlanRecords.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/ParkingNames.h"
#include "plotr/plan/Units.h"

namespace {

// Bounded copy into a fixed text field: at most width - 1 bytes, always terminated.
void CopyText(char* field, size_t width, std::string_view text) {
  SetFixedText(field, width, text);
}

template <size_t N>
void Format(char (&field)[N], const char* format, auto... args) {
  std::snprintf(field, N, format, args...);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Where a runway end stands for its airport: half the runway along its heading.
void RunwayMiddle(double& lat, double& lon, const NavPoint& point, const RunwayRecord& runway) {
  DestinationPoint(lat, lon, point.latitude, point.longitude, BinaryAngleToDegrees(runway.heading),
                   runway.length / kFeetPerMetre / 2.0);
}

bool NearestAirport(const CRoute& route, FullPoint& out, double lat, double lon) {
  double radius = kAirportInfoRadius;
  return route.FindObject(out, radius, lat, lon, kKindAirport, false);
}

// Every shown point of one array within the radius, nearest first (equal distances in array
// order). The route's searches keep only the nearest runway end and COM, so these walk the array.
std::vector<NavPoint> NearbyPoints(const CSceneryDatabase& db, PointArray array, double lat, double lon,
                                   double radius) {
  struct Found {
    double distance;
    NavPoint point;
  };
  std::vector<Found> found;
  const CNavPointArray& points = db.Points(array);
  for (int i = 0; i < points.GetSize(); ++i) {
    const NavPoint& p = points[i];
    if (!p.IsShown()) continue;
    const double distance = GreatCircleDistance(lat, lon, p.latitude, p.longitude);
    if (distance <= radius) found.push_back({distance, p});
  }
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.distance < b.distance; });
  std::vector<NavPoint> out;
  out.reserve(found.size());
  for (const Found& f : found) out.push_back(f.point);
  return out;
}

// An object belongs to `airport` when that is the airport nearest to it.
bool BelongsTo(const CRoute& route, const NavPoint& object, const NavPoint& airport) {
  FullPoint nearest;
  return NearestAirport(route, nearest, object.latitude, object.longitude) && nearest.point == airport;
}

// The ILS frequency of a runway end; a back course counts only with the setting "MapBcIls".
double RunwayIlsFrequency(const CSceneryDatabase& db, const RunwayRecord& runway) {
  const IlsRecord* ils = RunwayIls(db, runway);
  if (!ils) return 0;
  if (ils->glideSlope < 0 && !g_Settings.GetMapBcIls(false)) return 0;
  return ils->frequency;
}

void FillAirportBlockFromWaypoint(const CSceneryDatabase& db, const CRoute& route, FlpxAirportInfo& block,
                                  const PlanPoint& point) {
  const NavPoint& key = point.ref.point;
  const uint16_t kind = key.Kind();
  if (kind == kKindAirport) {
    FillAirportInfo(route, block, key.latitude, key.longitude);
  } else if (kind == kKindRunway) {
    if (const RunwayRecord* runway = db.GetRunway(key)) {
      double lat = 0;
      double lon = 0;
      RunwayMiddle(lat, lon, key, *runway);
      FillAirportInfo(route, block, lat, lon);
    }
  }
}


FlpxStartPosition StartPosition(const std::string& display, const std::string& key) {
  FlpxStartPosition entry{};
  entry.size = kFlpxStartPositionSize;
  CopyText(entry.display, sizeof entry.display, display);
  CopyText(entry.key, sizeof entry.key, Upper(key));
  return entry;
}

template <size_t N>
std::string Formatted(const char* format, auto... args) {
  char buffer[N];
  std::snprintf(buffer, N, format, args...);
  return buffer;
}

bool BuildStartPositions(const CSceneryDatabase& db, const CRoute& route, std::vector<FlpxStartPosition>& list) {
  FlpxPlanInfo info{};
  info.size = kFlpxPlanInfoSize;
  if (!GetPlanInfo(route, &info) || !info.departure.present || !info.arrival.present) return false;
  FullPoint airport;
  if (!NearestAirport(route, airport, info.departure.latitude, info.departure.longitude)) return false;

  for (int i = 0; i < info.departure.runwayCount; ++i) {
    const std::string ident(FixedText(info.departure.runways[i].ident, sizeof info.departure.runways[i].ident));
    list.push_back(StartPosition(Formatted<64>("%s\tRunway", ident.c_str()), ident));
  }
  const AirportRecord* record = db.GetAirport(airport.point);
  const ParkingEntry* parkings = db.GetAirportParkings(airport.point);
  if (!record || !parkings) return true;
  for (int i = 0; i < record->ParkingCount(); ++i) {
    ParkingEntry parking;
    std::memcpy(&parking, &parkings[i], sizeof parking);
    const int code = parking.NameKind();
    const unsigned number = static_cast<unsigned>(parking.Number());
    if (code >= 1 && code < kHelipadNameCode) {
      list.push_back(
          StartPosition(Formatted<64>("%s %u\t%s", kParkingNames[code], number, ParkingTypeText(parking.Type())),
                        Formatted<64>("%s %u", kParkingNames[code], number)));
    } else if (code == kHelipadNameCode) {
      list.push_back(StartPosition(Formatted<64>("%u\tHelipad", number), Formatted<64>("%u", number)));
    }
  }
  return true;
}

double ManualOrZero(uint32_t value) { return IsManualValueGiven(value) ? ManualValue(value) : 0.0; }

// Type letter, identifier, name and frequency of a row.
void FillIdentity(const CSceneryDatabase& db, FlpxWaypoint& out, const PlanRow& row, const PlanPoint* point,
                  const CRoute& route) {
  struct Pseudo {
    uint32_t kind;
    char letter;
    const char* name;
  };
  static const Pseudo kPseudo[] = {
      {kPseudoBeginClimb, 'Q', "Beginning of Climb"},   {kPseudoEndClimb, 'R', "End of Climb"},
      {kPseudoBeginDescent, 'S', "Beginning of Descent"}, {kPseudoEndDescent, 'T', "End of Descent"},
      {kPseudoClimbMeetsDescent, 'U', "EOC, BOD"},       {kPseudoDescentMeetsClimb, 'V', "EOD, BOC"},
  };
  for (const Pseudo& p : kPseudo) {
    if (row.kind == p.kind) {
      out.type = p.letter;
      CopyText(out.name, sizeof out.name, p.name);
      return;
    }
  }
  if (!point || row.kind > 0xFFFF) return;
  const NavPoint& key = point->ref.point;
  const uint16_t kind = BaseKind(static_cast<uint16_t>(row.kind));
  if (kind == kKindUserPoint) {
    FixName name{};
    route.LookupUserFixName(point->FixId(), name);
    const std::string_view text = FixNameText(name);
    out.type = text.substr(0, 3) == "Fix" ? 'P' : 'O';
    CopyText(out.ident, sizeof out.ident, text);
    CopyText(out.name, sizeof out.name, "FIX");
  } else if (kind == kKindAirport) {
    out.type = 'A';
    if (const AirportRecord* r = db.GetAirport(key)) {
      CopyText(out.ident, sizeof out.ident, r->Ident());
      CopyText(out.name, sizeof out.name, db.GetString(r->nameText));
    }
  } else if (kind == kKindRunway) {
    out.type = 'C';
    if (const RunwayRecord* r = db.GetRunway(key)) {
      const std::string designator(r->Designator());
      CopyText(out.ident, sizeof out.ident, designator);
      if (row.airportName[0] != '\0') {
        CopyText(out.name, sizeof out.name, FixedText(row.airportName, sizeof row.airportName));
      } else {
        Format(out.name, "Runway %s", designator.c_str());
      }
      out.frequency = RunwayIlsFrequency(db, *r);
    }
  } else if (kind == kKindIls) {
    if (const IlsRecord* r = db.GetIls(key)) {
      out.type = r->glideSlope <= 0 ? 'G' : 'H';
      CopyText(out.ident, sizeof out.ident, r->Ident());
      out.frequency = r->frequency;
    } else {
      out.type = 'G';
    }
    CopyText(out.name, sizeof out.name, "ILS");
  } else if (kind == kKindIntersection) {
    out.type = 'O';
    if (const IntersectionRecord* r = db.GetIntersection(key)) CopyText(out.ident, sizeof out.ident, r->Ident());
    CopyText(out.name, sizeof out.name, "FIX");
  } else if (kind == kKindNdb) {
    out.type = 'N';
    if (const NdbRecord* r = db.GetNdb(key)) {
      CopyText(out.ident, sizeof out.ident, r->Ident());
      CopyText(out.name, sizeof out.name, db.GetString(r->nameText));
      out.frequency = r->frequency;
    }
  } else if (kind == kKindVor) {
    out.type = 'M';
    if (const VorRecord* r = db.GetVor(key)) {
      if ((r->flags & 0x0B) == 3) {
        out.type = 'I';
      } else if ((r->flags & 0x0B) == 1) {
        out.type = 'K';
      } else if ((r->flags & 9) == 9) {
        out.type = 'L';
      }
      CopyText(out.ident, sizeof out.ident, r->Ident());
      CopyText(out.name, sizeof out.name, db.GetString(r->nameText));
      out.frequency = r->frequency;
    }
  }
}

}  // namespace

void FillAirportInfo(const CRoute& route, FlpxAirportInfo& block, double latitude, double longitude) {
  DatabaseLease lease;
  const CSceneryDatabase& db = lease.Database();
  FullPoint airport;
  if (!NearestAirport(route, airport, latitude, longitude)) return;
  const NavPoint& at = airport.point;
  const AirportRecord* record = db.GetAirport(at);

  // ATIS: the nearest ATIS of the airport's neighbourhood, and only when it is this airport's.
  double atis = 0;
  for (const NavPoint& candidate : NearbyPoints(db, kArrayCom, at.latitude, at.longitude, kAirportInfoRadius)) {
    const ComRecord* com = db.GetCom(candidate);
    if (!com || com->Type() != kComAtis) continue;
    if (BelongsTo(route, candidate, at)) atis = com->frequency;
    break;
  }

  std::vector<NavPoint> runways;
  for (const NavPoint& candidate : NearbyPoints(db, kArrayRunway, at.latitude, at.longitude, kAirportInfoRadius)) {
    if (BelongsTo(route, candidate, at)) runways.push_back(candidate);
  }

  if (record) {
    CopyText(block.name, sizeof block.name, db.GetString(record->nameText));
    CopyText(block.ident, sizeof block.ident, record->Ident());
    block.elevation = record->altitude * kFeetPerMetre;
  }
  block.atisFrequency = atis;
  block.latitude = at.latitude;
  block.longitude = at.longitude;
  block.variation = route.MagneticVariation(at.latitude, at.longitude);
  const int count = static_cast<int>(std::min<size_t>(runways.size(), kFlpxMaxRunways));
  block.runwayCount = count;
  for (int i = 0; i < count; ++i) {
    FlpxRunwayInfo& out = block.runways[i];
    const NavPoint& end = runways[static_cast<size_t>(i)];
    const RunwayRecord* r = db.GetRunway(end);
    out.latitude = end.latitude;
    out.longitude = end.longitude;
    if (!r) continue;
    CopyText(out.ident, sizeof out.ident, r->Designator());
    const double variation = route.MagneticVariation(end.latitude, end.longitude);
    out.heading = std::fmod(std::round(BinaryAngleToDegrees(r->heading)) + variation + 360.0, 360.0);
    out.elevation = std::trunc(r->altitude * kFeetPerMetre);
    out.length = r->length;
    out.width = r->width;
    out.ilsFrequency = RunwayIlsFrequency(db, *r);
  }
  block.present = 1;
}

int GetPlanInfo(const CRoute& route, FlpxPlanInfo* info) {
  if (!info || info->size != kFlpxPlanInfoSize) return 0;
  std::memset(info, 0, sizeof *info);
  info->size = kFlpxPlanInfoSize;
  CopyText(info->aircraftName, sizeof info->aircraftName, route.m_profile.Name());
  info->fuelUnit = static_cast<uint8_t>(route.m_profile.FuelUnit());

  DatabaseLease lease;
  const PlanPoint* first = nullptr;
  const PlanPoint* last = nullptr;
  for (const PlanPoint& p : route.m_points) {
    if (p.IsBearing()) continue;
    if (!first) first = &p;
    last = &p;
  }
  if (first) FillAirportBlockFromWaypoint(lease.Database(), route, info->departure, *first);
  if (last) FillAirportBlockFromWaypoint(lease.Database(), route, info->arrival, *last);
  return 1;
}

int GetStartPosition(const CRoute& route, std::vector<FlpxStartPosition>& list, int32_t& cursor, int move,
                     FlpxStartPosition* record) {
  if (!record || record->size != kFlpxStartPositionSize) return 0;
  std::memset(record, 0, sizeof *record);
  record->size = kFlpxStartPositionSize;

  DatabaseLease lease;
  if (move == kFlpxMoveFirst || move == kFlpxMoveLast || list.empty()) {
    list.clear();
    if (!BuildStartPositions(lease.Database(), route, list)) {
      list.clear();
      return 0;
    }
  }
  FlpxMoveCursor(cursor, move, static_cast<int>(list.size()));
  if (cursor < 0 || cursor >= static_cast<int32_t>(list.size())) {
    cursor = 0;
    list.clear();
    return 0;
  }
  *record = list[static_cast<size_t>(cursor)];
  return 1;
}

int GetWaypoint(const std::vector<PlanRow>& rows, const CRoute& route, int32_t& cursor, int move,
                FlpxWaypoint* record) {
  if (!record || record->size != kFlpxWaypointSize) return 0;
  std::memset(record, 0, sizeof *record);
  record->size = kFlpxWaypointSize;

  const int count = static_cast<int>(rows.size());
  const int step = FlpxMoveCursor(cursor, move, count);
  while (cursor >= 0 && cursor < count && rows[static_cast<size_t>(cursor)].rowKind == kRowBearing) {
    cursor += step;
  }
  if (cursor < 0 || cursor >= count) {
    cursor = 0;
    return 0;
  }

  DatabaseLease lease;
  const PlanRow& row = rows[static_cast<size_t>(cursor)];
  const PlanPoint* point = nullptr;
  if (!row.IsPseudo() && row.pointIndex >= 0 && row.pointIndex < route.GetCount()) point = &route[row.pointIndex];

  FlpxWaypoint& out = *record;
  const double trueAirspeed = IasToTas(row.indicatedAirspeed, row.altitude);
  out.latitude = row.latitude;
  out.longitude = row.longitude;
  out.heading = row.course;
  out.speed = g_Settings.GetUseIndicatedAirSpeed(false) ? row.indicatedAirspeed : trueAirspeed;
  out.trueAirspeed = trueAirspeed;
  out.indicatedAirspeed = row.indicatedAirspeed;
  out.mach = 0;
  out.verticalSpeed = row.verticalSpeed;
  out.altitude = row.altitude;
  out.legDistance = row.legDistance;
  out.legTime = row.legTime;
  out.legFuel = ConvertFuel(g_Settings.GetFuelMeasure(false), route.m_profile.FuelUnit(), row.legFuel);
  if (point) {
    out.altitude1 = ManualOrZero(point->altitude1);
    out.altitude2 = ManualOrZero(point->altitude2);
    out.manualSpeed = ManualOrZero(point->speed);
  }
  FillIdentity(lease.Database(), out, row, point, route);
  return 1;
}

int CFlightPlanCore::GetPlanInfo(FlpxPlanInfo* info) const {
  const CRoute* route = GetCurrent();
  return route ? ::GetPlanInfo(*route, info) : 0;
}

int CFlightPlanCore::GetWaypoint(int move, FlpxWaypoint* waypoint) {
  const CRoute* route = GetCurrent();
  return route ? ::GetWaypoint(m_rows, *route, m_waypointCursor, move, waypoint) : 0;
}

int CFlightPlanCore::GetStartPosition(int move, FlpxStartPosition* position) {
  const CRoute* route = GetCurrent();
  return route ? ::GetStartPosition(*route, m_startPositions, m_startPositionCursor, move, position) : 0;
}
