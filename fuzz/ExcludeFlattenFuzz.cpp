// The Exclude and Flatten syntax over arbitrary bytes: whatever is typed, the part to select
// lies within the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "basemaker/app/ExcludeFlatten.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int length = static_cast<int>(size);
  for (bool exclude : {false, true}) {
    TextSelection selection{-1, -1};
    const bool valid = exclude ? ValidateExclude(text, selection) : ValidateFlatten(text, selection);
    (void)valid;
    if (selection.start < 0 || selection.start > selection.end || selection.end > length) std::abort();
  }
  return 0;
}
