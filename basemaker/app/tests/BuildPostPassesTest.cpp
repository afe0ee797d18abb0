#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "basemaker/app/BuildWorker.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "platform/win/Sync.h"

namespace {

using navdbtest::AddFile;
using navdbtest::AddPointAt;

struct Pos {
  double lat, lon;
};

Pos East(Pos p, double metres) {
  Pos out;
  DestinationPoint(out.lat, out.lon, p.lat, p.lon, 90, metres);
  return out;
}

Pos Along(Pos p, double course, double metres) {
  Pos out;
  DestinationPoint(out.lat, out.lon, p.lat, p.lon, std::fmod(course + 360, 360), metres);
  return out;
}

// A database of `areas` areas with one file each; points go to the last area added with Area().
struct Db {
  // Every pool append moves the pool, so a payload address kept across one is caught.
  CSceneryDatabase db{1};
  int Area(const char* exclude = nullptr) {
    const int a = db.AddArea("area", exclude);
    AddFile(db, "", "f.bgl");
    return a;
  }
  void Box(uint16_t flags, double latMin, double latMax, double lonMin, double lonMax) {
    ExcludeBox b;
    b.flags = flags;
    b.latMin = static_cast<float>(latMin);
    b.latMax = static_cast<float>(latMax);
    b.lonMin = static_cast<float>(lonMin);
    b.lonMax = static_cast<float>(lonMax);
    db.m_excludeBoxes.Add(b);
    db.m_areas[db.m_areas.GetSize() - 1].excludeBoxEnd = db.m_excludeBoxes.GetSize();
  }
  void Ndb(Pos p, const char* ident, float khz) {
    NdbRecord r = navdbtest::Ndb(ident, khz);
    ASSERT_TRUE(AddPointAt(db, p.lat, p.lon, kKindNdb, &r));
  }
  void Vor(Pos p, const char* ident, float mhz, uint8_t flags = 1) {
    VorRecord r = navdbtest::Vor(ident, mhz, -1, flags);
    ASSERT_TRUE(AddPointAt(db, p.lat, p.lon, kKindVor, &r));
  }
  void Airport(Pos p, const char* ident, bool facility, const char* name = "") {
    AirportRecord r;
    SetFixedText(r.ident, 6, ident);
    r.size = facility ? 0x80 : 0x10;
    r.nameText = db.AddString(name);
    ASSERT_TRUE(AddPointAt(db, p.lat, p.lon, kKindAirport, &r));
  }
  // Both ends of a runway centred at p with the primary end's heading; returns the first index.
  int Runway(Pos p, double heading, uint16_t lengthFt, const char* d1 = "14", const char* d2 = "32") {
    const int first = db.m_runways.GetSize();
    const double half = lengthFt / kFeetPerMetre / 2;
    for (int end = 0; end < 2; ++end) {
      const Pos e = Along(p, end == 0 ? heading + 180 : heading, half);
      RunwayRecord r = navdbtest::Runway(end == 0 ? d1 : d2,
                                         static_cast<uint16_t>(std::fmod(heading + 180 * end, 360) * 65536 / 360));
      r.length = lengthFt;
      AddPointAt(db, e.lat, e.lon, kKindRunway, &r);
    }
    return first;
  }
  // An ILS pair: the localizer and its back-course point at the same place.
  int Ils(Pos p, double course, float mhz) {
    const int first = db.m_ils.GetSize();
    for (int i = 0; i < 2; ++i) {
      IlsRecord r = navdbtest::Ils("IKL", mhz,
                                   static_cast<uint16_t>(std::fmod(course + 180 * i, 360) * 65536 / 360),
                                   static_cast<int16_t>(i == 0 ? 300 : -1));
      AddPointAt(db, p.lat, p.lon, kKindIls, &r);
    }
    return first;
  }
  void Intersection(Pos p, const char* ident, bool onAirway, uint8_t type = 0x22) {
    IntersectionRecord h;
    h.type = type;
    SetFixedText(h.ident, 6, ident);
    std::vector<AirwaySegment> segments;
    if (onAirway) segments.push_back(navdbtest::Segment("A1", -1, -1, -1, -1));
    const uint16_t kind = onAirway ? kKindIntersection + 1 : kKindIntersection;
    ASSERT_TRUE(AddPointAt(db, p.lat, p.lon, kind, navdbtest::Intersection(h, segments).data()));
  }
  void Object(Pos p, uint8_t type) {
    const int file = db.m_files.GetSize() - 1;
    ObjectGroup g;
    const int gi = db.m_objectGroups.Add(g, &db.m_files[file].objectGroupEnd);
    ObjectRecord o;
    o.flags = static_cast<uint8_t>(kObjectKept | kObjectShown | type);
    o.latitude = static_cast<float>(p.lat);
    o.longitude = static_cast<float>(p.lon);
    o.scale = 1;
    db.m_objects.Add(o, &db.m_objectGroups[gi].objectEnd);
  }
};

constexpr Pos kZurich{47.46, 8.55};

TEST(BuildPostPasses, ExcludeBoxesHideLaterAreasByVersion) {
  struct Row {
    const char* name;
    int simVer;
    bool boxInLastArea;
    bool beaconsHidden;
    bool objectHidden;
  } rows[] = {
      {"simulator 80", 80, false, true, true},
      {"simulator 90", 90, false, false, true},
      {"box of the last area reaches nothing", 80, true, false, false},
  };
  for (const Row& row : rows) {
    Db d;
    d.Area();
    if (!row.boxInLastArea) d.Box(7, 47, 48, 8, 9);
    d.Ndb(kZurich, "ZH", 347);
    d.Area();
    if (row.boxInLastArea) d.Box(7, 47, 48, 8, 9);
    d.Ndb(kZurich, "ZH", 347);
    d.Vor(kZurich, "KLO", 114.85f);
    d.Ndb({46.5, 8.5}, "OUT", 300);  // outside the box
    d.Object(kZurich, 1);
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::CheckExcludeAreas(d.db, abort, row.simVer)) << row.name;
    const int ndbLater = d.db.GetNdb(d.db.m_ndbs[1])->Ident() == "ZH" ? 1 : 2;
    EXPECT_TRUE(d.db.m_ndbs[0].IsShown()) << row.name;
    EXPECT_EQ(!row.beaconsHidden, d.db.m_ndbs[ndbLater].IsShown()) << row.name;
    EXPECT_TRUE(d.db.m_ndbs[3 - ndbLater].IsShown()) << row.name << ": outside";
    EXPECT_EQ(!row.beaconsHidden, d.db.m_vors[0].IsShown()) << row.name;
    EXPECT_EQ(!row.objectHidden, d.db.m_objects[0].IsShown()) << row.name;
  }
}

TEST(BuildPostPasses, CrossCheckHidesWhatALaterAreaRepeats) {
  struct Row {
    const char* name;
    double metres;
    const char* id2;
    float f2;
    bool hidden;
  } rows[] = {
      {"same ident 19999 m", 19999, "ZH", 300, true},
      {"same ident 20001 m", 20001, "ZH", 300, false},
      {"same frequency 10 km", 10000, "XX", 347, true},
      {"nothing shared 1 km", 1000, "XX", 300, false},
  };
  for (const Row& row : rows) {
    Db d;
    d.Area();
    d.Ndb(kZurich, "ZH", 347);
    d.Area();
    d.Ndb(East(kZurich, row.metres), row.id2, row.f2);
    d.Area();  // the airspace area
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::CrossCheckWaypoints(d.db, abort));
    EXPECT_TRUE(d.db.m_ndbs[0].IsShown()) << row.name;
    EXPECT_EQ(!row.hidden, d.db.m_ndbs[1].IsShown()) << row.name;
  }
}

TEST(BuildPostPasses, CrossCheckOfAirportsByFacilityData) {
  struct Row {
    const char* name;
    bool earlierFacility, laterFacility;
    double metres;
    const char* laterName;
    bool earlierShown, laterShown;
  } rows[] = {
      {"only the later has data, 3000 m", false, true, 3000, "", false, true},
      {"only the later has data, 4000 m", false, true, 4000, "", true, true},
      {"only the earlier has data, 6000 m", true, false, 6000, "", true, false},
      {"neither, 3000 m", false, false, 3000, "", true, false},
      {"both, same name", true, true, 6000, "ZURICH", true, false},
      {"both, other name", true, true, 1000, "Dubendorf", true, true},
  };
  for (const Row& row : rows) {
    Db d;
    d.Area();
    d.Airport(kZurich, "LSZH", row.earlierFacility, "Zurich");
    d.Area();
    d.Airport(East(kZurich, row.metres), "LSZH", row.laterFacility, row.laterName);
    d.Area();
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::CrossCheckWaypoints(d.db, abort));
    EXPECT_EQ(row.earlierShown, d.db.m_airports[0].IsShown()) << row.name;
    EXPECT_EQ(row.laterShown, d.db.m_airports[1].IsShown()) << row.name;
  }
}

TEST(BuildPostPasses, CrossCheckOfRunwaysNeedsMatchingDesignators) {
  struct Row {
    const char* name;
    const char* d1;
    const char* d2;
    bool hidden;
  } rows[] = {{"same ends", "14", "32", true}, {"ends swapped", "32", "14", true}, {"other runway", "16", "34", false}};
  for (const Row& row : rows) {
    Db d;
    d.Area();
    d.Runway(kZurich, 137, 10800, "14", "32");
    d.Area();
    const bool swapped = std::string(row.d1) == "32";
    d.Runway(East(kZurich, 200), swapped ? 317 : 137, 10000, row.d1, row.d2);
    d.Area();
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::CrossCheckWaypoints(d.db, abort));
    EXPECT_TRUE(d.db.m_runways[0].IsShown() && d.db.m_runways[1].IsShown()) << row.name;
    EXPECT_EQ(!row.hidden, d.db.m_runways[2].IsShown()) << row.name;
    EXPECT_EQ(!row.hidden, d.db.m_runways[3].IsShown()) << row.name;
  }
}

TEST(BuildPostPasses, IlsBindsToTheRunwayEndOnItsCourseLine) {
  struct Row {
    const char* name;
    double lateralM;
    bool bound;
  } rows[] = {{"on the line", 0, true}, {"100 m off", 100, true}, {"160 m off", 160, false}};
  for (const Row& row : rows) {
    Db d;
    d.Area();
    const int rw = d.Runway(kZurich, 137, 10000);
    // The localizer stands 300 m beyond the far (32) end, on runway 14's course.
    Pos loc = Along(kZurich, 137, 10000 / kFeetPerMetre / 2 + 300);
    loc = Along(loc, 137 + 90, row.lateralM);
    const int ils = d.Ils(loc, 137, 108.3f);
    d.Area();
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::BindIlsToRunway(d.db, abort));
    const RunwayRecord* r14 = d.db.GetRunway(d.db.m_runways[rw]);
    const RunwayRecord* r32 = d.db.GetRunway(d.db.m_runways[rw + 1]);
    EXPECT_EQ(row.bound ? ils : -1, r14->IlsIndex()) << row.name;
    EXPECT_EQ(!row.bound, d.db.m_ils[ils].IsShown()) << row.name;
    if (row.bound) {
      // The back course serves the opposite end and moves onto it.
      EXPECT_EQ(ils + 1, r32->IlsIndex()) << row.name;
      EXPECT_FLOAT_EQ(+(d.db.m_runways[rw + 1].latitude), +(d.db.m_ils[ils + 1].latitude)) << row.name;
    } else {
      EXPECT_LT(r32->IlsIndex(), 0) << row.name;
    }
  }
}

TEST(BuildPostPasses, IlsOfTheLastAreaIsNeverBound) {
  Db d;
  d.Area();
  const int rw = d.Runway(kZurich, 137, 10000);
  d.Area();
  d.Ils(Along(kZurich, 137, 10000 / kFeetPerMetre / 2 + 300), 137, 108.3f);
  win::AutoResetEvent abort;
  ASSERT_TRUE(CBuildWorker::BindIlsToRunway(d.db, abort));
  EXPECT_LT(d.db.GetRunway(d.db.m_runways[rw])->IlsIndex(), 0);
  EXPECT_TRUE(d.db.m_ils[0].IsShown());
}

TEST(BuildPostPasses, NavaidsMergeWithIntersectionsOfTheirName) {
  Db d;
  d.Area();
  d.Ndb(kZurich, "AB", 347);
  d.Vor({47.0, 8.0}, "DME", 114.2f, 1);  // VOR/DME
  d.Vor({47.0, 8.01}, "DME", 114.2f, 9); // DME alone, same ident
  d.Area();
  d.Intersection(East(kZurich, 20000), "ABNB", true);
  d.Intersection({47.0, 8.05}, "DME", true);
  d.Intersection({47.0, 8.06}, "DME", false);  // a plain copy near the airway one: hidden
  d.Intersection({48.9, 8.0}, "FAR", false);
  win::AutoResetEvent abort;
  ASSERT_TRUE(CBuildWorker::BindNavaidsToIntersections(d.db, abort));

  const NavPoint& ndb = d.db.m_ndbs[0];
  const NavPoint& abnb = d.db.m_intersections[0];
  EXPECT_EQ(0, +(d.db.GetNdb(ndb)->intersection));
  EXPECT_FALSE(abnb.IsShown());
  EXPECT_FLOAT_EQ(+(ndb.latitude), +(abnb.latitude));
  EXPECT_FLOAT_EQ(+(ndb.longitude), +(abnb.longitude));
  EXPECT_EQ(0, +(d.db.GetIntersection(abnb)->navaid));
  EXPECT_EQ(0x24, +(d.db.GetIntersection(abnb)->type));
  EXPECT_EQ(kKindNdb + 1, +(ndb.kind)) << "the airway level bits reach the NDB";

  EXPECT_EQ(1, +(d.db.GetVor(d.db.m_vors[0])->intersection));
  EXPECT_EQ(0, +(d.db.GetIntersection(d.db.m_intersections[1])->navaid));
  EXPECT_FALSE(d.db.m_intersections[2].IsShown()) << "the plain duplicate is hidden";
  EXPECT_EQ(-1, +(d.db.GetVor(d.db.m_vors[1])->intersection)) << "the DME finds the waypoint taken";
  EXPECT_TRUE(d.db.m_intersections[3].IsShown());
}

TEST(BuildPostPasses, AirportDataFromTheOfficialList) {
  Db d;
  d.Area();
  d.Airport(kZurich, "XXXX", false, "old");
  d.Airport(East(kZurich, 3000), "YYYY", false, "other");
  d.Airport({46.2381, 6.109}, "LSGG", true, "Geneva");  // has its own data: never offered
  d.Area();
  const auto folder = std::filesystem::path(::testing::TempDir()) / "cw_seq_icao";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "ICAO.txt") << "LSZH\t47.4600\t8.5500\tZurich Kloten\r\n"
                                     << "LSGG\t46.2381\t6.1090\tGeneve\r\n";
  win::AutoResetEvent abort;
  ASSERT_TRUE(CBuildWorker::SetAirportData(d.db, abort, (folder / "ICAO.txt").string()));
  std::filesystem::remove_all(folder);
  const AirportRecord* a = d.db.GetAirport(d.db.m_airports[0]);
  EXPECT_EQ("LSZH", a->Ident());
  EXPECT_STREQ("Zurich Kloten", d.db.GetString(a->nameText));
  EXPECT_EQ("YYYY", d.db.GetAirport(d.db.m_airports[1])->Ident());
  const AirportRecord* g = d.db.GetAirport(d.db.m_airports[2]);
  EXPECT_STREQ("Geneva", d.db.GetString(g->nameText));
}

TEST(BuildPostPasses, EveryPassStopsOnAbort) {
  Db d;
  d.Area();
  d.Box(7, 47, 48, 8, 9);
  d.Ndb(kZurich, "ZH", 347);
  d.Area();
  d.Ndb(kZurich, "ZH", 347);
  d.Area();
  using Pass = bool (*)(CSceneryDatabase&, win::AutoResetEvent&);
  const Pass passes[] = {
      [](CSceneryDatabase& db, win::AutoResetEvent& e) { return CBuildWorker::CheckExcludeAreas(db, e, 80); },
      CBuildWorker::CrossCheckWaypoints, CBuildWorker::BindIlsToRunway,
      [](CSceneryDatabase& db, win::AutoResetEvent& e) { return CBuildWorker::SetAirportData(db, e, "/nonexistent/ICAO.txt"); },
      CBuildWorker::BindNavaidsToIntersections};
  for (Pass pass : passes) {
    win::AutoResetEvent abort;
    abort.Set();
    EXPECT_FALSE(pass(d.db, abort));
  }
}

}  // namespace
