#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>

#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/plan/PointInfoText.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

using namespace navdbtest;

// The aircraft sits at (47, 8), airborne at 120 kt.
SimSnapshot Aircraft(bool onGround = false) {
  SimSnapshot s{};
  s.latitude = 47;
  s.longitude = 8;
  s.trueAirspeed = 120;
  s.onGround = onGround;
  return s;
}

std::string LatLon(double lat, double lon) {
  return "Lat/Lon:\t" + FormatLatLon(lat, true, false, true) + "\t" + FormatLatLon(lon, false, false, true) + "\r\n";
}

class PointInfoText : public ::testing::Test {
 protected:
  PointInfoText() : m_folder("pointinfo") {}
  void SetUp() override {
    DatabaseLease lease;
    CSceneryDatabase& db = lease.Database();
    db.ClearDatabase();
    db.AddArea("Scenery\\World", nullptr);
    AddFile(db, "scenery\\", "nav.bgl");

    AirportRecord field;
    SetFixedText(field.ident, sizeof field.ident, "LSZH");
    field.nameText = db.AddString("Zurich");
    field.cityText = db.AddString("Kloten");
    field.altitude = 432;
    ParkingEntry gate;
    gate.latitude = 47.46f;
    gate.longitude = 8.551f;
    gate.bits = (10u << 8) | (12u << 14) | (9u << 27);  // "Gate" 12, "Gate medium"
    std::vector<FrequencyEntry> frequencies;
    for (float f : {118.1f, 118.2f, 118.3f, 118.4f}) frequencies.push_back({32, f});
    frequencies.push_back({1, 128.55f});
    AddPointAt(db, 47.46, 8.55, kKindAirport, Airport(field, frequencies, {gate}).data());
    AddPointAt(db, 47.46f, 8.551f, kKindAirport, Airport(field, frequencies, {gate}).data());

    IlsRecord bc = Ils("IBC", 109.9f, 16384, -1);
    bc.flags = 0;
    bc.range = 0;
    AddPointAt(db, 47.45, 8.60, kKindIls, &bc);
    RunwayRecord r28 = Runway("28", 49152);
    r28.altitude = 420;
    r28.length = 8000;
    r28.width = 150;
    r28.surface = 2;
    r28.SetIlsIndex(0);
    AddPointAt(db, 47.455, 8.58, kKindRunway, &r28);

    ComRecord atis = Com(kComAtis, 128.55f);
    atis.range = 0;
    AddPointAt(db, 47.461, 8.549, kKindCom, &atis);

    NdbRecord ndb = Ndb("ZH", 367.0f, db.AddString("Zurich East"));
    ndb.range = 0;
    ndb.altitude = 0;
    AddPointAt(db, 47.35, 8.0, kKindNdb, &ndb);
    VorRecord vor = Vor("KLO", 114.85f, db.AddString("Kloten"), kVorDme | kVorTacan);
    vor.range = 0;
    vor.declination = 0;
    AddPointAt(db, 47.30, 8.20, kKindVor, &vor);

    IntersectionRecord isec;
    SetFixedText(isec.ident, sizeof isec.ident, "ABCDE");
    std::vector<AirwaySegment> segments;
    for (const char* name : {"A1", "A2", "A3", "A4"}) {
      AirwaySegment s = Segment(name, 0, 0, -1, 0);
      s.half[0].flags = 2;  // low
      segments.push_back(s);
    }
    AirwaySegment high = Segment("UN850", 0, 0, -1, 0);
    high.half[0].flags = 1 | 4;  // flyable, high
    segments.push_back(high);
    AirwaySegment unlinked = Segment("B9", -1, 0, -1, 0);
    unlinked.half[0].flags = 2;
    segments.push_back(unlinked);
    isec.segmentCount = static_cast<uint8_t>(segments.size());
    AddPointAt(db, 47.40, 7.80, kKindIntersection, Intersection(isec, segments).data());

    IlsRecord gs = Ils("IGS", 110.3f, 16384, 6859);  // a 3-degree glide slope
    gs.flags = 1;
    gs.range = 0;
    gs.altitude = 400;
    AddPointAt(db, 47.2, 8.3, kKindIls, &gs);
    const MarkerRecord outer = Marker(0);
    AddPointAt(db, 47.25, 8.35, kKindMarker, &outer);

    AirspaceRecord tma;
    tma.classWord = static_cast<uint16_t>(1024 | (1u << 14));
    tma.nameText = db.AddString("Zurich TMA");
    SetFixedText(tma.ident, sizeof tma.ident, "LSZH");
    tma.frequencyCount = 2;
    AddPointAt(db, 47.5, 8.5, kKindAirspaceLow, Airspace(tma, {{0, 119.7f}, {0, 0.4f}}).data());
  }
  FullPoint Object(double lat, double lon, uint16_t kind) {
    DatabaseLease lease;
    CRoute route;
    if (kind == kKindAirspaceLow) {
      FullPoint found;
      found.areaIndex = 0;
      found.fileIndex = 0;
      found.point = lease.Database().m_airspaces[0];
      return found;
    }
    FullPoint found;
    double radius = 10;
    EXPECT_TRUE(route.FindObject(found, radius, lat, lon, kind, false)) << kind;
    return found;
  }
  std::string TextOf(const FullPoint& object, const SimSnapshot& sim = Aircraft()) {
    DatabaseLease lease;
    std::string text = "left over";
    m_last = m_route.AirportInfoText(text, object, sim);
    return text;
  }

  plantest::ScopedPlanFolder m_folder;
  CRoute m_route;
  bool m_last = false;
};

TEST_F(PointInfoText, NdbTextLineByLine) {
  const std::string text = TextOf(Object(47.35, 8.0, kKindNdb));
  const double nm = GreatCircleDistance(47, 8, 47.35, 8.0) / 1852;
  char fly[128];
  std::snprintf(fly, sizeof fly, "Fly to Dist/Head:\t%0.1f nm\t0 deg\r\n", nm);
  const double t = nm / 120 * 60;
  char time[64];
  std::snprintf(time, sizeof time, "Fly to Time:\t%02d %02d' %02d\"\r\n", static_cast<int>(t / 60), static_cast<int>(t) % 60,
                static_cast<int>(t * 60) % 60);
  EXPECT_EQ("NDB\tZH\r\nFull name:\tZurich East\r\nFrequency:\t367.0 KHz\r\nMag. Variation:\t0.0 deg\r\n" +
                LatLon(47.35, 8.0) + "File: Scenery\\World\\scenery\\nav.bgl\r\n" + fly + time,
            text);
  EXPECT_EQ(std::string::npos, TextOf(Object(47.35, 8.0, kKindNdb), Aircraft(true)).find("Fly to Time"))
      << "no time on the ground";
}

TEST_F(PointInfoText, OneTextPerKind) {
  struct Case {
    const char* name;
    double lat, lon;
    uint16_t kind;
    std::vector<const char*> lines;
    std::vector<const char*> absent;
  };
  const Case cases[] = {
      {"airport at its reference point", 47.46, 8.55, kKindAirport,
       {"Airport\tLSZH\r\nFull name:\tZurich\r\nCity:\tKloten\r\n",
        "ATIS Frequency:\t128.55 MHz\r\n",
        "Tower Frequency:\t118.10 MHz\t118.20 MHz\t118.30 MHz\r\nTower Frequency:\t118.40 MHz\r\n",
        "Altitude:\t1417 ft\r\n"},
       {"Position:"}},
      {"airport at a parking", 47.46f, 8.551f, kKindAirport, {"Position:\tGate 12\tGate medium\r\n"}, {}},
      {"ATIS without range", 47.461, 8.549, kKindCom,
       {"ATIS\r\nFrequency:\t128.55 MHz\r\n", "Airport:\tZurich\r\n"}, {"Preferred runways"}},
      {"VORTAC", 47.30, 8.20, kKindVor, {"VORTAC\tKLO\r\nFull name:\tKloten\r\nFrequency:\t114.85 MHz\r\n"}, {"NAV Course"}},
      {"intersection with its airways", 47.40, 7.80, kKindIntersection,
       {"ISEC\tABCDE\r\n", "L-Airways:\tA1\tA2\tA3\r\n\tA4\r\nH-Airways:\tUN850\r\n"}, {"B9"}},
      {"back-course runway, shown by default", 47.455, 8.58, kKindRunway,
       {"Rwy ILS/BC\t28\tIBC\r\n", "ILS Frequency:\t109.90 MHz\r\n", "Approach course:\t270 deg\r\n",
        "Altitude/Surface:\t1377 ft\tAsphalt\r\nLength/Width:\t8000 ft\t150 ft\r\n"},
       {"Glideslope"}},
      {"ILS point with glide slope and DME", 47.2, 8.3, kKindIls,
       {"ILS/GS/DME\tIGS\r\n", "Frequency:\t110.30 MHz\r\nApproach course:\t90 deg\r\n",
        "Glideslope altitude:\t2900 ft at 5 nm distance\r\nAltitude:\t1312 ft\r\n"},
       {}},
      {"outer marker", 47.25, 8.35, kKindMarker, {"Outer marker\r\n", "Altitude:\t"}, {}},
      {"airspace", 47.5, 8.5, kKindAirspaceLow,
       {"Airspace\tLSZH\r\nFull name:\tZurich TMA\r\nFrequency:\t119.70 MHz\t 400 kHz\r\nLevel:\tLow\r\n"
        "Type:\tTerminal Control Area (TMA)\r\n"},
       {"Fly to", "Lat/Lon"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = TextOf(Object(c.lat, c.lon, c.kind));
    EXPECT_TRUE(m_last);
    for (const char* line : c.lines) EXPECT_NE(std::string::npos, text.find(line)) << line << "\n--- in ---\n" << text;
    for (const char* line : c.absent) EXPECT_EQ(std::string::npos, text.find(line)) << line;
  }

  g_Settings.SetMapBcIls(false);
  const std::string hidden = TextOf(Object(47.455, 8.58, kKindRunway));
  EXPECT_EQ(0u, hidden.find("Runway\t28\r\n"));
  EXPECT_EQ(std::string::npos, hidden.find("ILS Frequency")) << "a back course is not shown";
}

TEST_F(PointInfoText, UserPointsAndObjectsWithoutText) {
  FullPoint fix;
  {
    DatabaseLease lease;
    m_route.AddPoint(plantest::UserPoint(47.1, 8.1, "HOME"));
    fix = m_route[0].ref;
  }
  const std::string text = TextOf(fix);
  EXPECT_EQ(0u, text.find("Fix\tHOME\r\nMag. Variation:\t0.0 deg\r\n" + LatLon(47.1, 8.1)));
  EXPECT_EQ(std::string::npos, text.find("File:")) << "a user point has no file";
  EXPECT_NE(std::string::npos, text.find("Fly to Dist/Head:"));

  FullPoint unknown = fix;
  unknown.point.word ^= 0x1234;  // a fix whose name the route does not know
  EXPECT_EQ("", TextOf(unknown));
  EXPECT_FALSE(m_last);
  FullPoint airway = fix;
  airway.point.kind = kKindAirway;
  EXPECT_EQ("", TextOf(airway));

  SimSnapshot lost = Aircraft();
  lost.latitude = std::nan("");
  EXPECT_EQ(std::string::npos, TextOf(Object(47.35, 8.0, kKindNdb), lost).find("Fly to")) << "no position, no line";
}

TEST(PointInfoPath, LongPathsKeepRootAndLastFolders) {
  struct Case {
    const char* path;
    const char* shortened;
  };
  const Case cases[] = {
      {"C:\\short\\file.bgl", "C:\\short\\file.bgl"},
      {"C:\\Program Files\\Flight Simulator 9\\Addon Scenery\\Europe\\Switzerland\\scenery\\AP_ZURICH.BGL",
       "C:\\...\\Europe\\Switzerland\\scenery\\AP_ZURICH.BGL"},
      {"\\\\server\\share\\Flight Simulator 9\\Addon Scenery\\Europe\\scenery\\AP_ZURICH_LONG.BGL",
       "\\\\server\\...\\Europe\\scenery\\AP_ZURICH_LONG.BGL"},
      {"C:\\one\\a_very_long_single_file_name_that_goes_on_and_on_and_on_and_on.bgl",
       "C:\\...\\a_very_long_single_file_name_that_goes_on_and_on_and_on_and_on.bgl"},
      {"a_very_long_single_folder_name_that_goes_on_and_on_and_on\\file.bgl",
       "a_very_long_single_folder_name_that_goes_on_and_on_and_on\\file.bgl"},
  };
  for (const Case& c : cases) {
    const std::string s = ShortenFilePath(c.path);
    EXPECT_EQ(c.shortened, s);
    // Cut short enough, or down to the file name.
    if (s != c.path) {
      EXPECT_TRUE(s.size() < 56u || s.find('\\', s.find("...") + 4) == std::string::npos) << s;
    }
  }
}

}  // namespace
