#pragma once

// A Dc that draws through any cairo_t (image surface, PDF page, window, printer) and writes
// text with Pango. The cairo_t's matrix is left at identity: logical units are mapped to device
// pixels here, so lines can be clipped in device space before Cairo's 24.8 fixed point sees
// them.

#include <cairo.h>

#include "platform/gdi/Dc.h"

typedef struct _PangoLayout PangoLayout;

namespace gdi {

class CairoDc : public Dc {
 public:
  // `deviceSize` is the drawable size in device pixels; lines are clipped to it grown by its
  // own size on every side.
  CairoDc(cairo_t* cr, Size deviceSize, double dpiX = 96, double dpiY = 96);
  ~CairoDc() override;
  CairoDc(const CairoDc&) = delete;
  CairoDc& operator=(const CairoDc&) = delete;

  cairo_t* Context() const { return m_cr; }
  Size DeviceSize() const { return m_deviceSize; }

  Size GetTextExtent(std::string_view text) override;
  TextMetrics GetTextMetrics() override;

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
  void ClipChanged() override;

 private:
  struct DPoint {
    double x, y;
  };
  DPoint ToDevice(Point p, bool pixelCentre) const;
  bool Stroking() const;
  void ApplyPen();
  // Sets the brush as the source; false for a null brush.
  bool ApplyBrush(const Brush& brush);
  void SetColor(ColorRef color);
  void FillCurrentPath(const Brush& brush);
  PangoLayout* Layout(std::string_view text);
  void Stroke();

  cairo_t* m_cr;
  Size m_deviceSize;
  double m_minX, m_minY, m_maxX, m_maxY;  // the grown bounds lines are clipped to
  PangoLayout* m_layout = nullptr;
  Font m_layoutFont;
  bool m_layoutFontSet = false;
};

}  // namespace gdi
