// The file dialog's readers of outside data: the filter list (plug-ins hand theirs over) and
// the plan-file head the open dialog previews. The first byte picks the reader.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "plotr/tools/FileDialogModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t* body = data + 1;
  const size_t length = size - 1;
  if (data[0] & 1) {
    const std::string_view text(reinterpret_cast<const char*>(body), length);
    for (const filedlg::FilterEntry& e : filedlg::ParseFilter(text)) {
      if (e.name.empty() || e.pattern.empty()) __builtin_trap();
      filedlg::MatchesPattern(e.pattern, text);
    }
  } else {
    const uint64_t fileLength = length >= 4 ? (uint64_t{body[0]} | uint64_t{body[1]} << 8 | uint64_t{body[2]} << 16 |
                                               uint64_t{body[3]} << 24)
                                            : length;
    const std::string title = filedlg::PlanPreviewTitle(body, length, fileLength);
    if (title.size() > 256) __builtin_trap();
  }
  return 0;
}
