#pragma once
// A move block as a module's move worker fills it: the tags the host checks and six values.

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/simapi/SimApi.h"

namespace simhost::testing {

inline std::vector<unsigned char> MakeMoveBlock(const double values[6]) {
  std::vector<unsigned char> b(simapi::kMoveBlockSize, 0);
  const auto tag = [&](size_t at, const char* t) { std::memcpy(b.data() + at, t, 4); };
  tag(0, "FSIB");
  tag(8, "BFIB");
  tag(16, "ODIB");
  tag(40, "PDIB");
  tag(251, "FRIB");
  for (int i = 0; i < 6; ++i) {
    const uint16_t head[3] = {4096, static_cast<uint16_t>(i + 1), 2};
    std::memcpy(b.data() + 275 + 14 * i, head, 6);
    std::memcpy(b.data() + 275 + 14 * i + 6, &values[i], 8);
  }
  return b;
}

}  // namespace simhost::testing
