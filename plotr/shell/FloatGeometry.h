#pragma once
// The floating frame's own non-client area, without windows: where a point hits (the codes the
// system's hit test uses) and where a stored placement lands on the present monitors.

#include <vector>

struct FloatRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const FloatRect&) const = default;
};

enum FloatHit : int {
  kHitError = -2,
  kHitNowhere = 0,
  kHitClient = 1,
  kHitCaption = 2,
  kHitClose = 3,
  kHitMinimize = 8,
  kHitMaximize = 9,
  kHitLeft = 10,
  kHitRight = 11,
  kHitTop = 12,
  kHitTopLeft = 13,
  kHitTopRight = 14,
  kHitBottom = 15,
  kHitBottomLeft = 16,
  kHitBottomRight = 17,
};

struct FloatFrameStyle {
  bool thickFrame = true;
  bool sidesOnly = false;     // sizing from the sides only, no corners
  bool frameMoves = false;    // every frame hit moves the window
  bool closeButton = true;
  bool maximizeButton = true;
  bool minimizeButton = true;
};

struct FloatMetrics {
  int frame = 4;          // sizing frame width and height
  int border = 1;
  int buttonWidth = 14;
  int buttonHeight = 12;
};

// The hit code of window coordinates (x, y) in a window of the given size whose client
// rectangle is `client`.
int FloatHitTest(int x, int y, int width, int height, const FloatRect& client, const FloatFrameStyle& style,
                 const FloatMetrics& m);

// The client rectangle of a window of the given size (window coordinates).
FloatRect FloatClientRect(int width, int height, const FloatFrameStyle& style, const FloatMetrics& m);

// A stored placement made usable: width and height at least 100, then fitted into the work area
// of the monitor nearest to it (the largest overlap, else the nearest centre): cut to its size,
// then moved right, down, left and up as needed. No work areas: the placement as it is.
FloatRect FitPlacement(FloatRect placement, const std::vector<FloatRect>& workAreas);
