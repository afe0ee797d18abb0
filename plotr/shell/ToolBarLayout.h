#pragma once
// The tool bar's layout without windows: the size a row of buttons and separators takes, and
// where it wraps to fit a width.

#include <vector>

struct ToolItem {
  int command = 0;         // 0 for a separator
  bool separator = false;
  int width = 8;           // a separator's width; buttons take the bar's button width
  bool hidden = false;
  bool wrap = false;       // the row ends after this item
};

struct ToolBarSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const ToolBarSize&) const = default;
};

// Buttons are 7 wider and 6 higher than their images.
inline ToolBarSize ButtonSizeForImage(int imageWidth, int imageHeight) { return {imageWidth + 7, imageHeight + 6}; }

// The extent the items reach from (0, 0); a wrapping separator adds two thirds of its width
// (and 3 more to the next row's position).
ToolBarSize CalcToolBarSize(const std::vector<ToolItem>& items, ToolBarSize button);

// Sets the wrap flags so every row fits into `width` where it can: at the last separator of the
// row, else after the last button before the item that does not fit. Returns the row count.
int WrapToolBar(std::vector<ToolItem>& items, int width, ToolBarSize button);
