#include "plotr/plan/WorldMap.h"

#include "platform/archive/MemoryFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// A synthetic world map: sections in file order after the 144-byte header, each filled with a
// recognisable byte pattern.
struct Sizes {
  uint32_t bytes[kWorldMapArrayCount];
};
std::vector<uint8_t> WorldMapImage(const Sizes& sizes, uint16_t version = kWorldMapVersion) {
  std::vector<uint8_t> image(144, 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&image[at], &v, 4); };
  image[4] = 'W';
  image[5] = 'M';
  std::memcpy(&image[6], &version, 2);
  const char banner[] = "Synthetic world map for the tests of the planner's map.";
  std::memcpy(&image[16], banner, sizeof banner - 1);
  for (int i = 0; i < kWorldMapArrayCount; ++i) {
    put32(80 + 8 * i, static_cast<uint32_t>(image.size()));
    put32(84 + 8 * i, sizes.bytes[i]);
    for (uint32_t b = 0; b < sizes.bytes[i]; ++b) image.push_back(static_cast<uint8_t>(16 * i + b));
  }
  put32(0, static_cast<uint32_t>(image.size()));
  return image;
}

bool Load(CWorldMap& map, const std::vector<uint8_t>& image) {
  archive::MemoryFile file(image, "world.map");
  return map.LoadWorldMap(file);
}

const Sizes kSample{{64, 5, 32, 3, 40, 30}};

TEST(WorldMapTest, LoadsEveryArrayWhole) {
  CWorldMap map;
  ASSERT_TRUE(Load(map, WorldMapImage(kSample)));
  EXPECT_EQ(map.m_coastShapes.size(), 2u);
  EXPECT_EQ(map.m_coastSteps.size(), 5u);
  EXPECT_EQ(map.m_riverShapes.size(), 1u);
  EXPECT_EQ(map.m_riverSteps.size(), 3u);
  EXPECT_EQ(map.m_mountainGroups.size(), 2u);
  EXPECT_EQ(map.m_peaks.size(), 3u);
  // Each array comes from its own section.
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(map.m_coastShapes.data())[33], 33);
  EXPECT_EQ(map.m_coastSteps[4], 16 + 4);
  EXPECT_EQ(map.m_riverSteps[0], 48);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(map.m_peaks.data())[29], 80 + 29);

  CWorldMap empty;
  EXPECT_TRUE(Load(empty, WorldMapImage({{0, 0, 0, 0, 0, 0}})));
  EXPECT_TRUE(empty.IsWorldMapEmpty());
}

TEST(WorldMapTest, DamagedFilesLeaveAnEmptyMap) {
  struct Case {
    const char* name;
    std::vector<uint8_t> image;
  };
  const std::vector<uint8_t> good = WorldMapImage(kSample);
  auto patched32 = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> image = good;
    std::memcpy(&image[at], &v, 4);
    return image;
  };
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  std::vector<uint8_t> wrongMagic = good;
  wrongMagic[5] = 'X';
  const Case cases[] = {
      {"empty file", {}},
      {"short header", std::vector<uint8_t>(good.begin(), good.begin() + 100)},
      {"one byte longer than its length", longer},
      {"magic", wrongMagic},
      {"version 101", WorldMapImage(kSample, 101)},
      {"version 103", WorldMapImage(kSample, 103)},
      {"size past the end", patched32(84 + 8 * 5, 4000)},
      {"offset past the end", patched32(80 + 8 * 2, 0xFFFFFFF0)},
      {"offset plus size wraps 32 bits", patched32(88 + 8 * 3, 0xFFFFFFFF)},
      {"shape size not a multiple of 32", WorldMapImage({{63, 5, 32, 3, 40, 30}})},
      {"peak size not a multiple of 10", WorldMapImage({{64, 5, 32, 3, 40, 31}})},
  };
  for (const Case& c : cases) {
    CWorldMap map;
    ASSERT_TRUE(Load(map, good));
    EXPECT_FALSE(Load(map, c.image)) << c.name;
    EXPECT_TRUE(map.IsWorldMapEmpty()) << c.name;
  }
}

TEST(WorldMapTest, PlanObjectBaseLoadsFromTheBinFolder) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("plotr-worldmap-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  SetWorldMapFolder(folder);
  {
    CWorldMap missing;
    EXPECT_TRUE(missing.IsWorldMapEmpty());
  }
  const std::vector<uint8_t> image = WorldMapImage(kSample);
  std::ofstream(folder / "world.map", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  {
    CWorldMap loaded;
    EXPECT_EQ(loaded.m_peaks.size(), 3u);
  }
  SetWorldMapFolder({});
  std::filesystem::remove_all(folder);
}

}  // namespace
