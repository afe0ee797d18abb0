// make-world-map TOPOJSON WORLD_MAP: writes the world map of the moving map from a Natural Earth
// topology with "coastlines", "lakes" and "rivers" objects and the table of well-known peaks.

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/world-map/WorldMapWriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-world-map TOPOJSON WORLD_MAP\n");
    return 2;
  }
  std::string error;
  if (!worldmap::MakeWorldMap(argv[1], argv[2], error)) {
    std::fprintf(stderr, "make-world-map: %s\n", error.c_str());
    return 1;
  }
  std::printf("make-world-map: wrote %s (%ju bytes)\n", argv[2],
              static_cast<uintmax_t>(std::filesystem::file_size(argv[2])));
  return 0;
}
