#include "tools/sample-simroot/MagneticModel.h"

#include <algorithm>
#include <cmath>

namespace sampleroot {

namespace {

constexpr int kDegree = 12;

// Schmidt semi-normalised Gauss coefficients {g, h} of the main field in nT, n = 1 to 12 and
// m = 0 to n in order: the public WMM2025 coefficients (public domain) at the epoch 2025.0.
// The secular variation is left out: the grid is evaluated at the epoch.
struct Gauss {
  double g, h;
};
constexpr Gauss kCoefficients[] = {
    // n = 1
    {-29351.8, 0.0}, {-1410.8, 4545.4},
    // n = 2
    {-2556.6, 0.0}, {2951.1, -3133.6}, {1649.3, -815.1},
    // n = 3
    {1361.0, 0.0}, {-2404.1, -56.6}, {1243.8, 237.5}, {453.6, -549.5},
    // n = 4
    {895.0, 0.0}, {799.5, 278.6}, {55.7, -133.9}, {-281.1, 212.0}, {12.1, -375.6},
    // n = 5
    {-233.2, 0.0}, {368.9, 45.4}, {187.2, 220.2}, {-138.7, -122.9}, {-142.0, 43.0}, {20.9, 106.1},
    // n = 6
    {64.4, 0.0}, {63.8, -18.4}, {76.9, 16.8}, {-115.7, 48.8}, {-40.9, -59.8}, {14.9, 10.9}, {-60.7, 72.7},
    // n = 7
    {79.5, 0.0}, {-77.0, -48.9}, {-8.8, -14.4}, {59.3, -1.0}, {15.8, 23.4}, {2.5, -7.4}, {-11.1, -25.1}, {14.2, -2.3},
    // n = 8
    {23.2, 0.0}, {10.8, 7.1}, {-17.5, -12.6}, {2.0, 11.4}, {-21.7, -9.7}, {16.9, 12.7}, {15.0, 0.7}, {-16.8, -5.2}, {0.9, 3.9},
    // n = 9
    {4.6, 0.0}, {7.8, -24.8}, {3.0, 12.2}, {-0.2, 8.3}, {-2.5, -3.3}, {-13.1, -5.2}, {2.4, 7.2}, {8.6, -0.6}, {-8.7, 0.8}, {-12.9, 10.0},
    // n = 10
    {-1.3, 0.0}, {-6.4, 3.3}, {0.2, 0.0}, {2.0, 2.4}, {-1.0, 5.3}, {-0.6, -9.1}, {-0.9, 0.4}, {1.5, -4.2}, {0.9, -3.8}, {-2.7, 0.9}, {-3.9, -9.1},
    // n = 11
    {2.9, 0.0}, {-1.5, 0.0}, {-2.5, 2.9}, {2.4, -0.6}, {-0.6, 0.2}, {-0.1, 0.5}, {-0.6, -0.3}, {-0.1, -1.2}, {1.1, -1.7}, {-1.0, -2.9}, {-0.2, -1.8}, {2.6, -2.3},
    // n = 12
    {-2.0, 0.0}, {-0.2, -1.3}, {0.3, 0.7}, {1.2, 1.0}, {-1.3, -1.4}, {0.6, 0.0}, {0.6, 0.6}, {0.5, -0.1}, {-0.1, 0.8}, {-0.4, 0.1}, {-0.2, -1.0}, {-1.3, 0.1}, {-0.7, 0.2},

};
static_assert(sizeof kCoefficients / sizeof kCoefficients[0] == (kDegree + 1) * (kDegree + 2) / 2 - 1);

constexpr double kPi = 3.14159265358979323846;
constexpr double kReferenceRadius = 6371200.0;  // of the spherical harmonic expansion, m
constexpr double kWgs84A = 6378137.0;
constexpr double kWgs84InverseFlattening = 298.257223563;
// Latitude used for the poles, where east and north are not defined.
constexpr double kNearPole = 89.9999;

}  // namespace

double MagneticDeclination(double latitude, double longitude) {
  const double lat = std::clamp(latitude, -kNearPole, kNearPole) * kPi / 180.0;
  const double lon = longitude * kPi / 180.0;

  // Geodetic to geocentric spherical coordinates at height 0.
  const double f = 1.0 / kWgs84InverseFlattening;
  const double e2 = f * (2.0 - f);
  const double sinLat = std::sin(lat);
  const double cosLat = std::cos(lat);
  const double rc = kWgs84A / std::sqrt(1.0 - e2 * sinLat * sinLat);
  const double p = rc * cosLat;
  const double z = rc * (1.0 - e2) * sinLat;
  const double r = std::hypot(p, z);
  const double latC = std::asin(z / r);
  // Colatitude terms of the Legendre functions.
  const double cosT = std::sin(latC);
  const double sinT = std::cos(latC);

  // Schmidt semi-normalised associated Legendre functions of cos(colatitude) and their
  // derivatives by the colatitude.
  double P[kDegree + 1][kDegree + 1] = {};
  double dP[kDegree + 1][kDegree + 1] = {};
  P[0][0] = 1.0;
  for (int n = 1; n <= kDegree; ++n) {
    // The sectoral term, then the others of the order from it.
    const double k = n == 1 ? 1.0 : std::sqrt((2.0 * n - 1.0) / (2.0 * n));
    P[n][n] = k * sinT * P[n - 1][n - 1];
    dP[n][n] = k * (sinT * dP[n - 1][n - 1] + cosT * P[n - 1][n - 1]);
    for (int m = 0; m < n; ++m) {
      const double a = std::sqrt(static_cast<double>(n * n - m * m));
      const double b = n >= 2 ? std::sqrt(static_cast<double>((n - 1) * (n - 1) - m * m)) : 0.0;
      const double pPrev2 = n >= 2 && m <= n - 2 ? P[n - 2][m] : 0.0;
      const double dPrev2 = n >= 2 && m <= n - 2 ? dP[n - 2][m] : 0.0;
      P[n][m] = ((2.0 * n - 1.0) * cosT * P[n - 1][m] - b * pPrev2) / a;
      dP[n][m] = ((2.0 * n - 1.0) * (cosT * dP[n - 1][m] - sinT * P[n - 1][m]) - b * dPrev2) / a;
    }
  }

  // Field in the geocentric frame: north, east, down.
  double north = 0, east = 0, down = 0;
  const Gauss* c = kCoefficients;
  for (int n = 1; n <= kDegree; ++n) {
    const double scale = std::pow(kReferenceRadius / r, n + 2);
    for (int m = 0; m <= n; ++m, ++c) {
      const double cosM = std::cos(m * lon);
      const double sinM = std::sin(m * lon);
      const double along = c->g * cosM + c->h * sinM;
      north += scale * along * dP[n][m];
      east += scale * m * (c->g * sinM - c->h * cosM) * P[n][m] / sinT;
      down -= scale * (n + 1) * along * P[n][m];
    }
  }
  // Turned from the geocentric to the geodetic vertical.
  const double psi = latC - lat;
  const double x = north * std::cos(psi) - down * std::sin(psi);
  return std::atan2(east, x) * 180.0 / kPi;
}

int16_t MagVarGridWord(double declination) {
  // The planner reads the word as the variation, west positive: minus the declination. Held
  // within +-32767 so that its 16-bit negation cannot overflow.
  const double word = std::round(declination * 65536.0 / 360.0);
  return static_cast<int16_t>(std::clamp(word, -32767.0, 32767.0));
}

}  // namespace sampleroot
