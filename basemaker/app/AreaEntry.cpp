#include "basemaker/app/AreaEntry.h"

void AreaEntry::ParsePathValue(const std::string& value) {
  cdLabel.clear();
  path.clear();
  onCd = false;
  bool inLabel = false;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (i == 0 && c == '[') {
      onCd = true;
      inLabel = true;
    } else if (inLabel && c == ']') {
      inLabel = false;
    } else if (inLabel) {
      cdLabel += c;
    } else {
      path += c;
    }
  }
}

std::string AreaEntry::FormatPathValue() const {
  return onCd ? "[" + cdLabel + "]" + path : path;
}
