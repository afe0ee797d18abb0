#include "navdb/Geodesy.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = kTwoPi / 2.0;

// Products of sines that are zero in exact arithmetic come out as tiny negatives for short
// segments near the poles; a square root of those would poison every later value with NaN.
double SafeSqrt(double x) {
  return std::sqrt(std::max(x, 0.0));
}

double Square(double x) {
  return x * x;
}

}  // namespace

double ClampedAcos(double x) {
  return std::acos(std::clamp(x, -1.0, 1.0));
}

double ClampedAsin(double x) {
  return std::asin(std::clamp(x, -1.0, 1.0));
}

double PositiveModulo(double a, double d) {
  if (a >= 0.0) {
    return a - d * std::trunc(a / d);
  }
  return a + d * (std::trunc(-a / d) + 1.0);
}

double GreatCircleDistance(double lat1, double lon1, double lat2, double lon2) {
  const double phi1 = lat1 * kDegToRad;
  const double phi2 = lat2 * kDegToRad;
  const double c = std::cos((lon2 - lon1) * kDegToRad);
  const double cosAngle = 0.5 * (std::cos(phi2 - phi1) * (1.0 + c) - std::cos(phi1 + phi2) * (1.0 - c));
  return ClampedAcos(cosAngle) * kEarthRadius;
}

// With equal longitudes c is exactly 1, so the second product is a zero and the halving undoes
// the doubling exactly.
double MeridianDistance(double lat1, double lat2) {
  return ClampedAcos(std::cos(lat2 * kDegToRad - lat1 * kDegToRad)) * kEarthRadius;
}

ParallelDistance::ParallelDistance(double lat) {
  const double phi = lat * kDegToRad;
  m_cosTwicePhi = std::cos(phi + phi);
}

// With equal latitudes the first cosine is exactly 1.
double ParallelDistance::operator()(double lon1, double lon2) const {
  const double c = std::cos((lon2 - lon1) * kDegToRad);
  const double cosAngle = 0.5 * ((1.0 + c) - m_cosTwicePhi * (1.0 - c));
  return ClampedAcos(cosAngle) * kEarthRadius;
}

double InitialCourse(double lat1, double lon1, double lat2, double lon2) {
  const double phi1 = lat1 * kDegToRad;
  const double phi2 = lat2 * kDegToRad;
  const double deltaLon = (lon2 - lon1) * kDegToRad;
  const double c = std::cos(deltaLon);
  const double theta = std::atan2(std::sin(deltaLon) * std::cos(phi2),
                                  0.5 * (std::sin(phi1 + phi2) * (1.0 - c) - std::sin(phi1 - phi2) * (1.0 + c)));
  const double course = PositiveModulo(theta, kTwoPi) / kDegToRad;
  // A tiny negative angle rounds up to a full circle; a course is reported below 360.
  return course >= 360.0 ? 0.0 : course;
}

void DestinationPoint(double& outLat, double& outLon, double lat, double lon, double course,
                      double distance) {
  const double phi1 = lat * kDegToRad;
  const double delta = distance / kEarthRadius;
  const double theta = course * kDegToRad;
  const double sinPhi1 = std::sin(phi1);
  const double cosPhi1 = std::cos(phi1);
  const double sinDelta = std::sin(delta);
  const double cosDelta = std::cos(delta);
  const double phi2 = ClampedAsin(std::cos(theta) * cosPhi1 * sinDelta + cosDelta * sinPhi1);
  const double dLon = std::atan2(cosPhi1 * sinDelta * std::sin(theta), cosDelta - sinPhi1 * std::sin(phi2));
  const double q = PositiveModulo(-lon * kDegToRad - dLon + kPi, kTwoPi) - kPi;
  outLat = phi2 / kDegToRad;
  outLon = -q / kDegToRad;
}

void PointAlongSegment(double& outLat, double& outLon, double lat1, double lon1, double lat2,
                       double lon2, double fraction) {
  // Written so that a NaN fraction counts as 0.
  const double f = fraction > 0.0 ? std::min(fraction, 1.0) : 0.0;
  if (std::fabs(lon1 - lon2) * kDegToRad <= 1e-10 || f <= 1e-10) {
    outLat = lat1 + f * (lat2 - lat1);
    outLon = lon1;
    return;
  }

  // Work on the side of the globe away from the 180-degree meridian so the longitude
  // difference between the ends is at most 180.
  const bool shifted = std::fabs(lon1 - lon2) > 180.0;
  auto shift = [](double x) {
    x += 180.0;
    return x > 180.0 ? x - 360.0 : x;
  };
  const double o = shifted ? shift(lon1) : lon1;
  const double r = shifted ? shift(lon2) : lon2;

  // Triangle pole - start - end: colatitudes m and v, the side d between the ends and the
  // angle alpha at the start, from the half-angle formulas. Colatitudes close to 180 degrees
  // lose most of their precision, so a segment in the southern hemisphere is solved mirrored
  // at the equator, which keeps longitudes and great circles as they are.
  const double mirror = lat1 + lat2 < 0.0 ? -1.0 : 1.0;
  const double m = (90.0 - mirror * lat1) * kDegToRad;
  const double v = (90.0 - mirror * lat2) * kDegToRad;
  const double t = (o - r) / 2.0 * kDegToRad;
  const double d = 2.0 * ClampedAsin(SafeSqrt(Square(std::sin((v + m) / 2.0)) * Square(std::sin(t)) +
                                              Square(std::sin((v - m) / 2.0)) * Square(std::cos(t))));
  const double s = (m + v + d) / 2.0;
  const double halfAlpha = std::atan2(SafeSqrt(std::sin(s - d) * std::sin(s - m)),
                                      SafeSqrt(std::sin(s - v) * std::sin(s)));

  // Walk h along the side from the start: the new colatitude n and the longitude change at
  // the pole.
  const double h = f * d;
  const double n = 2.0 * ClampedAsin(SafeSqrt(Square(std::sin((m + h) / 2.0)) * Square(std::sin(halfAlpha)) +
                                              Square(std::sin((m - h) / 2.0)) * Square(std::cos(halfAlpha))));
  const double bigS = (m + h + n) / 2.0;
  const double dLon = 2.0 * std::atan2(SafeSqrt(std::sin(bigS - n) * std::sin(bigS - m)),
                                       SafeSqrt(std::sin(bigS - h) * std::sin(bigS))) /
                      kDegToRad;

  outLat = mirror * (90.0 - n / kDegToRad);
  double lon = o > r ? o - dLon : o + dLon;
  if (shifted) {
    lon -= 180.0;
    if (lon < -180.0) {
      lon += 360.0;
    }
  }
  outLon = lon;
}

bool PointInBox(double latMin, double latMax, double lonMin, double lonMax, double lat, double lon) {
  if (lat < latMin || lat > latMax) {
    return false;
  }
  if (lonMin >= lonMax) {
    return (lonMin <= lon && lon <= 180.0) || (-180.0 <= lon && lon <= lonMax);
  }
  return lonMin <= lon && lon <= lonMax;
}

namespace {

struct LonRange {
  double min;
  double max;
};

// A box crossing the 180-degree meridian becomes its two pieces on either side of it.
int SplitLongitudes(double lonMin, double lonMax, LonRange out[2]) {
  if (lonMin >= lonMax) {
    out[0] = {lonMin, 180.0};
    out[1] = {-180.0, lonMax};
    return 2;
  }
  out[0] = {lonMin, lonMax};
  return 1;
}

}  // namespace

bool BoxesOverlap(double latMin1, double latMax1, double lonMin1, double lonMax1, double latMin2,
                  double latMax2, double lonMin2, double lonMax2) {
  if (!(latMin1 <= latMax2 && latMax1 >= latMin2)) {
    return false;
  }
  LonRange first[2];
  LonRange second[2];
  const int firstCount = SplitLongitudes(lonMin1, lonMax1, first);
  const int secondCount = SplitLongitudes(lonMin2, lonMax2, second);
  for (int i = 0; i < firstCount; ++i) {
    for (int j = 0; j < secondCount; ++j) {
      if (first[i].min <= second[j].max && first[i].max >= second[j].min) {
        return true;
      }
    }
  }
  return false;
}

int DecodeBcd8(uint32_t word) {
  int value = 0;
  for (int i = 0; i < 8; ++i) {
    word = (word << 4) | (word >> 28);
    value = value * 10 + static_cast<int>(word & 0xF);
  }
  return value;
}

void TrimTrailingBlanks(char* text) {
  if (text == nullptr) {
    return;
  }
  for (size_t length = std::strlen(text); length > 0 && text[length - 1] == ' '; --length) {
    text[length - 1] = '\0';
  }
}
