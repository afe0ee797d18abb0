#include "plotr/shell/SplitLayout.h"

#include <algorithm>

void LayoutSpans(std::vector<SplitSpan>& spans, int length, int gap) {
  if (spans.empty()) return;
  int room = std::max(length, 0);
  for (size_t i = 0; i + 1 < spans.size(); ++i) {
    SplitSpan& s = spans[i];
    if (room == 0 || s.ideal < s.minimum || (i != 0 && room < s.minimum)) {
      s.current = 0;
    } else {
      s.current = std::min(s.ideal, room);
    }
    room = std::max(room - s.current - gap, 0);
  }
  spans.back().current = room;
}

void ResizeSpans(std::vector<SplitSpan>& spans, int mode, int oldLength, int newLength, int gap) {
  if (newLength <= 0 || spans.empty()) return;
  if (mode == 1) {
    int room = newLength;
    for (size_t k = spans.size(); k-- > 0;) {
      SplitSpan& s = spans[k];
      if (s.current < 0) continue;
      s.ideal = (k != 0 && s.current <= room) ? s.current : room;
      room -= s.ideal;
      if (k != 0) {
        if (room >= gap) {
          room -= gap;
        } else {
          s.ideal = std::max(s.ideal + room - gap, 0);
          room = 0;
        }
      }
    }
  } else if (mode == 2 && oldLength > 0) {
    for (size_t k = 0; k + 1 < spans.size(); ++k)
      spans[k].ideal = static_cast<int>((static_cast<long long>(spans[k].current) * newLength + oldLength / 2) / oldLength);
    spans.back().ideal = 0;
  }
}

SplitKeyRoute RouteSplitKey(SplitKey key, bool floating, bool shift) {
  switch (key) {
    case SplitKey::kCancel: return {true, false};
    case SplitKey::kNavigation: return {false, true};
    case SplitKey::kReturnOrBack: return {floating && shift, true};
    case SplitKey::kOther: return {true, true};
  }
  return {};
}
