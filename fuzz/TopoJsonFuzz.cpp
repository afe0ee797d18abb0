// The world map generator's TopoJSON reader over arbitrary text; whatever lines it reads are
// encoded into a map, which must load whole and keep every line's ends where the data put them.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/archive/MemoryFile.h"
#include "plotr/plan/WorldMap.h"
#include "tools/world-map/WorldMapWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CWorldMap map;
  map.ClearWorldMap();
  for (const char* object : {"coastlines", "rivers"}) {
    std::vector<worldmap::Line> lines;
    std::string error;
    const bool read = worldmap::ReadTopoJsonLines(text, object, lines, error);
    // A refusal always says why and keeps nothing; a reading says nothing.
    if (read == !error.empty() || (!read && !lines.empty())) __builtin_trap();
    for (const worldmap::Line& line : lines) {
      if (line.size() < 2) __builtin_trap();
      for (const worldmap::LonLat& p : line) {
        if (!(std::fabs(p.lon) <= 180 && std::fabs(p.lat) <= 90)) __builtin_trap();
      }
      worldmap::AppendShapes(line, map.m_coastShapes, map.m_coastSteps);
    }
  }
  int64_t begin = 0;
  for (const WorldShape& shape : map.m_coastShapes) {
    if (shape.endIndex <= begin || shape.endIndex > static_cast<int64_t>(map.m_coastSteps.size())) __builtin_trap();
    if (shape.latitudeDivisor == 0 || shape.longitudeDivisor == 0 || std::fabs(shape.startLatitude) >= 90) {
      __builtin_trap();
    }
    begin = shape.endIndex;
  }
  const std::string image = worldmap::WorldMapImage(map);
  archive::MemoryFile file(reinterpret_cast<const uint8_t*>(image.data()), image.size(), "world.map");
  CWorldMap loaded;
  if (!loaded.LoadWorldMap(file) || loaded.m_coastSteps != map.m_coastSteps) __builtin_trap();
  return 0;
}
