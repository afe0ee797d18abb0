// The world map file over arbitrary bytes; what loads is drawn flat and on the globe, at the
// whole world and at a zoom where coastlines, rivers and peaks show in full detail.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "navdb/SceneryDatabase.h"
#include "platform/archive/MemoryFile.h"
#include "platform/gdi/RecordingDc.h"
#include "plotr/map/MapRenderer.h"
#include "plotr/plan/FlightPlanCore.h"
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
  if (!loaded) return 0;

  // The map layers read the world map from the plan object, which is one.
  static CFlightPlanCore* plan = new CFlightPlanCore;
  static CSceneryDatabase* empty = new CSceneryDatabase(16);
  archive::MemoryFile again(data, size, "world.map");
  if (!plan->LoadWorldMap(again)) __builtin_trap();
  CMapRenderer r;
  r.SetDatabase(empty);
  r.MapMountains = 1;
  for (const uint8_t round : {0, 1}) {
    r.MapRoundWorld = round;
    for (const int zoom : {1, 16}) {
      r.PushZoom(zoom, 47, 8);
      gdi::RecordingDc dc;
      r.DrawMapLayers(dc, 800, 500, plan, nullptr);
      r.PopZoom();
    }
  }
  return 0;
}
