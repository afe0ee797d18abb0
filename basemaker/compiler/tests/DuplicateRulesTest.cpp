#include "basemaker/compiler/DuplicateRules.h"

#include <gtest/gtest.h>

#include <cmath>

#include "navdb/Geodesy.h"
#include "navdb/tests/support/NavdbFixture.h"

namespace {

using duplicates::Loser;

NavPoint PointAt(double lat, double lon, uint16_t kind) { return NavPoint(lat, lon, kind, 1); }

NavPoint Beside(const NavPoint& p, double course, double metres) {
  double lat, lon;
  DestinationPoint(lat, lon, p.latitude, p.longitude, course, metres);
  return PointAt(lat, lon, p.Kind());
}

uint16_t Word(double degrees) { return static_cast<uint16_t>(std::lround(DegreesToBinaryAngle(degrees)) & 0xFFFF); }

// Both passes, within an area and across areas, ask these: the navaid pairs they must call one.
TEST(DuplicateRules, NavaidsAreOneWhenCloseAndAlike) {
  enum Kind { kNdb, kIls, kCom };
  struct Row {
    const char* name;
    Kind kind;
    double lat;
    double course;  // from the first to the second point
    double metres;
    float mhz2;         // the first is on 110.5 (ILS, COM) or 352 kHz (NDB)
    double heading1, heading2;  // ILS courses
    uint16_t type2;     // COM type of the second, the first is 1
    bool same;
  } rows[] = {
      {"NDB on its frequency 19 km away", kNdb, 47, 90, 19000, 352, 0, 0, 0, true},
      {"NDB on its frequency 21 km away", kNdb, 47, 90, 21000, 352, 0, 0, 0, false},
      {"ILS courses either side of north", kIls, 47, 0, 500, 110.5f, 358, 1, 0, true},
      {"ILS courses 6 degrees apart", kIls, 47, 0, 500, 110.5f, 90, 96, 0, false},
      {"ILS frequencies alike to the hundredth", kIls, 47, 0, 500, 110.504f, 90, 90, 0, true},
      {"ILS frequencies a hundredth apart", kIls, 47, 0, 500, 110.51f, 90, 90, 0, false},
      {"COM of another type", kCom, 47, 0, 100, 110.5f, 0, 0, 2, false},
      {"COM of its type 4900 m away", kCom, 47, 0, 4900, 110.5f, 0, 0, 1, true},
  };
  for (const Row& row : rows) {
    const NavPoint p = PointAt(row.lat, 8, row.kind == kNdb ? kKindNdb : row.kind == kIls ? kKindIls : kKindCom);
    const NavPoint q = Beside(p, row.course, row.metres);
    bool same = false;
    if (row.kind == kNdb) {
      same = duplicates::SameBeacon(p, navdbtest::Ndb("AB", 352), q, navdbtest::Ndb("CD", row.mhz2));
    } else if (row.kind == kIls) {
      same = duplicates::SameIls(p, navdbtest::Ils("IAB", 110.5f, Word(row.heading1), 300), q,
                                 navdbtest::Ils("ICD", row.mhz2, Word(row.heading2), 300));
    } else {
      same = duplicates::SameCom(p, navdbtest::Com(1, 110.5f), q, navdbtest::Com(row.type2, row.mhz2));
    }
    EXPECT_EQ(row.same, same) << row.name;
  }
}

struct RunwaySpec {
  double lat, lon;
  double heading;
  uint16_t lengthFt;
};

// The ends and records of a runway centred where the spec says.
struct TestRunway {
  explicit TestRunway(const RunwaySpec& s) {
    const double half = s.lengthFt / kFeetPerMetre / 2;
    for (int end = 0; end < 2; ++end) {
      double lat, lon;
      DestinationPoint(lat, lon, s.lat, s.lon, std::fmod(s.heading + (end == 0 ? 180 : 0), 360), half);
      ends[end] = PointAt(lat, lon, kKindRunway);
      records[end] = navdbtest::Runway(end == 0 ? "09" : "27", Word(std::fmod(s.heading + 180 * end, 360)));
      records[end].length = s.lengthFt;
    }
  }
  duplicates::Runway View() const { return {ends[0], ends[1], records[0], records[1]}; }
  NavPoint ends[2];
  RunwayRecord records[2];
};

TEST(DuplicateRules, OfTwoRunwaysOnEachOtherTheShorterGoes) {
  struct Row {
    const char* name;
    RunwaySpec first, second;
    Loser loser;
  } rows[] = {
      {"the first shorter", {47, 8, 90, 6000}, {47, 8, 90, 8000}, Loser::kFirst},
      {"the second shorter", {47, 8, 90, 8000}, {47, 8, 90, 6000}, Loser::kSecond},
      {"equally long", {47, 8, 90, 8000}, {47, 8, 90, 8000}, Loser::kSecond},
      {"the second drawn the other way round", {47, 8, 90, 8000}, {47, 8, 270, 6000}, Loser::kSecond},
      {"crossing", {47, 8, 90, 8000}, {47, 8, 0, 6000}, Loser::kNone},
      {"in line but apart", {47, 8, 0, 3000}, {47.05, 8, 0, 3000}, Loser::kNone},
  };
  for (const Row& row : rows) {
    const TestRunway a(row.first), b(row.second);
    EXPECT_EQ(row.loser, duplicates::OverlappingRunways(a.View(), b.View())) << row.name;
  }
}

}  // namespace
