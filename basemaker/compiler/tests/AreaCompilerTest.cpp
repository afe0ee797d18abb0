#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "basemaker/compiler/AirwayFileReader.h"
#include "basemaker/compiler/AreaScanner.h"
#include "basemaker/compiler/NavTextFields.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "platform/win/Sync.h"

namespace {

using navdbtest::AddFile;
using navdbtest::AddPointAt;

// An area database as the readers leave it: one area, one open file record.
// Every pool append moves the pool, so a payload address kept across one is caught.
std::unique_ptr<CSceneryDatabase> AreaDb() {
  auto db = std::make_unique<CSceneryDatabase>(1);
  db->AddArea("C:\\Scenery\\Area\\", nullptr);
  AddFile(*db, "scenery\\", "a.bgl");
  return db;
}

void East(double& lat, double& lon, double metres) {
  double a, b;
  DestinationPoint(a, b, lat, lon, 90, metres);
  lat = a;
  lon = b;
}

int Kept(const CNavPointArray& points) {
  int n = 0;
  for (const NavPoint& p : points) n += p.IsKept() ? 1 : 0;
  return n;
}

TEST(AreaCompilerDuplicates, BeaconsAndFrequenciesTable) {
  struct Row {
    const char* name;
    uint16_t kind;
    double metres;
    float f1, f2;
    const char* id1;
    const char* id2;
    uint16_t type2;  // COM type of the second point
    int expectedKept;
    uint16_t course2 = 0;  // ILS: the second localizer's course turned by this much
  } rows[] = {
      {"NDB same frequency 10 km", kKindNdb, 10000, 352, 352, "AB", "CD", 0, 1},
      {"NDB same frequency 25 km", kKindNdb, 25000, 352, 352, "AB", "CD", 0, 2},
      {"NDB same ident 10 km", kKindNdb, 10000, 352, 410, "AB", "AB", 0, 1},
      {"NDB nothing shared 5 km", kKindNdb, 5000, 352, 410, "AB", "CD", 0, 2},
      {"VOR same frequency 19 km", kKindVor, 19000, 114.85f, 114.85f, "KLO", "ZUE", 0, 1},
      {"VOR frequency off by 0.05", kKindVor, 1000, 114.85f, 114.90f, "KLO", "ZUE", 0, 2},
      {"COM same type and frequency 4 km", kKindCom, 4000, 128.525f, 128.525f, "", "", 1, 1},
      {"COM same frequency 6 km", kKindCom, 6000, 128.525f, 128.525f, "", "", 1, 2},
      {"COM other type", kKindCom, 100, 128.525f, 128.525f, "", "", 2, 2},
      // ILS come in pairs; the second pair's localizer is dropped, which drops its back course.
      {"ILS same frequency and course 10 km", kKindIls, 10000, 110.5f, 110.5f, "", "", 0, 3},
      {"ILS same frequency and course 25 km", kKindIls, 25000, 110.5f, 110.5f, "", "", 0, 4},
      {"ILS courses 10 degrees apart", kKindIls, 1000, 110.5f, 110.5f, "", "", 0, 4, 1820},
      {"ILS other frequency", kKindIls, 1000, 110.5f, 110.3f, "", "", 0, 4},
  };
  for (const Row& row : rows) {
    auto db = AreaDb();
    double lat = 47, lon = 8;
    for (int i = 0; i < 2; ++i) {
      const float f = i == 0 ? row.f1 : row.f2;
      const char* id = i == 0 ? row.id1 : row.id2;
      if (i == 1) East(lat, lon, row.metres);
      if (row.kind == kKindNdb) {
        NdbRecord r = navdbtest::Ndb(id, f);
        ASSERT_TRUE(AddPointAt(*db, lat, lon, row.kind, &r));
      } else if (row.kind == kKindVor) {
        VorRecord r = navdbtest::Vor(id, f);
        ASSERT_TRUE(AddPointAt(*db, lat, lon, row.kind, &r));
      } else if (row.kind == kKindIls) {
        const uint16_t course = static_cast<uint16_t>(0x4000 + (i == 0 ? 0 : row.course2));
        for (int end = 0; end < 2; ++end) {
          IlsRecord r = navdbtest::Ils("IKL", f, static_cast<uint16_t>(course + 0x8000 * end),
                                       static_cast<int16_t>(end == 0 ? 300 : -1));
          ASSERT_TRUE(AddPointAt(*db, lat, lon, row.kind, &r));
        }
      } else {
        ComRecord r = navdbtest::Com(i == 0 ? 1 : row.type2, f);
        ASSERT_TRUE(AddPointAt(*db, lat, lon, row.kind, &r));
      }
    }
    CAreaScanner scanner;
    ASSERT_TRUE(scanner.RemoveDuplicates(*db, nullptr)) << row.name;
    const CNavPointArray& points = row.kind == kKindNdb   ? db->m_ndbs
                                   : row.kind == kKindVor ? db->m_vors
                                   : row.kind == kKindIls ? db->m_ils
                                                          : db->m_coms;
    EXPECT_EQ(row.expectedKept, Kept(points)) << row.name;
    EXPECT_TRUE(points[0].IsKept()) << row.name << ": the first one always stays";
  }
}

// Airport ground objects (types 1 to 3) of an area stay only within 3000 m of one of its runway
// ends.
TEST(AreaCompilerDuplicates, AirportObjectsFarFromEveryRunwayAreDropped) {
  struct Row {
    const char* name;
    double metres;  // object to the nearest runway end
    uint8_t type;
    bool kept;
  } rows[] = {
      {"taxiway line 2900 m from a runway", 2900, 1, true},
      {"fuel 3100 m from a runway", 3100, 2, false},
      {"area 20 km from a runway", 20000, 3, false},
      {"other object far away", 20000, 4, true},
  };
  for (const Row& row : rows) {
    auto db = AreaDb();
    double lat = 47, lon = 8;
    for (int end = 0; end < 2; ++end) {
      RunwayRecord r = navdbtest::Runway(end == 0 ? "09" : "27", static_cast<uint16_t>(end == 0 ? 0x4000 : 0xC000));
      r.length = 100;
      ASSERT_TRUE(AddPointAt(*db, lat, lon, kKindRunway, &r));
      East(lat, lon, 30);
    }
    double objectLat = 47, objectLon = 8;
    East(objectLat, objectLon, 30 + row.metres);
    const int group = db->m_objectGroups.Add(ObjectGroup{}, &db->m_files[0].objectGroupEnd);
    ObjectRecord o;
    o.flags = static_cast<uint8_t>(kObjectKept | kObjectShown | row.type);
    o.latitude = static_cast<float>(objectLat);
    o.longitude = static_cast<float>(objectLon);
    o.scale = 1;
    db->m_objects.Add(o, &db->m_objectGroups[group].objectEnd);
    CAreaScanner scanner;
    ASSERT_TRUE(scanner.RemoveDuplicates(*db, nullptr)) << row.name;
    EXPECT_EQ(row.kept, db->m_objects[0].IsKept()) << row.name;
  }
}

struct AirportSpec {
  const char* ident;
  bool facility;
  const char* name;
};

TEST(AreaCompilerDuplicates, AirportMergeTable) {
  struct Row {
    const char* name;
    AirportSpec a, b;
    double metres;
    bool merged;
    int survivor;  // 0 or 1 when merged
  } rows[] = {
      {"K prefix with facility data", {"KABC", true, ""}, {"ABC", true, ""}, 5000, true, 0},
      {"different idents with facility data", {"KABC", true, ""}, {"XYZ", true, ""}, 5000, false, 0},
      {"without data, same name far", {"AAA", false, "Field"}, {"BBB", false, "FIELD"}, 5000, true, 0},
      {"without data, other name far", {"AAA", false, "Field"}, {"BBB", false, "Other"}, 5000, false, 0},
      {"without data, other name close", {"AAA", false, "Field"}, {"BBB", false, "Other"}, 2000, true, 0},
      {"first without data, second with", {"AAA", false, "X"}, {"BBB", true, "Y"}, 2000, true, 1},
      {"beyond 7 km", {"AAA", false, "Field"}, {"BBB", false, "Field"}, 7100, false, 0},
  };
  for (const Row& row : rows) {
    auto db = AreaDb();
    double lat = 47, lon = 8;
    double lats[2], lons[2];
    const AirportSpec* specs[2] = {&row.a, &row.b};
    for (int i = 0; i < 2; ++i) {
      if (i == 1) East(lat, lon, row.metres);
      lats[i] = lat;
      lons[i] = lon;
      AirportRecord r;
      SetFixedText(r.ident, sizeof r.ident, specs[i]->ident);
      r.size = specs[i]->facility ? 0x80 : 0;
      r.nameText = db->AddString(specs[i]->name);
      ASSERT_TRUE(AddPointAt(*db, lat, lon, kKindAirport, &r));
    }
    CAreaScanner scanner;
    ASSERT_TRUE(scanner.RemoveDuplicates(*db, nullptr)) << row.name;
    if (!row.merged) {
      EXPECT_EQ(2, Kept(db->m_airports)) << row.name;
      continue;
    }
    ASSERT_EQ(1, Kept(db->m_airports)) << row.name;
    const NavPoint& s = db->m_airports[row.survivor];
    EXPECT_TRUE(s.IsKept()) << row.name;
    EXPECT_NEAR((lats[0] + lats[1]) / 2, s.latitude, 1e-5) << row.name;
    EXPECT_NEAR((lons[0] + lons[1]) / 2, s.longitude, 1e-5) << row.name;
  }
}

// Adds the two ends of a runway centred at (lat, lon).
void AddRunway(CSceneryDatabase& db, double lat, double lon, double heading, uint16_t lengthFt) {
  const double half = lengthFt / kFeetPerMetre / 2;
  for (int end = 0; end < 2; ++end) {
    const double course = end == 0 ? heading + 180 : heading;
    double elat, elon;
    DestinationPoint(elat, elon, lat, lon, std::fmod(course, 360), half);
    RunwayRecord r = navdbtest::Runway(end == 0 ? "14" : "32",
                                       static_cast<uint16_t>(std::fmod(heading + end * 180, 360) * 65536 / 360));
    r.length = lengthFt;
    ASSERT_TRUE(AddPointAt(db, elat, elon, kKindRunway, &r));
  }
}

TEST(AreaCompilerDuplicates, RunwaysLyingOnEachOtherKeepTheLonger) {
  struct Row {
    const char* name;
    double offsetM;   // second runway's centre along the heading
    double heading2;
    bool oneDropped;
  } rows[] = {
      {"same place", 0, 137, true},       {"shifted 300 m along", 300, 137, true},
      {"crossing at 90 degrees", 0, 47, false}, {"parallel 300 m aside", -1, 137, false},
  };
  for (const Row& row : rows) {
    auto db = AreaDb();
    AddRunway(*db, 47.47, 8.55, 137, 8000);
    double lat = 47.47, lon = 8.55;
    if (row.offsetM > 0) DestinationPoint(lat, lon, 47.47, 8.55, 137, row.offsetM);
    if (row.offsetM < 0) DestinationPoint(lat, lon, 47.47, 8.55, 47, 300);
    AddRunway(*db, lat, lon, row.heading2, 10000);
    CAreaScanner scanner;
    ASSERT_TRUE(scanner.RemoveDuplicates(*db, nullptr));
    EXPECT_EQ(row.oneDropped ? 2 : 4, Kept(db->m_runways)) << row.name;
    if (row.oneDropped) {
      EXPECT_FALSE(db->m_runways[0].IsKept()) << row.name << ": the shorter one goes";
      EXPECT_TRUE(db->m_runways[2].IsKept()) << row.name;
    }
  }
}

TEST(AreaCompilerDuplicates, AirportWithoutDataMovesOntoItsRunway) {
  auto db = AreaDb();
  AddRunway(*db, 47.0, 8.0, 90, 6000);
  AirportRecord near;
  SetFixedText(near.ident, 6, "NEAR");
  double lat = 47.0, lon = 8.0;
  East(lat, lon, 600);
  ASSERT_TRUE(AddPointAt(*db, lat + 0.004, lon, kKindAirport, &near));
  CAreaScanner scanner;
  ASSERT_TRUE(scanner.RemoveDuplicates(*db, nullptr));
  const NavPoint& a = db->m_airports[0];
  EXPECT_NEAR(47.0, a.latitude, 1e-4);
  EXPECT_NEAR(8.0, a.longitude, 1e-4);
}

// ---- Airways -------------------------------------------------------------------------------------

struct Wpt {
  const char* ident;
  double lat, lon;
};

// Intersections carrying one entry of `airway` each, chained in order, unresolved as the airway
// reader leaves them.
void AddChain(CSceneryDatabase& db, const char* airway, const std::vector<Wpt>& wpts, uint16_t level) {
  for (size_t i = 0; i < wpts.size(); ++i) {
    AirwaySegment e = NewSegmentEntry(airway);
    if (i > 0) {
      FillSegmentHalf(e, 0, CellCode(wpts[i - 1].lat, wpts[i - 1].lon), wpts[i - 1].ident,
                      SegmentHalfBits(false, level, 0));
    }
    if (i + 1 < wpts.size()) {
      FillSegmentHalf(e, 1, CellCode(wpts[i + 1].lat, wpts[i + 1].lon), wpts[i + 1].ident,
                      SegmentHalfBits(false, level, 0));
    }
    IntersectionRecord h;
    h.type = 0x22;
    h.cellCode = CellCode(wpts[i].lat, wpts[i].lon);
    SetFixedText(h.ident, 6, wpts[i].ident);
    navdbtest::PayloadBytes p = navdbtest::Intersection(h, {e});
    ASSERT_TRUE(AddPointAt(db, wpts[i].lat, wpts[i].lon, kKindIntersection, p.data()));
  }
}

int FindIsec(const CSceneryDatabase& db, const char* ident) {
  for (int i = 0; i < db.m_intersections.GetSize(); ++i) {
    if (db.GetIntersection(db.m_intersections[i])->Ident() == ident) return i;
  }
  return -1;
}

TEST(AreaCompilerAirways, ChainsBecomeAirwaysWithLabelsBySegmentLength) {
  auto db = AreaDb();
  // A-B about 200 km, B-C about 100 km.
  double bLat = 47, bLon = 8, cLat = 47, cLon = 8;
  East(bLat, bLon, 200000);
  cLat = bLat;
  cLon = bLon;
  East(cLat, cLon, 100000);
  AddChain(*db, "UN871", {{"AAA", 47, 8}, {"BBB", bLat, bLon}, {"CCC", cLat, cLon}}, kAirwayHigh);
  CAreaScanner scanner;
  int beats = 0;
  scanner.SetHeartbeat([&] { ++beats; });
  ASSERT_TRUE(scanner.ProcessRouteSegments(*db, nullptr));

  ASSERT_EQ(1, db->m_airways.GetSize());
  const NavPoint& airway = db->m_airways[0];
  EXPECT_EQ(1024 + kAirwayHigh, +(airway.kind));
  ASSERT_EQ(3, db->GetAirway(airway)->count);
  const int a = FindIsec(*db, "AAA"), b = FindIsec(*db, "BBB"), c = FindIsec(*db, "CCC");
  std::vector<int> order;
  for (int i = 0; i < 3; ++i) order.push_back(static_cast<int>(db->ReadAirwayItem(airway, i) & 0xFFFFFF));
  EXPECT_EQ((std::vector<int>{a, b, c}), order);

  // Links: B's previous side leads to A, its next side to C.
  const AirwaySegment& eb = db->GetIntersectionSegments(db->m_intersections[b])[0];
  EXPECT_EQ(a, +(eb.half[0].neighbour));
  EXPECT_EQ(c, +(eb.half[1].neighbour));
  EXPECT_EQ(0, +(eb.half[0].slot));

  // 200 km segment (B back to A): two labels 50 km from each end; 100 km (C back to B): one.
  ASSERT_EQ(3, db->m_labelPoints.GetSize());
  int firstLabels = 0;
  std::vector<double> fromA;
  for (const LabelPoint& l : db->m_labelPoints) {
    firstLabels += l.IsFirst() ? 1 : 0;
    fromA.push_back(GreatCircleDistance(47, 8, l.latitude, l.longitude));
  }
  EXPECT_EQ(2, firstLabels);
  std::sort(fromA.begin(), fromA.end());
  const double ab = GreatCircleDistance(47, 8, bLat, bLon);
  EXPECT_NEAR(50000, fromA[0], 50);
  EXPECT_NEAR(ab - 50000, fromA[1], 50);
  EXPECT_NEAR(ab + 50000, fromA[2], 200);
}

TEST(AreaCompilerAirways, SameNamedWaypointsInOtherCellsLinkByIdentWhenNoExactMatch) {
  auto db = AreaDb();
  // B names its predecessor with a cell code that A does not have: the ident pass links them.
  AirwaySegment ea = NewSegmentEntry("A1");
  FillSegmentHalf(ea, 1, CellCode(47.1, 8.1), "BBB", SegmentHalfBits(false, kAirwayLow, 0));
  AirwaySegment eb = NewSegmentEntry("A1");
  FillSegmentHalf(eb, 0, CellCode(47, 8), "AAA", SegmentHalfBits(false, kAirwayLow, 0));
  IntersectionRecord ha;
  ha.cellCode = CellCode(47, 8);
  SetFixedText(ha.ident, 6, "AAA");
  IntersectionRecord hb;
  hb.cellCode = CellCode(47.1, 8.1);
  SetFixedText(hb.ident, 6, "BBB");
  // The successor key that A names carries the wrong cell code.
  ea.name[0] = 'A';
  uint16_t wrong = static_cast<uint16_t>(CellCode(47.1, 8.1) + 1);
  std::memcpy(reinterpret_cast<uint8_t*>(&ea) + 18, &wrong, 2);
  ASSERT_TRUE(AddPointAt(*db, 47, 8, kKindIntersection, navdbtest::Intersection(ha, {ea}).data()));
  ASSERT_TRUE(AddPointAt(*db, 47.1, 8.1, kKindIntersection, navdbtest::Intersection(hb, {eb}).data()));
  CAreaScanner scanner;
  ASSERT_TRUE(scanner.ProcessRouteSegments(*db, nullptr));
  const AirwaySegment& b = db->GetIntersectionSegments(db->m_intersections[1])[0];
  const AirwaySegment& a = db->GetIntersectionSegments(db->m_intersections[0])[0];
  EXPECT_EQ(0, +(b.half[0].neighbour));
  EXPECT_EQ(1, +(a.half[1].neighbour));
  EXPECT_EQ(1, db->m_airways.GetSize());
}

TEST(AreaCompilerAirways, UnresolvableHalvesAreClosed) {
  auto db = AreaDb();
  AddChain(*db, "B1", {{"ONE", 47, 8}}, kAirwayLow);
  AirwaySegment* e = db->GetIntersectionSegments(db->m_intersections[0]);
  FillSegmentHalf(*e, 0, CellCode(50, 9), "GONE", SegmentHalfBits(false, kAirwayLow, 0));
  FillSegmentHalf(*e, 1, CellCode(51, 9), "LOST", SegmentHalfBits(false, kAirwayLow, 0));
  CAreaScanner scanner;
  ASSERT_TRUE(scanner.ProcessRouteSegments(*db, nullptr));
  e = db->GetIntersectionSegments(db->m_intersections[0]);
  for (int half = 0; half < 2; ++half) {
    EXPECT_EQ(-1, +(e->half[half].neighbour));
    EXPECT_EQ(255, static_cast<uint8_t>(e->half[half].slot));
    EXPECT_EQ(0, +(e->half[half].flags));
  }
  EXPECT_EQ(0, db->m_airways.GetSize());
  EXPECT_EQ(0, db->m_labelPoints.GetSize());
}

TEST(AreaCompilerAirways, ALinkLoopEndsTheWalkInsteadOfRunningForever) {
  auto db = AreaDb();
  AddChain(*db, "C1", {{"X", 47, 8}, {"Y", 47.2, 8}, {"Z", 47.4, 8}}, kAirwayLow);
  // Resolved by hand into a loop: Z's chain back leads X -> Y -> X -> ...
  auto entry = [&](int i) { return db->GetIntersectionSegments(db->m_intersections[i]); };
  auto set = [&](int i, int half, int neighbour) {
    AirwaySegment* e = entry(i);
    if (e == nullptr) return;
    std::memset(e->half[half].compiler, 0, sizeof e->half[half].compiler);
    e->half[half].neighbour = neighbour;
    e->half[half].slot = neighbour < 0 ? -1 : 0;
  };
  set(0, 0, 1);
  set(0, 1, 2);
  set(1, 0, 0);
  set(1, 1, 0);
  set(2, 0, 0);
  set(2, 1, -1);
  std::vector<RouteSortItem> items(3);
  for (int i = 0; i < 3; ++i) items[i].index = i;
  CAreaScanner scanner;
  ASSERT_TRUE(scanner.BuildAirways(*db, items.data(), 3, nullptr));
  EXPECT_EQ(0, db->m_airways.GetSize());
  // A forward walk into the loop stops at its bound too.
  scanner.AddAirwayPoint(*db, 0, 0, 1, 47, 8);
  ASSERT_EQ(1, db->m_airways.GetSize());
  EXPECT_LE(+(db->GetAirway(db->m_airways[0])->count), 3 * 255 + 1);
}

// ---- Compile and cache ---------------------------------------------------------------------------

FileEntry Entry(const char* subfolder, const char* name, uint32_t size, uint64_t time) {
  FileEntry e;
  e.subfolder = subfolder;
  e.name = name;
  e.size = size;
  e.lastWrite = time;
  e.fullPath = std::string("/nonexistent/") + name;  // never opened on a cache hit
  return e;
}

// A cache with one area of two files holding one NDB.
std::unique_ptr<CSceneryDatabase> CacheDb() {
  auto cache = std::make_unique<CSceneryDatabase>();
  cache->AddArea("Scenery\\Swiss", "N47 40,E008 20,N47 20,E008 45,objects");
  int f = AddFile(*cache, "scenery\\", "A.bgl");
  cache->m_files[f].fileSize = 100;
  cache->m_files[f].fileTime = 5;
  f = AddFile(*cache, "Addon\\scenery\\", "b.BGL");
  cache->m_files[f].fileSize = 200;
  cache->m_files[f].fileTime = 6;
  NdbRecord n = navdbtest::Ndb("ZH", 347);
  AddPointAt(*cache, 47.5, 8.5, kKindNdb, &n);
  return cache;
}

TEST(AreaCompilerCache, UnchangedAreaIsCopiedAndAnyChangeCompilesIt) {
  struct Row {
    const char* name;
    const char* path;
    uint64_t timeB;
    bool dropB;
    bool extra;
    bool hit;
  } rows[] = {
      {"unchanged, other letter case", "scenery\\SWISS", 6, false, false, true},
      {"one file time changed", "Scenery\\Swiss", 7, false, false, false},
      {"one file gone", "Scenery\\Swiss", 6, true, false, false},
      {"one file more", "Scenery\\Swiss", 6, false, true, false},
      {"other path", "Scenery\\Alps", 6, false, false, false},
  };
  auto cache = CacheDb();
  for (const Row& row : rows) {
    CAreaScanner scanner;
    CFileEntryList& list = scanner.GetFileList();
    list.m_pathValue = row.path;
    list.m_exclude = "N47 40,E008 20,N47 20,E008 45,objects";
    if (!row.dropB) list.Add(Entry("ADDON\\Scenery\\", "B.bgl", 200, row.timeB));
    list.Add(Entry("scenery\\", "a.bgl", 100, 5));
    if (row.extra) list.Add(Entry("scenery\\", "c.bgl", 1, 1));
    EXPECT_EQ(row.hit ? 0 : -1, scanner.FindCachedArea(*cache)) << row.name;

    CSceneryDatabase main;
    ASSERT_TRUE(scanner.CompileArea(main, *cache, nullptr)) << row.name;
    EXPECT_EQ(row.hit, scanner.CompiledFromCache()) << row.name;
    ASSERT_EQ(1, main.m_areas.GetSize()) << row.name;
    // The files do not exist: only the cache can have brought the NDB.
    EXPECT_EQ(row.hit ? 1 : 0, main.m_ndbs.GetSize()) << row.name;
    // A compiled area parses its exclude text; a copied one brings the cache's records as they
    // were (this cache area holds no box).
    EXPECT_EQ(row.hit ? 0 : 1, main.m_excludeBoxes.GetSize()) << row.name;
  }
}

TEST(AreaCompilerCompile, ExcludeTextTable) {
  struct Row {
    const char* exclude;
    int boxes;
    uint16_t flags;
  } rows[] = {
      {"N47 40,E008 20,N47 20,E008 45,vors", 1, 0x8002},
      {"N47 40,E008 20,N47 20,E008 45,VORS,ndbs,unknown", 1, 0x8006},
      {"N47 40,E008 20,N47 20,E008 45", 0, 0},
      {"N47 40,E008 20,N47 20,E008 45,unknown", 0, 0},
      {"N47 40,X008 20,N47 20,E008 45,all", 0, 0},
      {"N47 40,E008 20,N47 20", 0, 0},
  };
  CSceneryDatabase cache;
  for (const Row& row : rows) {
    CAreaScanner scanner;
    scanner.GetFileList().m_pathValue = "Scenery\\X";
    scanner.GetFileList().m_exclude = row.exclude;
    CSceneryDatabase main;
    ASSERT_TRUE(scanner.CompileArea(main, cache, nullptr)) << row.exclude;
    ASSERT_EQ(row.boxes, main.m_excludeBoxes.GetSize()) << row.exclude;
    EXPECT_STREQ(row.exclude, main.GetString(main.m_areas[0].excludeText));
    if (row.boxes == 1) {
      const ExcludeBox& b = main.m_excludeBoxes[0];
      // No runway in the area: the compiler marks the box.
      EXPECT_EQ(+(row.flags), +(b.flags)) << row.exclude;
      EXPECT_NEAR(47 + 40 / 60.0, b.latMax, 1e-5);
      EXPECT_NEAR(47 + 20 / 60.0, b.latMin, 1e-5);
      EXPECT_NEAR(8 + 20 / 60.0, b.lonMin, 1e-5);
      EXPECT_NEAR(8.75, b.lonMax, 1e-5);
    }
  }
}

TEST(AreaCompilerCompile, AbortLeavesTheMainDatabaseUnchanged) {
  auto cache = CacheDb();
  win::AutoResetEvent abort;
  // A file that cannot be read still counts as read; the poll after it ends the compile.
  {
    CAreaScanner scanner;
    scanner.GetFileList().m_pathValue = "Other";
    scanner.GetFileList().Add(Entry("", "x.bgl", 1, 1));
    CSceneryDatabase main;
    abort.Set();
    EXPECT_FALSE(scanner.CompileArea(main, *cache, &abort));
    EXPECT_EQ(0, main.m_areas.GetSize());
  }
}

}  // namespace
