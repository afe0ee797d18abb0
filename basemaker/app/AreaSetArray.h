#pragma once

// The scenery sets of the oldest simulator version: one list per ".vis" file in the simulator's
// scenery folder, in ascending order of the database name, letter case ignored.

#include <filesystem>
#include <vector>

#include "basemaker/app/AreaList.h"

class CAreaSetArray {
 public:
  // Appends every readable set found in `simRoot`'s scenery folder, each named after its file.
  void ReadVisFiles(const std::filesystem::path& simRoot);

  std::vector<CAreaList> m_sets;
};
