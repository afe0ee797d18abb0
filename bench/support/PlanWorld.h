#pragma once

// A fifth of the world in the process's database, with the settings and aircraft profiles in a
// folder of their own: the plan benchmarks' ground. The plan's only searches are for ILS and
// runway rows, so a fifth shows the cost of a full one.

#include <filesystem>
#include <string>

#include <unistd.h>

#include "navdb/tests/support/NavdbFixture.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/DatabaseAccess.h"

namespace benchsupport {

struct PlanWorld {
  std::filesystem::path folder;

  explicit PlanWorld(const std::string& tag) {
    folder = std::filesystem::temp_directory_path() / (tag + "-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    g_Settings.SetProfileFile(folder / "Program.cfg");
    SetAircraftProfileFolder(folder);
    navdbtest::WorldCounts counts;
    counts.airports = 5000;
    counts.vors = counts.ndbs = 1100;
    counts.intersections = 24000;
    counts.airwaySegments = 8000;
    counts.airspaces = 400;
    counts.areas = 4;
    navdbtest::BuildWorldDatabase(DatabaseLease::HeldDatabase(), counts);
  }
  ~PlanWorld() { std::filesystem::remove_all(folder); }
};

}  // namespace benchsupport
