#pragma once

// The writer of "world.map", the background geography the moving map draws: coastlines, lake
// shores and rivers read from a Natural Earth TopoJSON topology (objects "coastlines", "lakes"
// and "rivers", as the public-domain vector data ships), and a table of well-known peaks. The
// planner only reads the file; this is how the sample installation gets one.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/WorldMap.h"

namespace worldmap {

struct LonLat {
  double lon;
  double lat;
};
using Line = std::vector<LonLat>;

// Reads every line of one object of a topology: LineString, MultiLineString, Polygon and
// MultiPolygon geometries (rings as lines), also inside geometry collections, with arcs joined
// as the topology orders them (a negative index reverses the arc) and quantized arcs decoded
// through the topology's transform. False with a reason for anything that is not such a
// topology: an arc index outside the arcs, a position without two numbers, a coordinate off
// the globe, an object that is missing.
bool ReadTopoJsonLines(std::string_view text, std::string_view object, std::vector<Line>& lines,
                       std::string& error);

// One peak of the table: its name for the reader of the table; the file stores the position and
// the elevation in feet, grouped by range.
struct Peak {
  const char* name;
  const char* range;
  double latitude;
  double longitude;
  int metres;
};
std::span<const Peak> WellKnownPeaks();

// Encodes lines as shapes of step bytes, appending to `shapes` and `steps`. A line is broken
// where it jumps across the date line, and long lines are cut into shapes of comparable length
// so that the map can skip the parts outside its view.
void AppendShapes(const Line& line, std::vector<WorldShape>& shapes, std::vector<uint8_t>& steps);

// Groups the peaks by range, each group boxed around its peaks.
void AppendPeaks(std::span<const Peak> peaks, std::vector<MountainGroup>& groups, std::vector<MountainPeak>& out);

// The whole file: header, then the six arrays in order.
std::string WorldMapImage(const CWorldMap& map);

// Reads the topology at `topojson`, builds the map from its coastlines, lake shores and rivers
// and the peak table, and writes it to `target` through a temporary file renamed over it, so a
// reader never sees half a map. False with a reason, and the target untouched, on any fault.
bool MakeWorldMap(const std::filesystem::path& topojson, const std::filesystem::path& target, std::string& error);

}  // namespace worldmap
