// The move-aircraft block and the copy-data text that announces it.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "simhost/MoveBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const auto t = simhost::ParseMoveBlock(data, size)) {
    if (!std::isfinite(t->latitude) || std::fabs(t->latitude) > 90 || !std::isfinite(t->heading)) std::abort();
  }
  simhost::ParsePipeAnnouncement(data, size);
  return 0;
}
