#pragma once
// The stand-in simulator's command line.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "simhost/Aircraft.h"

namespace simhost {

struct HostOptions {
  int simVersion = 0;              // 61, 70, 80 or 90; 0: from the executable's file version
  std::filesystem::path root;      // the simulator root; empty: the executable's folder
  AircraftStart start;
  double timeScale = 1;            // simulated seconds per second of the wall clock
  bool loadOnly = false;           // load the modules, report them on stdout and quit
  // Hosting the multiplayer session: nothing without --mp-host; the port 0 takes a free one.
  std::optional<uint16_t> mpPort;
  std::string mpPassword;
  uint32_t mpPilotLimit = 8;
  uint32_t mpObserverLimit = 2;
};

inline constexpr const char* kHostUsage =
    "usage: simhost [--sim-version 61|70|80|90] [--root FOLDER]\n"
    "               [--start LAT,LON,ALT_FT,HEADING,KNOTS] [--time-scale FACTOR] [--load-only]\n"
    "               [--mp-host[=PORT]] [--mp-password TEXT] [--mp-limits PILOTS,OBSERVERS]\n";

// The fastest time scale: the simulation rate's top in simulators of this kind.
inline constexpr double kMaxTimeScale = 128;

// nullopt with the reason in `error` for an unknown option or a bad value.
std::optional<HostOptions> ParseHostOptions(const std::vector<std::string>& args, std::string& error);

// The simulator version a file version stands for: major x 10 + minor / 10 (9.0 -> 90, 6.10 -> 61).
int SimVersionFromFileVersion(int major, int minor);

}  // namespace simhost
