// The WAVE parser: any bytes either fail cleanly or give whole frames of a supported layout
// that lie inside the input.
#include <cstdint>
#include <cstdlib>

#include "platform/sound/Wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto wave = sound::ParseWave(data, size);
  if (!wave) return 0;
  const sound::WaveFormat& f = wave->format;
  if (f.blockAlign == 0 || wave->data.size() % f.blockAlign != 0 || wave->data.size() > size) std::abort();
  if (f.channels < 1 || f.channels > 2 || (f.bitsPerSample != 8 && f.bitsPerSample != 16)) std::abort();
  return 0;
}
