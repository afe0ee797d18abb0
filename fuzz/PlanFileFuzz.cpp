// Plan files over arbitrary bytes: plans come from other players as well as from disk.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/WorkFolder.h"
#include "platform/archive/Exceptions.h"
#include "platform/archive/MemoryFile.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/Route.h"

namespace {

// The route's aircraft comes from "Aircraft.ini": keep it and the settings in a folder of our own.
bool Prepare() {
  const std::filesystem::path& folder = fuzzsupport::WorkFolder("plotr-planfile-fuzz");
  g_Settings.SetProfileFile(folder / "Program.cfg");
  SetAircraftProfileFolder(folder);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = Prepare();
  (void)prepared;
  std::vector<uint8_t> bytes(data, data + size);
  archive::MemoryFile file(std::move(bytes), "fuzz.cwp");
  CRoute route;
  uint16_t format = 0;
  try {
    const int dropped = route.Load(format, file);
    if (dropped < 0 || (format != 103 && format != 105)) __builtin_trap();
    // Every loaded point came from a 10-byte record of the input.
    if (static_cast<size_t>(route.GetCount()) * 10 > size) __builtin_trap();
    for (int i = 0; i < route.GetCount(); ++i) {
      if (std::memchr(route[i].userName, 0, sizeof route[i].userName) == nullptr) __builtin_trap();
    }
    if (route.m_profile.name[sizeof route.m_profile.name - 1] != '\0') __builtin_trap();
  } catch (const archive::ArchiveException& e) {
    if (e.cause != archive::ArchiveException::badIndex) __builtin_trap();
    if (route.GetCount() != 0) __builtin_trap();
  }
  return 0;
}
