// The texts and records the planner takes from outside: the map font and hot-key values of the
// settings file, and waypoint records from the clipboard or a drop.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "plotr/core/Settings.h"
#include "plotr/plan/PlanPoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  LogFont font;
  if (DecodeFontText(text, font)) {
    // A decoded font always has a terminated face name.
    if (std::memchr(font.faceName, 0, sizeof font.faceName) == nullptr) __builtin_trap();
  }

  HotKey key{"F9", false, true, false};
  CSettings::ParseHotKey(text, key);

  if (auto point = ReadPlanPoint(std::span<const uint8_t>(data, size))) {
    if (point->UserName().size() >= kUserNameSize) __builtin_trap();
  }
  return 0;
}
