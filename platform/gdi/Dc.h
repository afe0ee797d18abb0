#pragma once

// The map's drawing interface: a device context in the Windows manner (logical units of
// 1/1440 inch over the device's pixels, y down, selected pen, brush and font, text and
// background colours, raster operation, clip rectangle), drawn by CairoDc onto any Cairo
// surface or logged call by call by RecordingDc. Drawing code talks only to Dc.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gdi {

// Colours as 0x00BBGGRR.
using ColorRef = uint32_t;
constexpr ColorRef Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) | (static_cast<ColorRef>(b) << 16);
}
constexpr uint8_t RedOf(ColorRef c) { return c & 0xFF; }
constexpr uint8_t GreenOf(ColorRef c) { return (c >> 8) & 0xFF; }
constexpr uint8_t BlueOf(ColorRef c) { return (c >> 16) & 0xFF; }

// Logical units per inch of every map device context.
inline constexpr int kLogicalPerInch = 1440;
// Figures whose coordinates pass this (either sign) are not drawn by the callers that must
// double a coordinate; lines and polygons take any int.
inline constexpr int kCoordinateLimit = 1 << 28;

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // Rectangles that only share an edge do not intersect.
  bool Intersects(const Rect& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
  Rect Union(const Rect& o) const;
  Rect Intersection(const Rect& o) const;
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle : uint8_t { Solid, Dot, Null };
enum class LineJoin : uint8_t { Round, Bevel, Miter };
enum class LineCap : uint8_t { Round, Square, Flat };

// Cosmetic pens are one device pixel wide at any scale; geometric pens have a width in
// logical units and their own joins and caps.
struct Pen {
  PenStyle style = PenStyle::Solid;
  bool geometric = false;
  int width = 0;
  ColorRef color = 0;
  LineJoin join = LineJoin::Round;
  LineCap cap = LineCap::Round;

  static constexpr Pen Cosmetic(ColorRef color, PenStyle style = PenStyle::Solid) {
    return Pen{style, false, 0, color, LineJoin::Round, LineCap::Round};
  }
  static constexpr Pen Geometric(int width, ColorRef color, LineJoin join = LineJoin::Round,
                       LineCap cap = LineCap::Round) {
    return Pen{PenStyle::Solid, true, width, color, join, cap};
  }
  static constexpr Pen None() { return Pen{PenStyle::Null, false, 0, 0, LineJoin::Round, LineCap::Round}; }
  friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle : uint8_t { Solid, Hatched, Null };
enum class Hatch : uint8_t { FDiagonal, BDiagonal, Cross };

struct Brush {
  BrushStyle style = BrushStyle::Solid;
  ColorRef color = 0xFFFFFF;
  Hatch hatch = Hatch::Cross;

  static constexpr Brush Solid(ColorRef color) { return Brush{BrushStyle::Solid, color, Hatch::Cross}; }
  static constexpr Brush Hatched(Hatch hatch, ColorRef color) { return Brush{BrushStyle::Hatched, color, hatch}; }
  static constexpr Brush None() { return Brush{BrushStyle::Null, 0, Hatch::Cross}; }
  friend bool operator==(const Brush&, const Brush&) = default;
};

// The stock objects.
enum class Stock { WhitePen, BlackPen, NullPen, WhiteBrush, BlackBrush, NullBrush };
Pen StockPen(Stock which);
Brush StockBrush(Stock which);

// A font as the map chooses it: the face name in code page 1252, the height in logical units
// (negative: character height; positive: cell height, as a LOGFONT), the weight 100..900.
struct Font {
  std::string face = "Sans";
  int height = -165;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// Logical units.
struct TextMetrics {
  int height = 0;
  int ascent = 0;
  int descent = 0;
  int aveCharWidth = 0;
};

enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };
enum Rop2 : int { R2_NOTXORPEN = 10, R2_COPYPEN = 13 };
enum class Align : uint8_t { Left, Center, Right };

class Dc {
 public:
  virtual ~Dc() = default;

  // ---- Mapping: logical units of 1/1440 inch, y down, shifted by the viewport origin ----------
  void SetResolution(double dpiX, double dpiY);
  double DpiX() const { return m_dpiX; }
  double DpiY() const { return m_dpiY; }
  void SetViewportOrigin(Point deviceOrigin) { m_origin = deviceOrigin; }
  Point GetViewportOrigin() const { return m_origin; }
  Point LPtoDP(Point p) const;
  Point DPtoLP(Point p) const;
  // Device pixels to logical units and back for a length (no origin).
  int DeviceToLogicalX(int pixels) const;
  int DeviceToLogicalY(int pixels) const;
  int LogicalToDeviceX(int units) const;

  // Printing selects the printing pens and leaves the background unfilled.
  bool IsPrinting() const { return m_printing; }
  void SetPrinting(bool printing) { m_printing = printing; }

  // ---- Objects and modes: each setter returns what was in force -------------------------------
  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  Font SelectFont(const Font& font);
  const Pen& GetPen() const { return m_state.pen; }
  const Brush& GetBrush() const { return m_state.brush; }
  const Font& GetFont() const { return m_state.font; }
  ColorRef SetTextColor(ColorRef color);
  ColorRef GetTextColor() const { return m_state.textColor; }
  ColorRef SetBkColor(ColorRef color);
  ColorRef GetBkColor() const { return m_state.bkColor; }
  int SetBkMode(int mode);
  int GetBkMode() const { return m_state.bkMode; }
  int SetROP2(int rop);
  int GetROP2() const { return m_state.rop2; }

  // Saves every object, mode, the current position and the clip; RestoreDC(-1) pops the last.
  int SaveDC();
  bool RestoreDC(int saved = -1);
  int SaveDepth() const { return static_cast<int>(m_saved.size()); }

  // Clip rectangles in logical units; Intersect narrows what is in force.
  void SetClipRect(const Rect& logical);
  void IntersectClipRect(const Rect& logical);
  void ClearClip();
  bool HasClip() const { return m_state.hasClip; }
  const Rect& GetClipRect() const { return m_state.clip; }

  // ---- Drawing (logical units) ----------------------------------------------------------------
  void MoveTo(int x, int y);
  Point GetCurrentPosition() const { return m_state.position; }
  void LineTo(int x, int y);
  void Polyline(std::span<const Point> points);
  // Alternate (even-odd) fill with the brush, outline with the pen.
  void Polygon(std::span<const Point> points);
  void Rectangle(int left, int top, int right, int bottom);
  void FillRect(const Rect& rect, const Brush& brush);
  void Ellipse(int left, int top, int right, int bottom);
  // Counter-clockwise on the screen from the radial through (xs, ys) to the radial through
  // (xe, ye) about the centre of the box; equal radials draw the whole ellipse.
  void Arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
  void SetPixel(int x, int y, ColorRef color);
  // Text in code page 1252 with its top-left corner at (x, y); an OPAQUE background mode
  // fills the text's box with the background colour first.
  void TextOut(int x, int y, std::string_view text);
  // One line in a rectangle, aligned horizontally and centred vertically.
  void DrawText(std::string_view text, const Rect& rect, Align align);
  virtual Size GetTextExtent(std::string_view text) = 0;
  virtual TextMetrics GetTextMetrics() = 0;

 protected:
  struct State {
    Pen pen;
    Brush brush;
    Font font;
    ColorRef textColor = 0x000000;
    ColorRef bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    Point position;
    bool hasClip = false;
    Rect clip;
  };
  const State& CurrentState() const { return m_state; }

  // What the two implementations provide; points in logical units, state as in force.
  virtual void DoPolyline(std::span<const Point> points) = 0;
  virtual void DoPolygon(std::span<const Point> points) = 0;
  virtual void DoRectangle(const Rect& rect) = 0;
  virtual void DoFillRect(const Rect& rect, const Brush& brush) = 0;
  virtual void DoEllipse(const Rect& rect) = 0;
  virtual void DoArc(const Rect& rect, Point start, Point end) = 0;
  virtual void DoSetPixel(Point p, ColorRef color) = 0;
  virtual void DoTextOut(Point p, std::string_view text) = 0;
  virtual void DoDrawText(std::string_view text, const Rect& rect, Align align) = 0;
  // Called after the clip changed (set, narrowed, cleared or restored).
  virtual void ClipChanged() {}

 private:
  State m_state;
  std::vector<State> m_saved;
  double m_dpiX = 96;
  double m_dpiY = 96;
  Point m_origin;
  bool m_printing = false;
};

// Restores every object and mode of a DC when it leaves scope, however the drawer leaves.
class DcStateGuard {
 public:
  explicit DcStateGuard(Dc& dc) : m_dc(dc), m_saved(dc.SaveDC()) {}
  ~DcStateGuard() { m_dc.RestoreDC(m_saved); }
  DcStateGuard(const DcStateGuard&) = delete;
  DcStateGuard& operator=(const DcStateGuard&) = delete;

 private:
  Dc& m_dc;
  int m_saved;
};

}  // namespace gdi
