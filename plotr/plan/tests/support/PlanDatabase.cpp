#include "plotr/plan/tests/support/PlanDatabase.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/Units.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace plantest {

namespace {

using namespace navdbtest;

void AddAirportAt(CSceneryDatabase& db, PlanPlace at, const char* ident, const char* name, int16_t metres,
                  const std::vector<FrequencyEntry>& frequencies, const std::vector<ParkingEntry>& parkings) {
  AirportRecord header;
  SetFixedText(header.ident, sizeof header.ident, ident);
  header.nameText = db.AddString(name);
  header.altitude = metres;
  AddPointAt(db, at.lat, at.lon, kKindAirport, Airport(header, frequencies, parkings).data());
}

ParkingEntry Parking(int nameCode, int number, int type) {
  ParkingEntry p;
  p.latitude = static_cast<float>(kHomeAirport.lat);
  p.longitude = static_cast<float>(kHomeAirport.lon);
  p.bits = (static_cast<uint32_t>(nameCode) << 8) | (static_cast<uint32_t>(number) << 14) |
           (static_cast<uint32_t>(type) << 27);
  return p;
}

void Fill(CSceneryDatabase& db, bool withVor) {
  db.ClearDatabase();
  db.AddArea("Scenery\\Plan", nullptr);
  AddFile(db, "scenery", "plan.bgl");

  AddAirportAt(db, kHomeAirport, "LSZH", "Zurich", 432, {},
               {Parking(20, 12, 9), Parking(38, 3, 0), Parking(1, 5, 14), Parking(45, 1, 1)});
  AddAirportAt(db, kFarAirport, "LFSB", "Basel", 269, {}, {});

  const IlsRecord ils = Ils("IZH", 110.5f, 25486, 300);
  AddPointAt(db, kHomeIls.lat, kHomeIls.lon, kKindIls, &ils);

  RunwayRecord r14 = Runway("14", 25486);  // 140 degrees
  r14.length = 10827;
  r14.altitude = 422;
  r14.SetIlsIndex(0);
  AddPointAt(db, kHomeRunway14.lat, kHomeRunway14.lon, kKindRunway, &r14);
  RunwayRecord r32 = Runway("32", 7282);  // 40 degrees
  r32.altitude = 428;
  AddPointAt(db, kHomeRunway32.lat, kHomeRunway32.lon, kKindRunway, &r32);
  RunwayRecord r15 = Runway("15", 27307);  // 150 degrees
  r15.altitude = 270;
  AddPointAt(db, kFarRunway15.lat, kFarRunway15.lon, kKindRunway, &r15);

  const ComRecord atis = Com(kComAtis, 128.525f);
  AddPointAt(db, kHomeAtis.lat, kHomeAtis.lon, kKindCom, &atis);

  if (withVor) {
    const VorRecord vor = Vor("KLO", 114.85f, db.AddString("Kloten"), kVorDme);
    AddPointAt(db, kVor.lat, kVor.lon, kKindVor, &vor);
  }
  const NdbRecord ndb = Ndb("ZH", 367.0f, db.AddString("Zurich East"));
  AddPointAt(db, kNdb.lat, kNdb.lon, kKindNdb, &ndb);
  IntersectionRecord isec;
  SetFixedText(isec.ident, sizeof isec.ident, "ABCDE");
  AddPointAt(db, kIntersection.lat, kIntersection.lon, kKindIntersection, Intersection(isec, {}).data());
  const MarkerRecord marker = Marker(0);
  AddPointAt(db, kMarker.lat, kMarker.lon, kKindMarker, &marker);

  // Intersections leave the file's box alone; let it cover them as the compiler does.
  BglFileRecord& file = db.m_files[0];
  file.latMin = std::min(static_cast<float>(file.latMin), 47.0f);
  file.lonMin = std::min(static_cast<float>(file.lonMin), 7.0f);
  file.latMax = std::max(static_cast<float>(file.latMax), 48.0f);
  file.lonMax = std::max(static_cast<float>(file.lonMax), 9.0f);
}

}  // namespace

void BuildPlanDatabase(CSceneryDatabase& db) { Fill(db, true); }

PlanPoint DbPoint(PlanPlace at, uint16_t kind) {
  DatabaseLease lease;
  CRoute route;
  FullPoint found;
  double radius = 100.0;
  PlanPoint p;
  if (route.FindObject(found, radius, at.lat, at.lon, kind, false)) {
    p.ref = found;
  } else {
    p.ref.point = NavPoint(at.lat, at.lon, kind, 1);
  }
  return p;
}

bool WritePlanDatabase(const std::string& folder, const std::string& title, const std::string& name1,
                       const std::string& name2, bool withVor) {
  auto db = std::make_unique<CSceneryDatabase>(1024);
  Fill(*db, withVor);
  db->m_name1 = name1;
  db->m_name2 = name2;
  return db->SaveDatabaseFiles(folder + "/" + title + ".000", folder + "/" + title + ".001");
}

CRoute TripRoute() {
  CRoute route;
  route.m_profile.SetName("Test aircraft");
  route.m_profile.SetFuelUnit(kFuelKilograms);
  route.m_profile.climbSpeed = 120;
  route.m_profile.climbFuel = 60;
  route.m_profile.climbRate = 1000;
  route.m_profile.cruiseSpeed = 150;
  route.m_profile.cruiseFuel = 40;
  route.m_profile.cruiseAltitude = 10000;
  route.m_profile.descentSpeed = 120;
  route.m_profile.descentFuel = 20;
  route.m_profile.descentRate = 1000;
  route.m_cruise = {150, 8000, 8000};
  route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
  route.AddPoint(DbPoint(kHomeIls, kKindIls));
  PlanPoint vor = DbPoint(kVor, kKindVor);
  vor.altitude1 = MakeManualValue(6000);
  route.AddPoint(vor);
  PlanPoint ndb = DbPoint(kNdb, kKindNdb);
  ndb.flags = kPointBearing;
  route.AddPoint(ndb);
  route.AddPoint(DbPoint(kIntersection, kKindIntersection));
  route.AddPoint(UserPoint(47.45, 7.70, "HOME"));
  route.AddPoint(UserPoint(47.50, 7.65));
  route.AddPoint(DbPoint(kFarRunway15, kKindRunway));
  route.AddPoint(DbPoint(kFarAirport, kKindAirport));
  return route;
}

}  // namespace plantest
