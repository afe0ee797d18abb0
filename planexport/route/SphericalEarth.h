#pragma once

// The route-reducing modules' own spherical earth. They keep it apart from the planner's
// geodesy on purpose: the route they write depends on these exact formulas (the reduction
// thresholds sit right at the distances the formulas give), whatever the host computes.

inline constexpr double kPluginEarthRadius = 6367311.808277457;  // metres
inline constexpr double kPluginDegToRad = 0.017453292519943295;

// Arc cosine in radians of x clamped to [-1, 1], so rounding never leaves acos's domain.
double PluginClampedAcos(double x);
// `a` reduced into [0, b]: an exact negative multiple of b gives b, not 0.
double FloatMod(double a, double b);
// Metres along the great circle between two positions in degrees.
double PluginGreatCircleDistance(double lat1, double lon1, double lat2, double lon2);
// Initial course in degrees, [0, 360), from the first position toward the second.
double PluginInitialCourse(double lat1, double lon1, double lat2, double lon2);
// The difference of two courses in degrees, [0, 180].
double AngleDiff(double a, double b);
