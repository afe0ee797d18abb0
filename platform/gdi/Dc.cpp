#include "platform/gdi/Dc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace gdi {

Rect Rect::Union(const Rect& o) const {
  if (IsEmpty()) return o;
  if (o.IsEmpty()) return *this;
  return Rect{std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
              std::max(bottom, o.bottom)};
}

Rect Rect::Intersection(const Rect& o) const {
  Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
         std::min(bottom, o.bottom)};
  if (r.IsEmpty()) return Rect{};
  return r;
}

Pen StockPen(Stock which) {
  switch (which) {
    case Stock::WhitePen: return Pen::Cosmetic(0xFFFFFF);
    case Stock::NullPen: return Pen::None();
    default: return Pen::Cosmetic(0x000000);
  }
}

Brush StockBrush(Stock which) {
  switch (which) {
    case Stock::BlackBrush: return Brush::Solid(0x000000);
    case Stock::NullBrush: return Brush::None();
    default: return Brush::Solid(0xFFFFFF);
  }
}

namespace {
// Rounds half away from zero like MulDiv, saturating at the int range.
int RoundToInt(double v) {
  if (!(v > -2147483648.0)) return INT32_MIN;
  if (!(v < 2147483647.0)) return INT32_MAX;
  return static_cast<int>(std::lround(v));
}
}  // namespace

void Dc::SetResolution(double dpiX, double dpiY) {
  m_dpiX = dpiX > 0 ? dpiX : 96;
  m_dpiY = dpiY > 0 ? dpiY : 96;
}

Point Dc::LPtoDP(Point p) const {
  return Point{RoundToInt(p.x * m_dpiX / kLogicalPerInch) + m_origin.x,
               RoundToInt(p.y * m_dpiY / kLogicalPerInch) + m_origin.y};
}

Point Dc::DPtoLP(Point p) const {
  return Point{RoundToInt((static_cast<double>(p.x) - m_origin.x) * kLogicalPerInch / m_dpiX),
               RoundToInt((static_cast<double>(p.y) - m_origin.y) * kLogicalPerInch / m_dpiY)};
}

int Dc::DeviceToLogicalX(int pixels) const { return RoundToInt(pixels * kLogicalPerInch / m_dpiX); }
int Dc::DeviceToLogicalY(int pixels) const { return RoundToInt(pixels * kLogicalPerInch / m_dpiY); }
int Dc::LogicalToDeviceX(int units) const { return RoundToInt(units * m_dpiX / kLogicalPerInch); }

Pen Dc::SelectPen(const Pen& pen) { return std::exchange(m_state.pen, pen); }
Brush Dc::SelectBrush(const Brush& brush) { return std::exchange(m_state.brush, brush); }
Font Dc::SelectFont(const Font& font) { return std::exchange(m_state.font, font); }
ColorRef Dc::SetTextColor(ColorRef color) { return std::exchange(m_state.textColor, color); }
ColorRef Dc::SetBkColor(ColorRef color) { return std::exchange(m_state.bkColor, color); }
int Dc::SetBkMode(int mode) { return std::exchange(m_state.bkMode, mode); }
int Dc::SetROP2(int rop) { return std::exchange(m_state.rop2, rop); }

int Dc::SaveDC() {
  m_saved.push_back(m_state);
  return static_cast<int>(m_saved.size());
}

bool Dc::RestoreDC(int saved) {
  if (saved < 0) saved = static_cast<int>(m_saved.size()) + 1 + saved;
  if (saved < 1 || saved > static_cast<int>(m_saved.size())) return false;
  const bool clipChanged = m_state.hasClip != m_saved[saved - 1].hasClip ||
                           !(m_state.clip == m_saved[saved - 1].clip);
  m_state = m_saved[saved - 1];
  m_saved.resize(saved - 1);
  if (clipChanged) ClipChanged();
  return true;
}

void Dc::SetClipRect(const Rect& logical) {
  m_state.hasClip = true;
  m_state.clip = logical;
  ClipChanged();
}

void Dc::IntersectClipRect(const Rect& logical) {
  m_state.clip = m_state.hasClip ? m_state.clip.Intersection(logical) : logical;
  m_state.hasClip = true;
  ClipChanged();
}

void Dc::ClearClip() {
  m_state.hasClip = false;
  m_state.clip = Rect{};
  ClipChanged();
}

void Dc::MoveTo(int x, int y) { m_state.position = Point{x, y}; }

void Dc::LineTo(int x, int y) {
  const Point line[2] = {m_state.position, Point{x, y}};
  DoPolyline(line);
  m_state.position = line[1];
}

void Dc::Polyline(std::span<const Point> points) {
  if (points.size() < 2) return;
  DoPolyline(points);
}

void Dc::Polygon(std::span<const Point> points) {
  if (points.size() < 2) return;
  DoPolygon(points);
}

void Dc::Rectangle(int left, int top, int right, int bottom) {
  DoRectangle(Rect{std::min(left, right), std::min(top, bottom), std::max(left, right),
                   std::max(top, bottom)});
}

void Dc::FillRect(const Rect& rect, const Brush& brush) {
  if (rect.IsEmpty()) return;
  DoFillRect(rect, brush);
}

void Dc::Ellipse(int left, int top, int right, int bottom) {
  DoEllipse(Rect{std::min(left, right), std::min(top, bottom), std::max(left, right),
                 std::max(top, bottom)});
}

void Dc::Arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
  DoArc(Rect{std::min(left, right), std::min(top, bottom), std::max(left, right),
             std::max(top, bottom)},
        Point{xs, ys}, Point{xe, ye});
}

void Dc::SetPixel(int x, int y, ColorRef color) { DoSetPixel(Point{x, y}, color); }

void Dc::TextOut(int x, int y, std::string_view text) {
  if (text.empty()) return;
  DoTextOut(Point{x, y}, text);
}

void Dc::DrawText(std::string_view text, const Rect& rect, Align align) {
  if (text.empty()) return;
  DoDrawText(text, rect, align);
}

}  // namespace gdi
