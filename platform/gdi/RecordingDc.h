#pragma once

// The recording twin of CairoDc: every drawing call is logged in logical units with the
// objects and modes in force, and text is measured with fixed metrics (a character is half the
// font height wide), so drawing code is tested by what it draws on any machine.

#include <string>
#include <vector>

#include "platform/gdi/Dc.h"

namespace gdi {

enum class Op { Polyline, Polygon, Rectangle, FillRect, Ellipse, Arc, SetPixel, TextOut, DrawText };

struct RecordedCall {
  Op op = Op::Polyline;
  std::vector<Point> points;  // Arc: start and end radial points
  Rect rect;                  // box of rectangles, ellipses, arcs and text
  std::string text;
  Pen pen;
  Brush brush;  // the fill brush of FillRect, else the selected brush
  Font font;
  ColorRef textColor = 0;
  ColorRef bkColor = 0;
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  bool clipped = false;
  Rect clip;
  ColorRef color = 0;  // SetPixel
  Align align = Align::Left;
};

class RecordingDc : public Dc {
 public:
  RecordingDc() = default;

  Size GetTextExtent(std::string_view text) override;
  TextMetrics GetTextMetrics() override;

  const std::vector<RecordedCall>& Calls() const { return m_calls; }
  std::vector<RecordedCall> CallsOf(Op op) const;
  void Clear() { m_calls.clear(); }

 protected:
  void DoPolyline(std::span<const Point> points) override;
  void DoPolygon(std::span<const Point> points) override;
  void DoRectangle(const Rect& rect) override;
  void DoFillRect(const Rect& rect, const Brush& brush) override;
  void DoEllipse(const Rect& rect) override;
  void DoArc(const Rect& rect, Point start, Point end) override;
  void DoSetPixel(Point p, ColorRef color) override;
  void DoTextOut(Point p, std::string_view text) override;
  void DoDrawText(std::string_view text, const Rect& rect, Align align) override;

 private:
  RecordedCall& Record(Op op);
  std::vector<RecordedCall> m_calls;
};

}  // namespace gdi
