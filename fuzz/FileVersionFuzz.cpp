// The version note reader over arbitrary executable images.
#include <cstdint>
#include <string_view>

#include "platform/win/FileVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  win::ParseFileVersion(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
