#include "plotr/shell/FloatGeometry.h"

#include <algorithm>
#include <climits>

FloatRect FloatClientRect(int width, int height, const FloatFrameStyle& style, const FloatMetrics& m) {
  const int edge = style.thickFrame ? m.frame : m.border;
  FloatRect r{edge, edge, width - edge, height - edge};
  r.top += m.buttonHeight;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

int FloatHitTest(int x, int y, int width, int height, const FloatRect& client, const FloatFrameStyle& style,
                 const FloatMetrics& m) {
  if (x < 0 || y < 0 || x >= width || y >= height) return kHitNowhere;
  if (x >= client.left && x < client.right && y >= client.top && y < client.bottom) return kHitClient;
  FloatRect r{0, 0, width, height};
  if (style.thickFrame) {
    const int cornerW = m.frame + m.buttonWidth - 3 * m.border;
    const int cornerH = m.frame + m.buttonHeight - 2 * m.border;
    int hit = kHitNowhere;
    const bool top = y < m.frame, bottom = y >= height - m.frame;
    const bool left = x < m.frame, right = x >= width - m.frame;
    if (top || bottom) {
      if (style.sidesOnly)
        hit = top ? kHitTop : kHitBottom;
      else if (x < cornerW)
        hit = top ? kHitTopLeft : kHitBottomLeft;
      else if (x >= width - cornerW)
        hit = top ? kHitTopRight : kHitBottomRight;
      else
        hit = top ? kHitTop : kHitBottom;
    } else if (left || right) {
      if (style.sidesOnly)
        hit = left ? kHitLeft : kHitRight;
      else if (y < cornerH)
        hit = left ? kHitTopLeft : kHitTopRight;
      else if (y >= height - cornerH)
        hit = left ? kHitBottomLeft : kHitBottomRight;
      else
        hit = left ? kHitLeft : kHitRight;
    }
    if (hit != kHitNowhere) return style.frameMoves ? kHitCaption : hit;
    r = {m.frame, m.frame, width - m.frame, height - m.frame};
  }
  if (y >= r.top + m.buttonHeight) return kHitError;
  int edge = r.right;
  if (style.closeButton) {
    if (x > edge - m.buttonWidth && x < edge) return kHitClose;
    edge -= m.buttonWidth + 2;
  }
  if (style.maximizeButton) {
    if (x > edge - m.buttonWidth && x < edge) return kHitMaximize;
    edge -= m.buttonWidth + 2;
  }
  if (style.minimizeButton) {
    if (x > edge - m.buttonWidth && x < edge) return kHitMinimize;
  }
  return kHitCaption;
}

FloatRect FitPlacement(FloatRect p, const std::vector<FloatRect>& workAreas) {
  p.right = p.left + std::max(p.Width(), 100);
  p.bottom = p.top + std::max(p.Height(), 100);
  if (workAreas.empty()) return p;
  const FloatRect* best = nullptr;
  long long bestOverlap = 0;
  long long bestDistance = LLONG_MAX;
  for (const FloatRect& a : workAreas) {
    const long long w = std::min(p.right, a.right) - std::max(p.left, a.left);
    const long long h = std::min(p.bottom, a.bottom) - std::max(p.top, a.top);
    const long long overlap = w > 0 && h > 0 ? w * h : 0;
    const long long dx = (p.left + p.right) / 2 - (a.left + a.right) / 2;
    const long long dy = (p.top + p.bottom) / 2 - (a.top + a.bottom) / 2;
    const long long distance = dx * dx + dy * dy;
    if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
      best = &a;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  const FloatRect& a = *best;
  const int width = std::min(p.Width(), a.Width());
  const int height = std::min(p.Height(), a.Height());
  p.right = p.left + width;
  p.bottom = p.top + height;
  if (p.left < a.left) p = {a.left, p.top, a.left + width, p.bottom};
  if (p.top < a.top) p = {p.left, a.top, p.right, a.top + height};
  if (p.right > a.right) p = {a.right - width, p.top, a.right, p.bottom};
  if (p.bottom > a.bottom) p = {p.left, a.bottom - height, p.right, a.bottom};
  return p;
}
