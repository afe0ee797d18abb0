#include "platform/gdi/RecordingDc.h"

#include <algorithm>
#include <cstdlib>

namespace gdi {

Size RecordingDc::GetTextExtent(std::string_view text) {
  const TextMetrics m = GetTextMetrics();
  return Size{static_cast<int>(text.size()) * m.aveCharWidth, m.height};
}

TextMetrics RecordingDc::GetTextMetrics() {
  const int h = std::max(2, std::abs(GetFont().height));
  return TextMetrics{h, h * 4 / 5, h - h * 4 / 5, h / 2};
}

std::vector<RecordedCall> RecordingDc::CallsOf(Op op) const {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : m_calls) {
    if (c.op == op) out.push_back(c);
  }
  return out;
}

RecordedCall& RecordingDc::Record(Op op) {
  const State& s = CurrentState();
  RecordedCall& c = m_calls.emplace_back();
  c.op = op;
  c.pen = s.pen;
  c.brush = s.brush;
  c.font = s.font;
  c.textColor = s.textColor;
  c.bkColor = s.bkColor;
  c.bkMode = s.bkMode;
  c.rop2 = s.rop2;
  c.clipped = s.hasClip;
  c.clip = s.clip;
  return c;
}

void RecordingDc::DoPolyline(std::span<const Point> points) {
  Record(Op::Polyline).points.assign(points.begin(), points.end());
}

void RecordingDc::DoPolygon(std::span<const Point> points) {
  Record(Op::Polygon).points.assign(points.begin(), points.end());
}

void RecordingDc::DoRectangle(const Rect& rect) { Record(Op::Rectangle).rect = rect; }

void RecordingDc::DoFillRect(const Rect& rect, const Brush& brush) {
  RecordedCall& c = Record(Op::FillRect);
  c.rect = rect;
  c.brush = brush;
}

void RecordingDc::DoEllipse(const Rect& rect) { Record(Op::Ellipse).rect = rect; }

void RecordingDc::DoArc(const Rect& rect, Point start, Point end) {
  RecordedCall& c = Record(Op::Arc);
  c.rect = rect;
  c.points = {start, end};
}

void RecordingDc::DoSetPixel(Point p, ColorRef color) {
  RecordedCall& c = Record(Op::SetPixel);
  c.points = {p};
  c.color = color;
}

void RecordingDc::DoTextOut(Point p, std::string_view text) {
  RecordedCall& c = Record(Op::TextOut);
  c.points = {p};
  c.text = text;
  const Size size = GetTextExtent(text);
  c.rect = Rect{p.x, p.y, p.x + size.cx, p.y + size.cy};
}

void RecordingDc::DoDrawText(std::string_view text, const Rect& rect, Align align) {
  RecordedCall& c = Record(Op::DrawText);
  c.text = text;
  c.rect = rect;
  c.align = align;
}

}  // namespace gdi
