#pragma once

// Spherical-earth helpers shared by the database builder and the planner. Angles at these
// interfaces are degrees (north and east positive, courses clockwise from true north),
// distances are metres.

#include <cstdint>

inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kTwoPi = 6.283185307179586;
// The sphere is chosen so that its circumference is exactly 40,007 km; stored distances and the
// degree/metre conversions of the scenery readers all assume this radius.
inline constexpr double kEarthRadius = 4.0007e7 / kTwoPi;
inline constexpr double kDegPerMetre = 360.0 / 4.0007e7;
inline constexpr double kFeetPerMetre = 3.28083989501312;
inline constexpr double kMetresPerNm = 1852.0;

// Stored headings, courses and declinations are 16-bit binary angles: a whole turn is 65536, so
// adding half a turn to a heading word gives the reciprocal and the sum wraps by itself.
inline constexpr double kBinaryAngleTurn = 65536.0;
inline constexpr uint16_t kBinaryAngleHalfTurn = 0x8000;
// Taken as a wide integer so a signed word, an unsigned one and a negated one all come out exact.
constexpr double BinaryAngleToDegrees(int32_t angle) { return angle * 360.0 / kBinaryAngleTurn; }
// Degrees in binary-angle units, not rounded: each reader rounds or truncates as its format asks.
constexpr double DegreesToBinaryAngle(double degrees) { return degrees / 360.0 * kBinaryAngleTurn; }

// Metres along the great circle between two points.
double GreatCircleDistance(double lat1, double lon1, double lat2, double lon2);
// GreatCircleDistance between two points of one meridian, to the last bit, with fewer cosines.
double MeridianDistance(double lat1, double lat2);
// GreatCircleDistance between points of the parallel of one latitude, to the last bit: the
// latitude's cosine is computed once for every pair of longitudes asked.
class ParallelDistance {
 public:
  explicit ParallelDistance(double lat);
  double operator()(double lon1, double lon2) const;

 private:
  double m_cosTwicePhi;
};

// Course in [0, 360) leaving point 1 towards point 2; coincident points give 0.
double InitialCourse(double lat1, double lon1, double lat2, double lon2);

// The point reached from (lat, lon) after `distance` metres on the great circle that leaves
// with `course`. The result longitude lies in (-180, 180].
void DestinationPoint(double& outLat, double& outLon, double lat, double lon, double course,
                      double distance);

// The point at `fraction` (clamped to [0, 1]) of the great circle from point 1 to point 2.
void PointAlongSegment(double& outLat, double& outLon, double lat1, double lon1, double lat2,
                       double lon2, double fraction);

// a modulo d in (0, d] for negative a and [0, d) otherwise: a negative exact multiple of d
// gives d, which callers normalising angles have always seen.
double PositiveModulo(double a, double d);

double ClampedAcos(double x);
double ClampedAsin(double x);

// Boxes whose lonMin >= lonMax cross the 180-degree meridian; all bounds are inclusive.
bool PointInBox(double latMin, double latMax, double lonMin, double lonMax, double lat, double lon);
bool BoxesOverlap(double latMin1, double latMax1, double lonMin1, double lonMax1, double latMin2,
                  double latMax2, double lonMin2, double lonMax2);

// Eight packed BCD digits, most significant nibble first. Nibbles above 9 are added as they
// are, as the simulator's radio words have always been read.
int DecodeBcd8(uint32_t word);

// Replaces trailing ' ' characters (not tabs) of a NUL-terminated text by NUL.
void TrimTrailingBlanks(char* text);
