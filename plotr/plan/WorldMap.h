#pragma once

// The background geography that the moving map draws under the navigation data: coastlines and
// rivers as shapes walked by step bytes, and mountain groups with their peaks. Read whole from
// "world.map" in the program's Bin folder when the plan object is made (it is the plan object's
// second base); nothing writes the file, it ships with the program. Any fault in the file
// leaves the map empty and is not reported: the map then draws no background.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace archive { class File; }

inline constexpr char kWorldMapFileName[] = "world.map";
inline constexpr uint16_t kWorldMapVersion = 102;
inline constexpr int kWorldMapArrayCount = 6;

#pragma pack(push, 1)
// A coastline or river: its box, its start and the end index of its steps in the step bytes
// (the previous shape's end is its first). Each step byte holds a signed latitude step in its
// low nibble and a signed longitude step in its high nibble, in units of 1 / divisor degrees.
struct WorldShape {
  float south;
  float north;
  float west;
  float east;
  float startLatitude;
  float startLongitude;
  uint16_t latitudeDivisor;
  uint16_t longitudeDivisor;
  int32_t endIndex;
};

struct MountainGroup {
  float south;
  float north;
  float west;
  float east;
  int32_t endIndex;  // into the peaks
};

struct MountainPeak {
  float latitude;
  float longitude;
  uint16_t elevation;
};

struct WorldMapSection {
  uint32_t offset;
  uint32_t size;  // bytes, a whole multiple of the element size
};

struct WorldMapHeader {
  uint32_t length;  // of the whole file
  char magic[2];    // 'W', 'M'
  uint16_t version;
  uint8_t reserved8[8];
  char banner[64];  // a fixed text; not checked
  // coast shapes, coast steps, river shapes, river steps, mountain groups, peaks
  WorldMapSection sections[kWorldMapArrayCount];
  uint8_t reserved128[16];
};
#pragma pack(pop)
static_assert(sizeof(WorldShape) == 32);
static_assert(sizeof(MountainGroup) == 20);
static_assert(sizeof(MountainPeak) == 10);
static_assert(sizeof(WorldMapHeader) == 144);

// The folder that holds "world.map" (the application's Bin folder); set by the application
// before the plan object is made. Empty: the plan object starts without a map.
void SetWorldMapFolder(const std::filesystem::path& folder);
std::filesystem::path WorldMapPath();

class CWorldMap {
 public:
  // Loads "world.map" from the folder set with SetWorldMapFolder, when one is set.
  CWorldMap();
  virtual ~CWorldMap();

  // Replaces the map with the file's; false (and an empty map) when the file cannot be opened
  // or is not a whole, consistent world map of version 102.
  bool LoadWorldMap(const std::filesystem::path& path);
  bool LoadWorldMap(archive::File& file);
  void ClearWorldMap();
  bool IsWorldMapEmpty() const;

  std::vector<WorldShape> m_coastShapes;
  std::vector<uint8_t> m_coastSteps;
  std::vector<WorldShape> m_riverShapes;
  std::vector<uint8_t> m_riverSteps;
  std::vector<MountainGroup> m_mountainGroups;
  std::vector<MountainPeak> m_peaks;
};
