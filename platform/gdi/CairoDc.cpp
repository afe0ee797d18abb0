#include "platform/gdi/CairoDc.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/win/Codepage.h"

namespace gdi {

namespace {

struct Seg {
  double x0, y0, x1, y1;
};

// Liang-Barsky: clips the segment to the box; false when nothing of it lies inside.
bool ClipSegment(Seg& s, double minX, double minY, double maxX, double maxY) {
  const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {s.x0 - minX, maxX - s.x0, s.y0 - minY, maxY - s.y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
  }
  const Seg in = s;
  s.x0 = in.x0 + t0 * dx;
  s.y0 = in.y0 + t0 * dy;
  s.x1 = in.x0 + t1 * dx;
  s.y1 = in.y0 + t1 * dy;
  return true;
}

// Sutherland-Hodgman against one edge of the box at a time.
template <class Inside, class Cross>
std::vector<std::pair<double, double>> ClipPolygonEdge(const std::vector<std::pair<double, double>>& in,
                                                      Inside inside, Cross cross) {
  std::vector<std::pair<double, double>> out;
  if (in.empty()) return out;
  out.reserve(in.size() + 4);
  auto prev = in.back();
  bool prevIn = inside(prev);
  for (const auto& cur : in) {
    const bool curIn = inside(cur);
    if (curIn != prevIn) out.push_back(cross(prev, cur));
    if (curIn) out.push_back(cur);
    prev = cur;
    prevIn = curIn;
  }
  return out;
}

using DP = std::pair<double, double>;

std::vector<DP> ClipPolygon(std::vector<DP> poly, double minX, double minY, double maxX, double maxY) {
  auto atX = [](const DP& a, const DP& b, double x) {
    return DP{x, a.second + (b.second - a.second) * (x - a.first) / (b.first - a.first)};
  };
  auto atY = [](const DP& a, const DP& b, double y) {
    return DP{a.first + (b.first - a.first) * (y - a.second) / (b.second - a.second), y};
  };
  poly = ClipPolygonEdge(poly, [&](const DP& p) { return p.first >= minX; },
                         [&](const DP& a, const DP& b) { return atX(a, b, minX); });
  poly = ClipPolygonEdge(poly, [&](const DP& p) { return p.first <= maxX; },
                         [&](const DP& a, const DP& b) { return atX(a, b, maxX); });
  poly = ClipPolygonEdge(poly, [&](const DP& p) { return p.second >= minY; },
                         [&](const DP& a, const DP& b) { return atY(a, b, minY); });
  poly = ClipPolygonEdge(poly, [&](const DP& p) { return p.second <= maxY; },
                         [&](const DP& a, const DP& b) { return atY(a, b, maxY); });
  return poly;
}

// The 8 x 8 device-pixel hatch tile: the hatch lines opaque, the gaps clear.
cairo_pattern_t* HatchPattern(Hatch hatch, ColorRef color) {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(tile);
  unsigned char* data = cairo_image_surface_get_data(tile);
  const int stride = cairo_image_surface_get_stride(tile);
  const uint32_t argb = 0xFF000000u | (static_cast<uint32_t>(RedOf(color)) << 16) |
                        (static_cast<uint32_t>(GreenOf(color)) << 8) | BlueOf(color);
  for (int y = 0; y < 8; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (hatch) {
        case Hatch::FDiagonal: on = x == y; break;
        case Hatch::BDiagonal: on = x == 7 - y; break;
        case Hatch::Cross: on = x == 0 || y == 0; break;
      }
      row[x] = on ? argb : 0;
    }
  }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  cairo_surface_destroy(tile);
  return pattern;
}

}  // namespace

CairoDc::CairoDc(cairo_t* cr, Size deviceSize, double dpiX, double dpiY)
    : m_cr(cr), m_deviceSize(deviceSize) {
  SetResolution(dpiX, dpiY);
  const double w = std::max(1, deviceSize.cx), h = std::max(1, deviceSize.cy);
  m_minX = -w;
  m_minY = -h;
  m_maxX = 2 * w;
  m_maxY = 2 * h;
  cairo_reference(m_cr);
  cairo_save(m_cr);
  cairo_identity_matrix(m_cr);
  UpdateClipBounds();
}

CairoDc::~CairoDc() {
  if (m_layout) g_object_unref(m_layout);
  cairo_restore(m_cr);
  cairo_destroy(m_cr);
}

CairoDc::DPoint CairoDc::ToDevice(Point p, bool pixelCentre) const {
  const Point origin = GetViewportOrigin();
  double x = p.x * DpiX() / kLogicalPerInch + origin.x;
  double y = p.y * DpiY() / kLogicalPerInch + origin.y;
  if (pixelCentre) {
    x = std::round(x) + 0.5;
    y = std::round(y) + 0.5;
  }
  return DPoint{x, y};
}

void CairoDc::UpdateClipBounds() { cairo_clip_extents(m_cr, &m_clipX0, &m_clipY0, &m_clipX1, &m_clipY1); }

bool CairoDc::OutsideClip(double x0, double y0, double x1, double y1, double margin) const {
  return std::max(x0, x1) + margin < m_clipX0 || std::min(x0, x1) - margin > m_clipX1 ||
         std::max(y0, y1) + margin < m_clipY0 || std::min(y0, y1) - margin > m_clipY1;
}

double CairoDc::StrokeReach() const {
  const Pen& pen = GetPen();
  const double width = pen.geometric ? std::max(1.0, pen.width * DpiX() / kLogicalPerInch) : 1;
  // A mitred corner reaches out up to the miter limit (cairo's 10) times the half width.
  const bool miter = pen.geometric && pen.join == LineJoin::Miter;
  return width / 2 * (miter ? 10 : 1.5) + 2;
}

void CairoDc::SetColor(ColorRef color) {
  cairo_set_source_rgb(m_cr, RedOf(color) / 255.0, GreenOf(color) / 255.0, BlueOf(color) / 255.0);
}

bool CairoDc::Stroking() const { return GetPen().style != PenStyle::Null; }

void CairoDc::ApplyPen() {
  const Pen& pen = GetPen();
  ColorRef color = pen.color;
  // Not-XOR-pen: the pen's complement subtracted from what lies below, so a black pen inverts
  // the picture and a second drawing restores it.
  if (GetROP2() == R2_NOTXORPEN) {
    color = ~color & 0xFFFFFF;
    cairo_set_operator(m_cr, CAIRO_OPERATOR_DIFFERENCE);
  } else {
    cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
  }
  SetColor(color);
  double width = 1;
  if (pen.geometric) width = std::max(1.0, pen.width * DpiX() / kLogicalPerInch);
  cairo_set_line_width(m_cr, width);
  if (pen.style == PenStyle::Dot) {
    const double dash[2] = {2, 2};
    cairo_set_dash(m_cr, dash, 2, 0);
  } else {
    cairo_set_dash(m_cr, nullptr, 0, 0);
  }
  cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
  cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
  if (pen.geometric) {
    join = pen.join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
           : pen.join == LineJoin::Miter ? CAIRO_LINE_JOIN_MITER
                                         : CAIRO_LINE_JOIN_ROUND;
    cap = pen.cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
          : pen.cap == LineCap::Flat ? CAIRO_LINE_CAP_BUTT
                                     : CAIRO_LINE_CAP_ROUND;
  } else {
    cap = CAIRO_LINE_CAP_SQUARE;
  }
  cairo_set_line_join(m_cr, join);
  cairo_set_line_cap(m_cr, cap);
}

bool CairoDc::ApplyBrush(const Brush& brush) {
  const bool xorMode = GetROP2() == R2_NOTXORPEN;
  cairo_set_operator(m_cr, xorMode ? CAIRO_OPERATOR_DIFFERENCE : CAIRO_OPERATOR_OVER);
  switch (brush.style) {
    case BrushStyle::Null:
      return false;
    case BrushStyle::Solid:
      SetColor(xorMode ? (~brush.color & 0xFFFFFF) : brush.color);
      return true;
    case BrushStyle::Hatched: {
      cairo_pattern_t* pattern = HatchPattern(brush.hatch, xorMode ? (~brush.color & 0xFFFFFF) : brush.color);
      cairo_set_source(m_cr, pattern);
      cairo_pattern_destroy(pattern);
      return true;
    }
  }
  return false;
}

// Fills the current path with the brush (hatch gaps take the background colour in OPAQUE
// mode) and keeps the path.
void CairoDc::FillCurrentPath(const Brush& brush) {
  if (brush.style == BrushStyle::Hatched && GetBkMode() == OPAQUE) {
    cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
    SetColor(GetBkColor());
    cairo_fill_preserve(m_cr);
  }
  if (ApplyBrush(brush)) cairo_fill_preserve(m_cr);
}

void CairoDc::Stroke() {
  if (!Stroking()) {
    cairo_new_path(m_cr);
    return;
  }
  ApplyPen();
  cairo_stroke(m_cr);
  cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
}

void CairoDc::DoPolyline(std::span<const Point> points) {
  if (!Stroking()) return;
  const bool centre = !GetPen().geometric;
  cairo_new_path(m_cr);
  bool open = false;
  DPoint last{0, 0};
  double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
  for (size_t i = 1; i < points.size(); ++i) {
    const DPoint a = ToDevice(points[i - 1], centre), b = ToDevice(points[i], centre);
    Seg s{a.x, a.y, b.x, b.y};
    if (!ClipSegment(s, m_minX, m_minY, m_maxX, m_maxY)) {
      open = false;
      continue;
    }
    if (!open || s.x0 != last.x || s.y0 != last.y) cairo_move_to(m_cr, s.x0, s.y0);
    cairo_line_to(m_cr, s.x1, s.y1);
    last = DPoint{s.x1, s.y1};
    // A segment cut at its end leaves the box: the next one starts a new piece.
    open = s.x1 == b.x && s.y1 == b.y;
    x0 = std::min({x0, s.x0, s.x1});
    y0 = std::min({y0, s.y0, s.y1});
    x1 = std::max({x1, s.x0, s.x1});
    y1 = std::max({y1, s.y0, s.y1});
  }
  // Maps draw thousands of small symbols just outside the window: leave them to no one.
  if (x0 > x1 || OutsideClip(x0, y0, x1, y1, StrokeReach())) {
    cairo_new_path(m_cr);
    return;
  }
  Stroke();
}

void CairoDc::DoPolygon(std::span<const Point> points) {
  const bool centre = Stroking() && !GetPen().geometric;
  std::vector<DP> poly;
  poly.reserve(points.size());
  for (const Point& p : points) {
    const DPoint d = ToDevice(p, centre);
    poly.emplace_back(d.x, d.y);
  }
  poly = ClipPolygon(std::move(poly), m_minX, m_minY, m_maxX, m_maxY);
  if (poly.size() < 2) return;
  double x0 = poly[0].first, y0 = poly[0].second, x1 = x0, y1 = y0;
  for (const DP& p : poly) {
    x0 = std::min(x0, p.first);
    y0 = std::min(y0, p.second);
    x1 = std::max(x1, p.first);
    y1 = std::max(y1, p.second);
  }
  if (OutsideClip(x0, y0, x1, y1, StrokeReach())) return;
  cairo_new_path(m_cr);
  cairo_move_to(m_cr, poly[0].first, poly[0].second);
  for (size_t i = 1; i < poly.size(); ++i) cairo_line_to(m_cr, poly[i].first, poly[i].second);
  cairo_close_path(m_cr);
  cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
  FillCurrentPath(GetBrush());
  Stroke();
}

void CairoDc::DoRectangle(const Rect& rect) {
  const Point pts[4] = {{rect.left, rect.top}, {rect.right, rect.top}, {rect.right, rect.bottom},
                        {rect.left, rect.bottom}};
  DoPolygon(pts);
}

void CairoDc::DoFillRect(const Rect& rect, const Brush& brush) {
  DPoint a = ToDevice(Point{rect.left, rect.top}, false);
  DPoint b = ToDevice(Point{rect.right, rect.bottom}, false);
  const double x0 = std::clamp(std::round(a.x), m_minX, m_maxX), y0 = std::clamp(std::round(a.y), m_minY, m_maxY);
  const double x1 = std::clamp(std::round(b.x), m_minX, m_maxX), y1 = std::clamp(std::round(b.y), m_minY, m_maxY);
  if (x1 <= x0 || y1 <= y0 || OutsideClip(x0, y0, x1, y1, 1)) return;
  cairo_new_path(m_cr);
  cairo_rectangle(m_cr, x0, y0, x1 - x0, y1 - y0);
  FillCurrentPath(brush);
  cairo_new_path(m_cr);
  cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
}

void CairoDc::DoEllipse(const Rect& rect) {
  const DPoint a = ToDevice(Point{rect.left, rect.top}, false);
  const DPoint b = ToDevice(Point{rect.right, rect.bottom}, false);
  const double rx = (b.x - a.x) / 2, ry = (b.y - a.y) / 2;
  if (rx <= 0 || ry <= 0 || std::max(rx, ry) > 1e6 || OutsideClip(a.x, a.y, b.x, b.y, StrokeReach())) return;
  cairo_new_path(m_cr);
  cairo_save(m_cr);
  cairo_translate(m_cr, a.x + rx, a.y + ry);
  cairo_scale(m_cr, rx, ry);
  cairo_arc(m_cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(m_cr);
  cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
  FillCurrentPath(GetBrush());
  Stroke();
}

void CairoDc::DoArc(const Rect& rect, Point start, Point end) {
  if (!Stroking()) return;
  const DPoint a = ToDevice(Point{rect.left, rect.top}, false);
  const DPoint b = ToDevice(Point{rect.right, rect.bottom}, false);
  const double rx = (b.x - a.x) / 2, ry = (b.y - a.y) / 2;
  if (rx <= 0 || ry <= 0 || std::max(rx, ry) > 1e6 || OutsideClip(a.x, a.y, b.x, b.y, StrokeReach())) return;
  const double cx = a.x + rx, cy = a.y + ry;
  const DPoint s = ToDevice(start, false), e = ToDevice(end, false);
  // Angles on the unit circle of the ellipse, y down: counter-clockwise on the screen is the
  // direction of decreasing angle.
  const double a0 = std::atan2((s.y - cy) / ry, (s.x - cx) / rx);
  double a1 = std::atan2((e.y - cy) / ry, (e.x - cx) / rx);
  if (std::fabs(a1 - a0) < 1e-12) a1 = a0 - 2 * M_PI;
  cairo_new_path(m_cr);
  cairo_save(m_cr);
  cairo_translate(m_cr, cx, cy);
  cairo_scale(m_cr, rx, ry);
  cairo_arc_negative(m_cr, 0, 0, 1, a0, a1);
  cairo_restore(m_cr);
  Stroke();
}

void CairoDc::DoSetPixel(Point p, ColorRef color) {
  const DPoint d = ToDevice(p, false);
  if (d.x < m_minX || d.x > m_maxX || d.y < m_minY || d.y > m_maxY) return;
  cairo_new_path(m_cr);
  cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
  SetColor(color);
  cairo_rectangle(m_cr, std::floor(d.x), std::floor(d.y), 1, 1);
  cairo_fill(m_cr);
  cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
}

void CairoDc::ApplyLayoutFont() {
  if (!m_layout) m_layout = pango_cairo_create_layout(m_cr);
  const Font& font = GetFont();
  if (!m_layoutFontSet || !(font == m_layoutFont)) {
    PangoFontDescription* desc = pango_font_description_new();
    const std::string face = win::Cp1252ToUtf8(font.face);
    pango_font_description_set_family(desc, face.empty() ? "Sans" : face.c_str());
    // A positive LOGFONT height is the cell height, of which the em is about four fifths.
    double px = std::abs(font.height) * DpiY() / kLogicalPerInch;
    if (font.height > 0) px *= 0.8;
    pango_font_description_set_absolute_size(desc, std::max(1.0, px) * PANGO_SCALE);
    pango_font_description_set_weight(desc, static_cast<PangoWeight>(std::clamp(font.weight, 100, 1000)));
    pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(m_layout, desc);
    pango_font_description_free(desc);
    PangoAttrList* attrs = pango_attr_list_new();
    if (font.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(m_layout, attrs);
    pango_attr_list_unref(attrs);
    m_layoutFont = font;
    m_layoutFontSet = true;
    m_layoutTextSet = false;
    m_metricsSet = false;
  }
}

PangoLayout* CairoDc::Layout(std::string_view text) {
  ApplyLayoutFont();
  if (!m_layoutTextSet || text != m_layoutText) {
    const std::string utf8 = win::Cp1252ToUtf8(text);
    pango_layout_set_text(m_layout, utf8.data(), static_cast<int>(utf8.size()));
    m_layoutText.assign(text);
    m_layoutTextSet = true;
  }
  return m_layout;
}

Size CairoDc::GetTextExtent(std::string_view text) {
  int w = 0, h = 0;
  pango_layout_get_pixel_size(Layout(text), &w, &h);
  return Size{DeviceToLogicalX(w), DeviceToLogicalY(h)};
}

TextMetrics CairoDc::GetTextMetrics() {
  ApplyLayoutFont();
  if (!m_metricsSet) {
    PangoContext* context = pango_layout_get_context(m_layout);
    PangoFontMetrics* metrics =
        pango_context_get_metrics(context, pango_layout_get_font_description(m_layout), nullptr);
    m_ascent = pango_font_metrics_get_ascent(metrics) / PANGO_SCALE;
    m_descent = pango_font_metrics_get_descent(metrics) / PANGO_SCALE;
    m_aveCharWidth = pango_font_metrics_get_approximate_char_width(metrics) / PANGO_SCALE;
    pango_font_metrics_unref(metrics);
    m_metricsSet = true;
  }
  return TextMetrics{DeviceToLogicalY(m_ascent + m_descent), DeviceToLogicalY(m_ascent),
                     DeviceToLogicalY(m_descent), DeviceToLogicalX(std::max(1, m_aveCharWidth))};
}

void CairoDc::DoTextOut(Point p, std::string_view text) {
  const DPoint d = ToDevice(p, false);
  if (d.x < m_minX || d.x > m_maxX || d.y < m_minY || d.y > m_maxY) return;
  PangoLayout* layout = Layout(text);
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout, &w, &h);
  // Glyphs may overhang their box a little (italics, accents): a line height around it.
  if (OutsideClip(d.x, d.y, d.x + w, d.y + h, h + 2)) return;
  cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
  if (GetBkMode() == OPAQUE) {
    SetColor(GetBkColor());
    cairo_rectangle(m_cr, std::round(d.x), std::round(d.y), w, h);
    cairo_fill(m_cr);
  }
  SetColor(GetTextColor());
  cairo_move_to(m_cr, std::round(d.x), std::round(d.y));
  pango_cairo_show_layout(m_cr, layout);
  cairo_new_path(m_cr);
}

void CairoDc::DoDrawText(std::string_view text, const Rect& rect, Align align) {
  const Size size = GetTextExtent(text);
  int x = rect.left;
  if (align == Align::Center) x = rect.left + (rect.Width() - size.cx) / 2;
  if (align == Align::Right) x = rect.right - size.cx;
  const int y = rect.top + (rect.Height() - size.cy) / 2;
  cairo_save(m_cr);
  const DPoint a = ToDevice(Point{rect.left, rect.top}, false);
  const DPoint b = ToDevice(Point{rect.right, rect.bottom}, false);
  cairo_rectangle(m_cr, a.x, a.y, b.x - a.x, b.y - a.y);
  cairo_clip(m_cr);
  DoTextOut(Point{x, y}, text);
  cairo_restore(m_cr);
}

void CairoDc::ClipChanged() {
  cairo_reset_clip(m_cr);
  if (!HasClip()) {
    UpdateClipBounds();
    return;
  }
  const Rect& clip = GetClipRect();
  const DPoint a = ToDevice(Point{clip.left, clip.top}, false);
  const DPoint b = ToDevice(Point{clip.right, clip.bottom}, false);
  const double x0 = std::clamp(std::round(a.x), m_minX, m_maxX), y0 = std::clamp(std::round(a.y), m_minY, m_maxY);
  const double x1 = std::clamp(std::round(b.x), m_minX, m_maxX), y1 = std::clamp(std::round(b.y), m_minY, m_maxY);
  cairo_rectangle(m_cr, x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0));
  cairo_clip(m_cr);
  UpdateClipBounds();
}

}  // namespace gdi

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps its font caches until the process ends; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
