#pragma once

// The main field of the World Magnetic Model 2025 at its epoch (2025.0), for the sample
// installation's magnetic variation grid.

#include <cstdint>

namespace sampleroot {

// Declination (magnetic variation) in degrees, east positive, at sea level on the WGS84
// ellipsoid. At the geographic poles the value of a point a hair off the pole on the given
// meridian is returned (the declination itself is not defined there).
double MagneticDeclination(double latitude, double longitude);

// The variation grid's word for a declination: the planner's variation (west positive, added to a
// true course it gives the magnetic one) is -word x 360 / 65536, so the word holds the
// declination itself.
int16_t MagVarGridWord(double declination);

}  // namespace sampleroot
