// Compressed scenery files: the header checks and the LZ decoder over arbitrary bytes.
#include <cstdint>
#include <cstring>
#include <vector>

#include "basemaker/compiler/CompressedBgl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t outSize = 0;
  uint8_t* buffer = nullptr;
  if (DecodeCompressedBgl(data, size, &outSize, &buffer) == kCbglOk) {
    // Touch every byte so a short allocation shows up under the sanitizer.
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < outSize; ++i) sum = static_cast<uint8_t>(sum + buffer[i]);
    FreeCompressedBgl(outSize, buffer);
  }
  // The bare stream with a small output of the size the first byte asks for.
  if (size > 1) {
    std::vector<uint8_t> out(data[0] * 16u);
    LzDecode(data + 1, size - 1, out.data(), static_cast<uint32_t>(out.size()));
  }
  return 0;
}
