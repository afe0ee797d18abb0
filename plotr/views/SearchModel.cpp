#include "plotr/views/SearchModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/Codepage.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/ParkingNames.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/SimSnapshot.h"

namespace search {
namespace {

constexpr double kRunwayReach = 5000;  // metres from the airport to a runway's middle
constexpr double kTowerDistance = 600;
constexpr double kTowerHeight = 30;

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = win::Cp1252ToUpper(c);
  return out;
}

// Longitude difference brought into -180..180.
double WrapLongitude(double d) {
  while (d > 180) d -= 360;
  while (d < -180) d += 360;
  return d;
}

IndexRange Clamped(IndexRange r, int size) { return {std::max(r.first, 0), std::min(r.end, size)}; }

class Walk {
 public:
  Walk(std::string_view text, bool identifierMode, const CSceneryDatabase& db, const CRoute& route, bool mapBcIls)
      : m_text(Upper(text)), m_identifiers(identifierMode), m_db(db), m_route(route), m_mapBcIls(mapBcIls) {}

  Result Run() {
    if (m_text.empty()) return {};
    for (int area = 0; area < m_db.m_areas.GetSize() && !Full(); ++area) {
      const IndexRange files = Clamped(m_db.FileRange(area), m_db.m_files.GetSize());
      for (int file = files.first; file < files.end && !Full(); ++file) {
        const IndexRange tiles = Clamped(m_db.TileRange(file), m_db.m_tiles.GetSize());
        for (int tile = tiles.first; tile < tiles.end && !Full(); ++tile) {
          for (const PointArray array : {kArrayAirport, kArrayIls, kArrayVor, kArrayNdb, kArrayIntersection,
                                         kArrayAirspace}) {
            const CNavPointArray& points = m_db.Points(array);
            const IndexRange r = Clamped(m_db.PointRange(tile, array), points.GetSize());
            for (int k = r.first; k < r.end && !Full(); ++k) {
              if (points[k].IsShown()) Visit(area, file, points[k]);
            }
          }
        }
      }
    }
    m_result.tooMany = Full();
    return std::move(m_result);
  }

 private:
  bool Full() const { return static_cast<int>(m_result.rows.size()) > kRowLimit; }
  bool Starts(std::string_view field) const { return Upper(field).starts_with(m_text); }
  bool Contains(std::string_view field) const { return Upper(field).find(m_text) != std::string::npos; }
  // Identifier mode: the identifier starts with the text; name mode: one of `names` holds it.
  bool Matches(std::string_view ident, std::initializer_list<std::string_view> names) const {
    if (m_identifiers) return Starts(ident);
    return std::any_of(names.begin(), names.end(), [this](std::string_view n) { return Contains(n); });
  }
  void Add(std::string text, const FullPoint& point) { m_result.rows.push_back({std::move(text), point}); }
  static FullPoint At(int area, int file, const NavPoint& p) {
    FullPoint out;
    out.areaIndex = area;
    out.fileIndex = file;
    out.point = p;
    return out;
  }
  static FullPoint Loose(const NavPoint& p) { return At(-1, -1, p); }

  void Visit(int area, int file, const NavPoint& p) {
    switch (BaseKind(p.kind)) {
      case kKindAirport:
        if (const AirportRecord* a = m_db.GetAirport(p)) {
          const std::string_view name = m_db.GetString(a->nameText);
          if (Matches(a->Ident(), {name, m_db.GetString(a->cityText)})) {
            Add("Airport\t" + std::string(a->Ident()) + "\t" + std::string(name), At(area, file, p));
            AddRunways(p, name);
            AddParkings(At(area, file, p), *a, name);
          }
        }
        break;
      case kKindIls:
        if (const IlsRecord* ils = m_db.GetIls(p); ils && Starts(ils->Ident())) {
          Add("ILS\t" + std::string(ils->Ident()), Loose(p));
        }
        break;
      case kKindVor:
        if (const VorRecord* v = m_db.GetVor(p)) {
          const std::string_view name = m_db.GetString(v->nameText);
          if (Matches(v->Ident(), {name})) Add("VOR\t" + std::string(v->Ident()) + "\t" + std::string(name), At(area, file, p));
        }
        break;
      case kKindNdb:
        if (const NdbRecord* n = m_db.GetNdb(p)) {
          const std::string_view name = m_db.GetString(n->nameText);
          if (Matches(n->Ident(), {name})) Add("NDB\t" + std::string(n->Ident()) + "\t" + std::string(name), At(area, file, p));
        }
        break;
      case kKindIntersection:
        if (const IntersectionRecord* x = m_db.GetIntersection(p); x && Matches(x->Ident(), {x->Ident()})) {
          Add("ISEC\t" + std::string(x->Ident()) + "\t" + std::string(x->Ident()), At(area, file, p));
        }
        break;
      case kKindAirspaceLow:
      case kKindAirspaceMid:
      case kKindAirspaceHigh:
        if (const AirspaceRecord* s = m_db.GetAirspace(p); s && (s->Type() == 4 || s->Type() == 128)) {
          const std::string_view name = m_db.GetString(s->nameText);
          if (Matches(s->Ident(), {name, m_db.GetString(s->callSignText)})) {
            Add("Airspace\t" + std::string(s->Ident()) + "\t" + std::string(name), At(area, file, p));
          }
        }
        break;
      default:
        break;
    }
  }

  // Runway ends lie in pairs; a pair whose middle is this airport's nearest airport of the same
  // name belongs to it. An odd last end has no partner and is left out.
  void AddRunways(const NavPoint& airport, std::string_view airportName) {
    const CNavPointArray& ends = m_db.m_runways;
    for (int i = 0; i + 1 < ends.GetSize(); i += 2) {
      if (Full()) return;
      const NavPoint& a = ends[i];
      const NavPoint& b = ends[i + 1];
      if (!a.IsShown() || !b.IsShown()) continue;
      const double midLat = (a.latitude + b.latitude) / 2.0;
      const double midLon = WrapLongitude(a.longitude + WrapLongitude(b.longitude - a.longitude) / 2.0);
      if (std::fabs(airport.latitude - midLat) >= 1.0 || std::fabs(WrapLongitude(airport.longitude - midLon)) >= 1.0) {
        continue;
      }
      if (!(GreatCircleDistance(airport.latitude, airport.longitude, midLat, midLon) <= kRunwayReach)) continue;
      FullPoint found;
      double radius = kRunwayReach;
      if (!m_route.FindObject(found, radius, midLat, midLon, kKindAirport, false)) continue;
      const AirportRecord* owner = m_db.GetAirport(found.point);
      if (owner == nullptr || std::string_view(m_db.GetString(owner->nameText)) != airportName) continue;
      AddRunwayEnd(a, airportName);
      AddRunwayEnd(b, airportName);
    }
  }

  void AddRunwayEnd(const NavPoint& end, std::string_view airportName) {
    const RunwayRecord* r = m_db.GetRunway(end);
    if (r == nullptr) return;
    const char* label = "Runway\t";
    if (const IlsRecord* ils = RunwayIls(m_db, *r)) {
      if (m_mapBcIls || ils->glideSlope >= 0) label = "Rwy ILS\t";
    }
    Add(label + std::string(r->Designator()) + "\t" + std::string(airportName), Loose(end));
  }

  void AddParkings(const FullPoint& airport, const AirportRecord& record, std::string_view airportName) {
    const ParkingEntry* parkings = m_db.GetAirportParkings(airport.point);
    if (parkings == nullptr) return;
    for (int i = 0; i < record.ParkingCount(); ++i) {
      ParkingEntry parking;
      std::memcpy(&parking, &parkings[i], sizeof parking);
      const int code = parking.NameKind();
      const std::string number = std::to_string(parking.Number());
      std::string text;
      if (code == kHelipadNameCode) {
        text = "Helipad\t" + number + "\t" + std::string(airportName);
      } else if (code >= 1 && code < kHelipadNameCode) {
        text = std::string(kParkingNames[code]) + "\t" + number + "\t" + std::string(airportName) + " - " +
               ParkingTypeText(parking.Type());
      } else {
        continue;
      }
      FullPoint at = airport;
      at.point.latitude = parking.latitude;
      at.point.longitude = parking.longitude;
      Add(std::move(text), at);
    }
  }

 public:
  static const IlsRecord* RunwayIls(const CSceneryDatabase& db, const RunwayRecord& r) {
    if (!r.HasIls()) return nullptr;
    const int32_t index = r.IlsIndex();
    if (index < 0 || index >= db.m_ils.GetSize()) return nullptr;
    return db.GetIls(db.m_ils[index]);
  }

 private:
  const std::string m_text;
  const bool m_identifiers;
  const CSceneryDatabase& m_db;
  const CRoute& m_route;
  const bool m_mapBcIls;
  Result m_result;
};

double AirportAltitude(const AirportRecord& a) {
  int16_t altitude = 0;
  std::memcpy(&altitude, reinterpret_cast<const uint8_t*>(&a) + offsetof(AirportRecord, altitude), sizeof altitude);
  return altitude;
}

double RunwayAltitude(const RunwayRecord& r) {
  int16_t altitude = 0;
  std::memcpy(&altitude, reinterpret_cast<const uint8_t*>(&r) + offsetof(RunwayRecord, altitude), sizeof altitude);
  return altitude;
}

double RunwayHeading(const RunwayRecord& r) {
  uint16_t heading = 0;
  std::memcpy(&heading, reinterpret_cast<const uint8_t*>(&r) + offsetof(RunwayRecord, heading), sizeof heading);
  return BinaryAngleToDegrees(heading);
}

// The airport's own object is found again only from its airport row, not from a parking row
// (whose position is the parking's).
bool ResolvesToItself(const FullPoint& row, const CRoute& route) {
  FullPoint out;
  return route.Resolve(out, row.point);
}

}  // namespace

Result SearchDatabase(std::string_view text, bool identifierMode, const CSceneryDatabase& db, const CRoute& route,
                      bool mapBcIls) {
  return Walk(text, identifierMode, db, route, mapBcIls).Run();
}

CommandStates SearchCommandStates(const FullPoint* row, bool resolves, const SimSnapshot& sim, int simVer) {
  CommandStates s;
  if (row == nullptr) return s;
  const uint16_t kind = row->point.kind;
  s.centerMap = true;
  s.towerView = true;
  s.flyTo = sim.flyToPossible;
  s.moveAircraft = sim.onGround && simVer < 90 && (kind == kKindAirport || kind == kKindRunway);
  s.holding = (kind & (4 | 8 | 16)) != 0 && (sim.holdingState & 1) == 0;
  s.addToPlan = (kind & kPlanKinds) != 0 && resolves;
  return s;
}

MoveTarget MoveAircraftTarget(const FullPoint& row, bool onGround, const CSceneryDatabase& db, const CRoute& route) {
  MoveTarget t;
  t.latitude = row.point.latitude;
  t.longitude = row.point.longitude;
  if (!onGround) {
    t.act = true;
    return t;
  }
  if (row.point.kind == kKindAirport) {
    const AirportRecord* airport = db.GetAirport(row.point);
    if (airport == nullptr) return t;
    t.altitude = AirportAltitude(*airport);
    if (ResolvesToItself(row, route)) {
      t.act = true;
      return t;
    }
    const ParkingEntry* parkings = db.GetAirportParkings(row.point);
    for (int i = 0; parkings != nullptr && i < airport->ParkingCount(); ++i) {
      ParkingEntry parking;
      std::memcpy(&parking, &parkings[i], sizeof parking);
      if (parking.latitude == row.point.latitude && parking.longitude == row.point.longitude) {
        t.heading = parking.Heading() * 360.0 / 256.0;
        t.act = true;
        return t;
      }
    }
    return t;
  }
  if (row.point.kind == kKindRunway) {
    if (const RunwayRecord* end = db.GetRunway(row.point)) {
      t.altitude = RunwayAltitude(*end);
      t.heading = RunwayHeading(*end);
      t.act = true;
    }
  }
  return t;
}

TowerTarget TowerViewTarget(const FullPoint& row, const SimSnapshot& sim, const CSceneryDatabase& db,
                            const CRoute& route) {
  TowerTarget t;
  t.latitude = row.point.latitude;
  t.longitude = row.point.longitude;
  const auto beside = [&](double bearing) {
    DestinationPoint(t.latitude, t.longitude, row.point.latitude, row.point.longitude, std::fmod(bearing + 315.0, 360.0),
                     kTowerDistance);
  };
  if (row.point.kind == kKindAirport) {
    if (const AirportRecord* airport = db.GetAirport(row.point)) {
      t.altitude = AirportAltitude(*airport) + kTowerHeight;
      if (ResolvesToItself(row, route)) beside(sim.trueHeading);
      return t;
    }
  } else if (row.point.kind == kKindRunway) {
    if (const RunwayRecord* end = db.GetRunway(row.point)) {
      t.altitude = RunwayAltitude(*end) + kTowerHeight;
      beside(RunwayHeading(*end));
      return t;
    }
  }
  t.askAltitude = true;
  // The dialog takes 0..99999 feet only: a seed outside would open it on a value its own OK refuses.
  t.seedFeet = std::isfinite(sim.altitude) ? static_cast<int>(std::clamp(sim.altitude, 0.0, 99999.0)) : 0;
  return t;
}

double TowerFeetToMetres(double feet) { return feet / 3.28083989501312; }

bool AddRowToPlan(CFlightPlanCore& plan, const FullPoint& row) {
  if ((row.point.kind & kPlanKinds) == 0) return false;
  PlanPoint point;
  if (!plan.GetCurrent() || !plan.GetCurrent()->Resolve(point.ref, row.point)) return false;
  CRoute points;
  points.AddPoint(point);
  planedit::AppendPoints(plan, points, false);
  return true;
}

}  // namespace search
