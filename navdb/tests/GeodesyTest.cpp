#include "navdb/Geodesy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr double kPi = kTwoPi / 2.0;
constexpr double kMetresPerDegree = 4.0007e7 / 360.0;

struct Vec3 {
  double x, y, z;
};

Vec3 ToVector(double lat, double lon) {
  const double phi = lat * kDegToRad;
  const double lambda = lon * kDegToRad;
  return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

// Independent reference: spherical linear interpolation of unit vectors, which stays precise
// for tiny and polar segments.
Vec3 Slerp(const Vec3& a, const Vec3& b, double f) {
  const Vec3 cross{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  const double sinAngle = std::sqrt(cross.x * cross.x + cross.y * cross.y + cross.z * cross.z);
  const double angle = std::atan2(sinAngle, a.x * b.x + a.y * b.y + a.z * b.z);
  if (sinAngle < 1e-300) {
    return a;
  }
  const double wa = std::sin((1 - f) * angle) / sinAngle;
  const double wb = std::sin(f * angle) / sinAngle;
  return {wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
}

// Straight-line distance in metres between two points on the sphere; exact for tiny gaps.
double ChordMetres(const Vec3& a, const Vec3& b) {
  return kEarthRadius * std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

TEST(Geodesy, ConstantsDescribeOneSphere) {
  EXPECT_DOUBLE_EQ(kEarthRadius, 6367311.808277457);
  EXPECT_DOUBLE_EQ(kDegPerMetre, 8.998425275576774e-06);
  EXPECT_DOUBLE_EQ(kTwoPi * kEarthRadius, 4.0007e7);
  EXPECT_NEAR(1.0 / kFeetPerMetre, 0.3048, 1e-15);
}

TEST(Geodesy, DistancesAndCourses) {
  struct Case {
    const char* name;
    double lat1, lon1, lat2, lon2;
    double metres;
    double course;
  };
  const Case cases[] = {
      {"same point", 12.5, -33.0, 12.5, -33.0, 0.0, 0.0},
      {"half the equator", 0, 0, 0, 180, kPi * kEarthRadius, 90.0},
      {"east along equator", 0, 0, 0, 1, kMetresPerDegree, 90.0},
      {"north along meridian", 0, 0, 1, 0, kMetresPerDegree, 0.0},
      {"west along equator", 0, 0, 0, -1, kMetresPerDegree, 270.0},
      {"south along meridian", 10, 20, 9, 20, kMetresPerDegree, 180.0},
      {"east across date line", 0, 179.5, 0, -179.5, kMetresPerDegree, 90.0},
      {"west across date line", 0, -179.5, 0, 179.5, kMetresPerDegree, 270.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(GreatCircleDistance(c.lat1, c.lon1, c.lat2, c.lon2), c.metres, 1e-3);
    EXPECT_NEAR(InitialCourse(c.lat1, c.lon1, c.lat2, c.lon2), c.course, 1e-9);
  }
}

TEST(Geodesy, CourseStaysBelowFullCircle) {
  // A course a hair west of north must not come out as 360.
  const double course = InitialCourse(10.0, 20.0, 11.0, 20.0 - 1e-15);
  EXPECT_GE(course, 0.0);
  EXPECT_LT(course, 360.0);
}

TEST(Geodesy, DestinationPointWrapsAcrossDateLine) {
  double lat = 0;
  double lon = 0;
  DestinationPoint(lat, lon, 0.0, 179.5, 90.0, kMetresPerDegree);
  EXPECT_NEAR(lat, 0.0, 1e-9);
  EXPECT_NEAR(lon, -179.5, 1e-9);

  DestinationPoint(lat, lon, 0.0, -179.5, 270.0, kMetresPerDegree);
  EXPECT_NEAR(lon, 179.5, 1e-9);

  DestinationPoint(lat, lon, 45.0, 7.0, 0.0, 10 * kMetresPerDegree);
  EXPECT_NEAR(lat, 55.0, 1e-9);
  EXPECT_NEAR(lon, 7.0, 1e-9);
}

TEST(Geodesy, DestinationPointInvertsDistanceAndCourse) {
  const double lat1 = 47.3;
  const double lon1 = 8.5;
  const double lat2 = 40.6;
  const double lon2 = -73.8;
  double lat = 0;
  double lon = 0;
  DestinationPoint(lat, lon, lat1, lon1, InitialCourse(lat1, lon1, lat2, lon2),
                   GreatCircleDistance(lat1, lon1, lat2, lon2));
  EXPECT_NEAR(lat, lat2, 1e-6);
  EXPECT_NEAR(lon, lon2, 1e-6);
}

TEST(Geodesy, PointAlongSegmentEnds) {
  struct Case {
    const char* name;
    double fraction;
    double lat, lon;
  };
  // Start (10, 20), end (30, 50).
  const Case cases[] = {
      {"zero is the start", 0.0, 10, 20},
      {"negative is the start", -0.5, 10, 20},
      {"one is the end", 1.0, 30, 50},
      {"beyond one is the end", 1.5, 30, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double lat = 0;
    double lon = 0;
    PointAlongSegment(lat, lon, 10, 20, 30, 50, c.fraction);
    EXPECT_NEAR(lat, c.lat, 1e-9);
    EXPECT_NEAR(lon, c.lon, 1e-9);
  }
}

TEST(Geodesy, PointAlongSegmentFollowsTheGreatCircle) {
  struct Case {
    const char* name;
    double lat1, lon1, lat2, lon2, fraction;
  };
  const Case cases[] = {
      {"mid-latitude eastbound", 47.3, 8.5, 51.5, -0.4, 0.3},
      {"across the date line", 20, 170, -10, -160, 0.5},
      {"across the date line westbound", -10, -160, 20, 170, 0.25},
      {"southern hemisphere", -33.9, 151.2, -37.0, 174.8, 0.8},
      {"meridian", 10, 5, 40, 5, 0.5},
      {"high latitude", 80, -100, 85, 60, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double lat = 0;
    double lon = 0;
    PointAlongSegment(lat, lon, c.lat1, c.lon1, c.lat2, c.lon2, c.fraction);
    const double total = GreatCircleDistance(c.lat1, c.lon1, c.lat2, c.lon2);
    EXPECT_NEAR(GreatCircleDistance(c.lat1, c.lon1, lat, lon), c.fraction * total, 1.0);
    EXPECT_NEAR(GreatCircleDistance(lat, lon, c.lat2, c.lon2), (1 - c.fraction) * total, 1.0);
  }
}

// Short segments near the poles used to produce NaN from square roots of rounding residue;
// walk random segments over the whole globe, many of them tiny and polar, and check every
// result is a finite point on the segment.
TEST(Geodesy, PointAlongSegmentIsFiniteAndOnSegmentOverTheGlobe) {
  std::mt19937_64 random(20261210);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int checked = 0;
  for (int i = 0; i < 200000; ++i) {
    double lat1;
    double lon1 = -180.0 + 360.0 * unit(random);
    double lat2;
    double lon2;
    switch (i % 4) {
      case 0:  // anywhere
        lat1 = -90.0 + 180.0 * unit(random);
        lat2 = -90.0 + 180.0 * unit(random);
        lon2 = -180.0 + 360.0 * unit(random);
        break;
      case 1: {  // tiny, near a pole
        const double pole = unit(random) < 0.5 ? 90.0 : -90.0;
        lat1 = pole - std::copysign(1e-6 * unit(random), pole);
        lat2 = pole - std::copysign(1e-6 * unit(random), pole);
        lon2 = lon1 + (unit(random) - 0.5) * 1e-3;
        break;
      }
      case 2: {  // short, near a pole, any longitudes
        const double pole = unit(random) < 0.5 ? 90.0 : -90.0;
        lat1 = pole - std::copysign(0.01 * unit(random), pole);
        lat2 = pole - std::copysign(0.01 * unit(random), pole);
        lon2 = -180.0 + 360.0 * unit(random);
        break;
      }
      default:  // tiny, anywhere
        lat1 = -89.0 + 178.0 * unit(random);
        lat2 = lat1 + (unit(random) - 0.5) * 1e-7;
        lon2 = lon1 + (unit(random) - 0.5) * 1e-7;
        break;
    }
    if (lon2 > 180.0) lon2 -= 360.0;
    if (lon2 < -180.0) lon2 += 360.0;
    const double fraction = unit(random);
    double lat = 0;
    double lon = 0;
    PointAlongSegment(lat, lon, lat1, lon1, lat2, lon2, fraction);
    ASSERT_TRUE(std::isfinite(lat) && std::isfinite(lon))
        << lat1 << "," << lon1 << " -> " << lat2 << "," << lon2 << " at " << fraction;
    ASSERT_LE(std::fabs(lat), 90.0);
    ASSERT_LE(std::fabs(lon), 180.0) << lat1 << "," << lon1 << " -> " << lat2 << "," << lon2 << " at " << fraction;

    // Far from antipodal the great circle is unique: compare with the reference.
    const double total = GreatCircleDistance(lat1, lon1, lat2, lon2);
    if (total < 0.9 * kPi * kEarthRadius) {
      const Vec3 expected = Slerp(ToVector(lat1, lon1), ToVector(lat2, lon2), fraction);
      const double error = ChordMetres(ToVector(lat, lon), expected);
      ASSERT_LT(error, 0.01)
          << lat1 << "," << lon1 << " -> " << lat2 << "," << lon2 << " at " << fraction;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100000);
}

TEST(Geodesy, HelpersStayFiniteAtTheirLimits) {
  EXPECT_DOUBLE_EQ(ClampedAcos(1.0000000001), 0.0);
  EXPECT_DOUBLE_EQ(ClampedAcos(-1.0000000001), kPi);
  EXPECT_DOUBLE_EQ(ClampedAsin(1.0000000001), kPi / 2);
  EXPECT_DOUBLE_EQ(ClampedAsin(-1.0000000001), -kPi / 2);
  EXPECT_TRUE(std::isfinite(GreatCircleDistance(89.9999999, 10.0, 89.9999999, 10.0000001)));
  EXPECT_TRUE(std::isfinite(InitialCourse(90.0, 0.0, 90.0, 0.0)));
  double lat = 0;
  double lon = 0;
  DestinationPoint(lat, lon, 90.0, 0.0, 45.0, 1.0);
  EXPECT_TRUE(std::isfinite(lat) && std::isfinite(lon));
}

TEST(Geodesy, PositiveModuloSigns) {
  struct Case {
    double a, d, expected;
  };
  const Case cases[] = {
      {-90, 360, 270}, {-360, 360, 360}, {725, 360, 5}, {0, 360, 0},
      {360, 360, 0},   {-725, 360, 355}, {359.5, 360, 359.5}, {-1e-3, 360, 360 - 1e-3},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(PositiveModulo(c.a, c.d), c.expected, 1e-9) << c.a << " mod " << c.d;
  }
}

// Headings are unsigned words, declinations signed ones, and the grid's variation a negated
// signed word: each must come out on its own side of north.
TEST(Geodesy, BinaryAnglesKeepTheirSign) {
  struct Case {
    const char* name;
    int32_t angle;
    double degrees;
  };
  const Case cases[] = {
      {"heading east", uint16_t{0x4000}, 90},
      {"heading just short of north", uint16_t{0xFFFF}, 360 - 360.0 / 65536},
      {"reciprocal wraps", static_cast<uint16_t>(0xC000 + kBinaryAngleHalfTurn), 90},
      {"declination west", int16_t{-0x4000}, -90},
      {"most negative declination negated", -int16_t{-0x8000}, 180},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(c.degrees, BinaryAngleToDegrees(c.angle)) << c.name;
    EXPECT_DOUBLE_EQ(static_cast<double>(c.angle), DegreesToBinaryAngle(c.degrees)) << c.name;
  }
}

TEST(Geodesy, PointInBoxHandlesDateLine) {
  struct Case {
    const char* name;
    double latMin, latMax, lonMin, lonMax, lat, lon;
    bool inside;
  };
  const Case cases[] = {
      {"crossing box, east side", 0, 10, 170, -170, 5, 179, true},
      {"crossing box, west side", 0, 10, 170, -170, 5, -175, true},
      {"crossing box, far side", 0, 10, 170, -170, 5, 0, false},
      {"crossing box, on 180", 0, 10, 170, -170, 5, 180, true},
      {"crossing box, on -180", 0, 10, 170, -170, 5, -180, true},
      {"crossing box, latitude out", 0, 10, 170, -170, 11, 179, false},
      {"plain box, inside", 0, 10, 20, 30, 5, 25, true},
      {"plain box, corner inclusive", 0, 10, 20, 30, 10, 30, true},
      {"plain box, just east", 0, 10, 20, 30, 5, 30.001, false},
      {"equal bounds span every longitude", 0, 10, 40, 40, 5, -120, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PointInBox(c.latMin, c.latMax, c.lonMin, c.lonMax, c.lat, c.lon), c.inside) << c.name;
  }
}

TEST(Geodesy, BoxesOverlapHandlesDateLine) {
  struct Case {
    const char* name;
    double a[4];  // latMin, latMax, lonMin, lonMax
    double b[4];
    bool overlap;
  };
  const Case cases[] = {
      {"plain, overlapping", {0, 10, 0, 10}, {5, 15, 5, 15}, true},
      {"plain, touching edges", {0, 10, 0, 10}, {10, 20, 10, 20}, true},
      {"plain, apart in longitude", {0, 10, 0, 10}, {0, 10, 11, 20}, false},
      {"plain, apart in latitude", {0, 10, 0, 10}, {11, 20, 0, 10}, false},
      {"crossing vs east of 180 side", {0, 10, 170, -170}, {0, 10, 175, 178}, true},
      {"crossing vs west of 180 side", {0, 10, 170, -170}, {0, 10, -178, -175}, true},
      {"crossing vs far side", {0, 10, 170, -170}, {0, 10, -100, 100}, false},
      {"plain vs crossing", {0, 10, -175, -172}, {5, 6, 160, -174}, true},
      {"both crossing", {0, 10, 170, -170}, {5, 6, 179, -179}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BoxesOverlap(c.a[0], c.a[1], c.a[2], c.a[3], c.b[0], c.b[1], c.b[2], c.b[3]), c.overlap)
        << c.name;
    EXPECT_EQ(BoxesOverlap(c.b[0], c.b[1], c.b[2], c.b[3], c.a[0], c.a[1], c.a[2], c.a[3]), c.overlap)
        << c.name << " (swapped)";
  }
}

TEST(Geodesy, DecodeBcd8ReadsMostSignificantNibbleFirst) {
  struct Case {
    uint32_t word;
    int value;
  };
  const Case cases[] = {
      {0x00012345, 12345},     {0x12345678, 12345678}, {0, 0},
      {0x99999999, 99999999},  {0x0000001A, 20},       {0xF0000000, 150000000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeBcd8(c.word), c.value) << std::hex << c.word;
  }
}

TEST(Geodesy, TrimTrailingBlanksOnlyTouchesTrailingSpaces) {
  struct Case {
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {"ABC  ", "ABC"}, {"A B ", "A B"}, {"   ", ""}, {"", ""}, {"tab\t", "tab\t"}, {" lead", " lead"},
  };
  for (const Case& c : cases) {
    char buffer[16] = {};
    std::strcpy(buffer, c.input);
    TrimTrailingBlanks(buffer);
    EXPECT_STREQ(buffer, c.expected) << '"' << c.input << '"';
  }
  char padded[8] = {'N', 'D', 'B', ' ', ' ', '\0', 'X', '\0'};
  TrimTrailingBlanks(padded);
  EXPECT_EQ(padded[3], '\0');
  EXPECT_EQ(padded[4], '\0');
  EXPECT_EQ(padded[6], 'X');
}

}  // namespace

// The footprint writer relies on these giving the very bits of GreatCircleDistance: stored
// vertex offsets are rounded metres, and one ulp can move a rounding.
TEST(Geodesy, MeridianAndParallelDistancesEqualTheGreatCircleToTheBit) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> lat(-90.0, 90.0), lon(-180.0, 180.0), small(-0.05, 0.05);
  std::vector<std::array<double, 3>> cases = {{0, 0, 0}, {90, -90, 180}, {-90, 90, -180}, {45, 45, 45}, {89.9999, 0, 179.9999}};
  for (int i = 0; i < 20000; ++i) {
    const double a = lat(random), b = i % 2 ? a + small(random) : lat(random);
    const double c = lon(random), d = i % 2 ? c + small(random) : lon(random);
    cases.push_back({a, b, c});
    cases.push_back({a, c * 0.5, d});
  }
  const auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
  for (const auto& [lat1, lat2, lon1] : cases) {
    EXPECT_TRUE(same(MeridianDistance(lat1, lat2), GreatCircleDistance(lat1, lon1, lat2, lon1))) << lat1 << " " << lat2;
    const ParallelDistance along(lat1);
    EXPECT_TRUE(same(along(lon1, lat2 * 2.0), GreatCircleDistance(lat1, lon1, lat1, lat2 * 2.0))) << lat1 << " " << lon1;
  }
}
