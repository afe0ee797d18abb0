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
  int Com(Pos p, uint16_t type, float mhz) {
    const int first = db.m_coms.GetSize();
    ComRecord r = navdbtest::Com(type, mhz);
    AddPointAt(db, p.lat, p.lon, kKindCom, &r);
    return first;
  }
  // `kind` 0: the kind an airway waypoint or a plain one gets.
  void Intersection(Pos p, const char* ident, bool onAirway, uint8_t type = 0x22, uint16_t kind = 0) {
    IntersectionRecord h;
    h.type = type;
    SetFixedText(h.ident, 6, ident);
    std::vector<AirwaySegment> segments;
    if (onAirway) segments.push_back(navdbtest::Segment("A1", -1, -1, -1, -1));
    if (kind == 0) kind = onAirway ? kKindIntersection + 1 : kKindIntersection;
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

// What each flag of an exclude box hides in a later area, by simulator version.
TEST(BuildPostPasses, ExcludeBoxFlagsTable) {
  struct Row {
    const char* name;
    uint16_t flags;
    int simVer;
    bool ilsFirstHidden, atisHidden, runwayHidden, otherComHidden;
  } rows[] = {
      {"vors below 90: the first ILS point inside", 2, 80, true, false, false, false},
      {"vors at 90: nothing", 2, 90, false, false, false, false},
      {"objects: ATIS-type COM and runways", 1, 90, false, true, true, false},
      {"objects in an area without runways: neither", 0x8001, 90, false, false, false, false},
      {"flag 8 below 70: other COM", 8, 61, false, false, false, true},
      {"flag 8 at 70: nothing", 8, 70, false, false, false, false},
  };
  for (const Row& row : rows) {
    Db d;
    d.Area();
    d.Box(row.flags, 47, 48, 8, 9);
    d.Area();
    const int inside = d.Ils(kZurich, 137, 108.3f);
    // A pair whose first point lies outside the box is never hidden by it.
    const int outside = d.Ils({46.9, 8.5}, 137, 109.3f);
    d.db.m_ils[outside + 1].latitude = 47.1f;
    const int atis = d.Com(kZurich, 0x4000, 128.525f);
    const int other = d.Com(kZurich, 1, 118.1f);
    const int ownData = d.Com(kZurich, 0x8001, 119.7f);  // bit 15: not of the kinds flag 8 takes
    const int runway = d.Runway(kZurich, 137, 10000);
    d.Area();
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::CheckExcludeAreas(d.db, abort, row.simVer)) << row.name;
    EXPECT_EQ(!row.ilsFirstHidden, d.db.m_ils[inside].IsShown()) << row.name;
    EXPECT_TRUE(d.db.m_ils[inside + 1].IsShown()) << row.name << ": the second point stays";
    EXPECT_TRUE(d.db.m_ils[outside].IsShown()) << row.name;
    EXPECT_EQ(!row.atisHidden, d.db.m_coms[atis].IsShown()) << row.name;
    EXPECT_EQ(!row.otherComHidden, d.db.m_coms[other].IsShown()) << row.name;
    EXPECT_TRUE(d.db.m_coms[ownData].IsShown()) << row.name;
    EXPECT_EQ(!row.runwayHidden, d.db.m_runways[runway].IsShown()) << row.name;
    EXPECT_EQ(!row.runwayHidden, d.db.m_runways[runway + 1].IsShown()) << row.name;
  }
}

// COM frequencies a later area repeats: the same type and frequency within 5 km.
TEST(BuildPostPasses, CrossCheckOfComFrequencies) {
  struct Row {
    const char* name;
    double metres;
    uint16_t type2;
    float f2;
    bool hidden;
  } rows[] = {
      {"same type and frequency 4 km", 4000, 1, 128.525f, true},
      {"same type and frequency 6 km", 6000, 1, 128.525f, false},
      {"other type", 100, 2, 128.525f, false},
      {"other frequency", 100, 1, 128.55f, false},
  };
  for (const Row& row : rows) {
    Db d;
    d.Area();
    d.Com(kZurich, 1, 128.525f);
    d.Area();
    d.Com(East(kZurich, row.metres), row.type2, row.f2);
    d.Area();
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::CrossCheckWaypoints(d.db, abort));
    EXPECT_TRUE(d.db.m_coms[0].IsShown()) << row.name;
    EXPECT_EQ(!row.hidden, d.db.m_coms[1].IsShown()) << row.name;
  }
}

// Airport ground objects stay only near a shown runway end of their own area.
TEST(BuildPostPasses, AirportPassHidesGroundObjectsFarFromRunways) {
  struct Row {
    const char* name;
    double metres;     // runway end to object
    bool runwayOwnArea;
    bool runwayShown;
    uint8_t type;
    bool objectShown;
  } rows[] = {
      {"runway 2900 m away", 2900, true, true, 1, true},
      {"runway 3100 m away", 3100, true, true, 2, false},
      {"runway of another area", 100, false, true, 3, false},
      {"hidden runway", 100, true, false, 1, false},
      {"not an airport object", 10000, true, true, 4, true},
  };
  for (const Row& row : rows) {
    Db d;
    d.Area();
    d.Object(kZurich, row.type);
    if (!row.runwayOwnArea) d.Area();
    // A short runway whose first end lies `metres` east of the object.
    const int rw = d.Runway(East(East(kZurich, row.metres), 15), 90, 100);
    d.db.m_runways[rw].SetShown(row.runwayShown);
    d.db.m_runways[rw + 1].SetShown(row.runwayShown);
    d.Area();
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::SetAirportData(d.db, abort, "/nonexistent/ICAO.txt")) << row.name;
    EXPECT_EQ(row.objectShown, d.db.m_objects[0].IsShown()) << row.name;
  }
}

// An entry goes to the nearest airport offered; one offered later that lies nearer takes it over.
TEST(BuildPostPasses, AirportListEntryPassesToANearerAirportOfferedLater) {
  struct Row {
    const char* name;
    double firstM, secondM;  // distances of the two airports from the entry, in offer order
    int winner;
  } rows[] = {{"later and nearer", 3000, 1000, 1}, {"later and farther", 1000, 3000, 0}};
  const auto folder = std::filesystem::path(::testing::TempDir()) / "cw_icao_handover";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "ICAO.txt") << "LSZH\t47.4600\t8.5500\tZurich Kloten\r\n";
  for (const Row& row : rows) {
    Db d;
    d.Area();
    d.Airport(East(kZurich, row.firstM), "AAAA", false, "first");
    d.Airport(Along(kZurich, 270, row.secondM), "BBBB", false, "second");
    d.Area();
    win::AutoResetEvent abort;
    ASSERT_TRUE(CBuildWorker::SetAirportData(d.db, abort, (folder / "ICAO.txt").string())) << row.name;
    EXPECT_EQ(row.winner == 0 ? "LSZH" : "AAAA", d.db.GetAirport(d.db.m_airports[0])->Ident()) << row.name;
    EXPECT_EQ(row.winner == 1 ? "LSZH" : "BBBB", d.db.GetAirport(d.db.m_airports[1])->Ident()) << row.name;
  }
  std::filesystem::remove_all(folder);
}

// Navaids left unbound after the airway waypoints take a plain waypoint of their name: a VOR
// without its kind bits, an NDB with them only when found under ident + "NB".
TEST(BuildPostPasses, NavaidsTakePlainIntersectionsLast) {
  Db d;
  d.Area();
  d.Vor(kZurich, "VVV", 114.2f);
  d.Ndb({47.0, 8.0}, "QQ", 347);
  d.Ndb({47.2, 8.2}, "XY", 350);
  d.Area();
  d.Intersection(East(kZurich, 5000), "VVV", false, 0x22, kKindIntersection + 2);
  d.Intersection({47.0, 8.03}, "QQ", false, 0x22, kKindIntersection + 2);
  d.Intersection({47.2, 8.23}, "XYNB", false, 0x22, kKindIntersection + 2);
  win::AutoResetEvent abort;
  ASSERT_TRUE(CBuildWorker::BindNavaidsToIntersections(d.db, abort));
  EXPECT_EQ(0, +(d.db.GetVor(d.db.m_vors[0])->intersection));
  EXPECT_EQ(kKindVor, +(d.db.m_vors[0].kind)) << "step 8 copies no kind bits";
  EXPECT_FALSE(d.db.m_intersections[0].IsShown());
  EXPECT_EQ(0x23, +(d.db.GetIntersection(d.db.m_intersections[0])->type));
  EXPECT_EQ(1, +(d.db.GetNdb(d.db.m_ndbs[0])->intersection));
  EXPECT_EQ(kKindNdb, +(d.db.m_ndbs[0].kind));
  EXPECT_EQ(2, +(d.db.GetNdb(d.db.m_ndbs[1])->intersection));
  EXPECT_EQ(kKindNdb + 2, +(d.db.m_ndbs[1].kind)) << "the NB search copies them";
  EXPECT_FLOAT_EQ(+(d.db.m_ndbs[1].longitude), +(d.db.m_intersections[2].longitude));
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
