// The world map file over arbitrary bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/archive/MemoryFile.h"
#include "plotr/plan/WorldMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  archive::MemoryFile file(data, size, "world.map");
  CWorldMap map;
  const bool loaded = map.LoadWorldMap(file);
  const size_t bytes = map.m_coastShapes.size() * sizeof(WorldShape) + map.m_coastSteps.size() +
                       map.m_riverShapes.size() * sizeof(WorldShape) + map.m_riverSteps.size() +
                       map.m_mountainGroups.size() * sizeof(MountainGroup) + map.m_peaks.size() * sizeof(MountainPeak);
  // A rejected file leaves nothing; an accepted one holds no more than the file's bytes.
  if (!loaded && bytes != 0) __builtin_trap();
  if (loaded && (size < sizeof(WorldMapHeader) || bytes > size * kWorldMapArrayCount)) __builtin_trap();
  return 0;
}
