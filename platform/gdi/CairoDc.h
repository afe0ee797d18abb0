#pragma once

// A Dc that draws through any cairo_t (image surface, PDF page, window, printer) and writes
// text with Pango. The cairo_t's matrix is left at identity: logical units are mapped to device
// pixels here, so lines can be clipped in device space before Cairo's 24.8 fixed point sees
// them.

#include <cairo.h>

#include <string>

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
  // Gives the layout the font in force; the text it holds stays when the font did.
  void ApplyLayoutFont();
  PangoLayout* Layout(std::string_view text);
  void Stroke();
  // True when nothing drawn inside the device box grown by `margin` can reach a pixel of the
  // clip in force: the drawing call can be left out, as it would change no pixel.
  bool OutsideClip(double x0, double y0, double x1, double y1, double margin) const;
  // How far a stroke's ink may reach beyond its path, in device pixels.
  double StrokeReach() const;
  void UpdateClipBounds();

  cairo_t* m_cr;
  Size m_deviceSize;
  double m_minX, m_minY, m_maxX, m_maxY;  // the grown bounds lines are clipped to
  double m_clipX0 = 0, m_clipY0 = 0, m_clipX1 = 0, m_clipY1 = 0;  // cairo's clip extents
  PangoLayout* m_layout = nullptr;
  Font m_layoutFont;
  bool m_layoutFontSet = false;
  // The text the layout holds (code page 1252), so measuring and then writing the same text
  // lays it out once.
  std::string m_layoutText;
  bool m_layoutTextSet = false;
  // The font's metrics in device pixels, read once per font.
  bool m_metricsSet = false;
  int m_ascent = 0, m_descent = 0, m_aveCharWidth = 0;
};

}  // namespace gdi
