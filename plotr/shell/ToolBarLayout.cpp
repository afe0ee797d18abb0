#include "plotr/shell/ToolBarLayout.h"

#include <algorithm>

ToolBarSize CalcToolBarSize(const std::vector<ToolItem>& items, ToolBarSize button) {
  ToolBarSize size;
  int x = 0, y = 0;
  for (const ToolItem& item : items) {
    if (item.hidden) continue;
    if (item.separator) {
      if (item.wrap)
        size.cy = std::max(size.cy, y + button.cy + item.width * 2 / 3);
      else
        size.cx = std::max(size.cx, x + item.width);
      x += item.width;
    } else {
      size.cx = std::max(size.cx, x + button.cx);
      size.cy = std::max(size.cy, y + button.cy);
      x += button.cx;
    }
    if (item.wrap) {
      x = 0;
      y += button.cy;
      if (item.separator) y += item.width * 2 / 3 + 3;
    }
  }
  return size;
}

int WrapToolBar(std::vector<ToolItem>& items, int width, ToolBarSize button) {
  for (ToolItem& item : items) item.wrap = false;
  int rows = 1;
  int x = 0;
  size_t rowStart = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const ToolItem& item = items[i];
    if (item.hidden) continue;
    const int w = item.separator ? item.width : button.cx;
    if (x + w > width && i > rowStart) {
      // Break at the row's last separator, the one that does not fit included, else after its
      // last button.
      size_t at = items[i].separator && items[i].command == 0 ? i : items.size();
      for (size_t k = i; at == items.size() && k-- > rowStart;)
        if (!items[k].hidden && items[k].separator && items[k].command == 0) {
          at = k;
          break;
        }
      if (at == items.size())
        for (size_t k = i; k-- > rowStart;)
          if (!items[k].hidden && !items[k].separator) {
            at = k;
            break;
          }
      if (at != items.size()) {
        items[at].wrap = true;
        ++rows;
        rowStart = at + 1;
        x = 0;
        i = at;
        continue;
      }
    }
    x += w;
  }
  return rows;
}
