// Typed coordinates: any bytes as a latitude and as a longitude, with and without unit marks.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plotr/views/CoordinateText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const bool latitude : {true, false}) {
    for (const bool symbols : {true, false}) {
      const CoordinateParse r = ParseCoordinateText(text, latitude, symbols);
      const float limit = latitude ? 90.0f : 180.0f;
      if (r.Valid()) {
        if (r.position != -1 || !std::isfinite(r.value) || std::fabs(r.value) > limit) __builtin_trap();
        // What is accepted shows as a field text that reads back.
        if (!ParseCoordinateText(CoordinateFieldText(r.value, latitude), latitude, false).Valid()) __builtin_trap();
      } else if (static_cast<size_t>(r.position) > size) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
