#include "plotr/map/MapEngine.h"

#include <cairo-pdf.h>

#include <cstring>
#include <string>

#include "platform/gdi/CairoDc.h"
#include "platform/win/AtomicFile.h"
#include "plotr/map/MapPens.h"

namespace {

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

int ToLogical(int device, double dpi) {
  return static_cast<int>(static_cast<double>(device) * gdi::kLogicalPerInch / dpi);
}

}  // namespace

// ---- MapFrame -----------------------------------------------------------------------------------

MapFrame::MapFrame(int width, int height)
    : m_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, width), std::max(1, height))),
      m_width(width),
      m_height(height) {}

MapFrame::~MapFrame() { cairo_surface_destroy(m_surface); }

bool MapFrame::WritePng(const std::string& path) const {
  std::string bytes;
  if (cairo_surface_write_to_png_stream(m_surface, AppendToString, &bytes) != CAIRO_STATUS_SUCCESS) {
    return false;
  }
  return win::WriteFileAtomically(path, bytes);
}

// ---- CMapEngine ---------------------------------------------------------------------------------

CMapEngine::CMapEngine(const CMapRenderer& prototype, const CFlightPlanCore* plan,
                       ui::IMessageTarget* target, const win::Clock& clock, CSettings& settings)
    : m_settings(settings),
      m_state(settings),
      m_renderer(prototype),
      m_plan(plan),
      m_target(target),
      m_clock(clock) {}

CMapEngine::~CMapEngine() { Stop(); }

void CMapEngine::Start() {
  if (m_thread.joinable()) return;
  m_thread = std::thread([this] { Run(); });
}

void CMapEngine::Stop() {
  if (!m_thread.joinable()) return;
  m_state.abort.Set();
  m_stop.Set();
  m_thread.join();
}

void CMapEngine::RequestPicture(const CMapParams& params, int cx, int cy, const gdi::Rect& rect) {
  {
    std::lock_guard lock(m_state.lock);
    if (!(m_state.pictureParams == params) || m_state.pictureCx != cx || m_state.pictureCy != cy) {
      m_state.pending.clear();
      m_state.abort.Set();
      m_state.pictureParams = params;
      m_state.pictureCx = cx;
      m_state.pictureCy = cy;
    }
    m_state.params = params;
    m_state.cx = cx;
    m_state.cy = cy;
    m_state.pending.push_back(rect);
  }
  m_redraw.Set();
}

void CMapEngine::RequestWholePicture(const CMapParams& params, int cx, int cy) {
  RequestPicture(params, cx, cy, gdi::Rect{0, 0, cx, cy});
}

bool CMapEngine::PaintWindow(const CMapParams& params, int cx, int cy) {
  if (cx <= 0 || cy <= 0) return false;
  {
    std::lock_guard lock(m_state.lock);
    if (m_state.pictureParams == params && m_state.pictureCx == cx && m_state.pictureCy == cy) return false;
  }
  RequestWholePicture(params, cx, cy);
  return true;
}

void CMapEngine::UpdateOverlays(const CMapParams& params, int cx, int cy, const MapOverlayState& overlays) {
  {
    std::lock_guard lock(m_state.lock);
    m_state.params = params;
    m_state.cx = cx;
    m_state.cy = cy;
    m_state.overlays = overlays;
  }
  m_position.Set();
}

void CMapEngine::SetVisible(bool visible) {
  bool wholePicture = false;
  CMapParams params(m_settings);
  int cx = 0, cy = 0;
  {
    std::lock_guard lock(m_state.lock);
    m_state.visible = visible;
    if (visible && m_state.stale) {
      m_state.stale = false;
      wholePicture = true;
      params = m_state.params;
      cx = m_state.cx;
      cy = m_state.cy;
    }
  }
  if (wholePicture) RequestWholePicture(params, cx, cy);
}

void CMapEngine::SetResolution(double dpi) {
  std::lock_guard lock(m_state.lock);
  m_state.dpi = dpi > 0 ? dpi : 96;
}

std::shared_ptr<const MapFrame> CMapEngine::FrontFrame() const {
  std::lock_guard lock(m_frameLock);
  return m_front;
}

std::vector<unsigned char> CMapEngine::PictureBytes() const {
  std::lock_guard lock(m_pictureLock);
  if (!m_picture) return {};
  cairo_surface_t* s = m_picture->Surface();
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  return std::vector<unsigned char>(data, data + cairo_image_surface_get_stride(s) * cairo_image_surface_get_height(s));
}

void CMapEngine::Run() {
  win::AutoResetEvent* events[3] = {&m_stop, &m_redraw, &m_position};
  for (;;) {
    const int which = win::WaitAny(events, win::kInfinite);
    if (which == 0) return;
    if (which == 1) {
      DrawPicture();
    } else if (which == 2) {
      Recompose();
    }
  }
}

void CMapEngine::DrawPicture() {
  gdi::Rect region;
  bool any = false;
  bool visible = true;
  {
    std::lock_guard lock(m_state.lock);
    m_renderer = m_state.pictureParams;
    m_cx = m_state.pictureCx;
    m_cy = m_state.pictureCy;
    m_dpi = m_state.dpi;
    for (const gdi::Rect& r : m_state.pending) region = region.Union(r);
    any = !m_state.pending.empty();
    m_state.pending.clear();
    m_state.abort.Reset();
    visible = m_state.visible;
    if (!visible && any) m_state.stale = true;
  }
  if (!visible || m_cx <= 0 || m_cy <= 0) return;

  bool complete = true;
  {
    std::lock_guard lock(m_pictureLock);
    if (!m_picture || m_picture->Width() != m_cx || m_picture->Height() != m_cy) {
      m_picture = std::make_unique<MapFrame>(m_cx, m_cy);
      region = gdi::Rect{0, 0, m_cx, m_cy};
      any = true;
    }
    if (any) {
      cairo_t* cr = cairo_create(m_picture->Surface());
      {
        gdi::CairoDc dc(cr, gdi::Size{m_cx, m_cy}, m_dpi, m_dpi);
        const gdi::Point a = dc.DPtoLP(gdi::Point{region.left, region.top});
        const gdi::Point b = dc.DPtoLP(gdi::Point{region.right, region.bottom});
        dc.SetClipRect(gdi::Rect{a.x, a.y, b.x, b.y});
        // What was under the region goes, whatever the painters draw.
        const int scheme = std::clamp(m_renderer.ColorScheme, 0, 2);
        dc.FillRect(gdi::Rect{a.x, a.y, b.x, b.y}, gdi::Brush::Solid(mappens::kBackgroundColors[scheme]));
        complete = m_renderer.DrawMapLayers(dc, ToLogical(m_cx, m_dpi), ToLogical(m_cy, m_dpi), m_plan,
                                            &m_state.abort);
      }
      cairo_destroy(cr);
      m_pictures.fetch_add(1);
    }
  }
  // A stopped picture is not shown: the request that stopped it has woken the thread again.
  if (complete) Compose(true);
}

void CMapEngine::Recompose() {
  bool visible = true;
  {
    std::lock_guard lock(m_state.lock);
    m_renderer = m_state.params;
    m_cx = m_state.cx;
    m_cy = m_state.cy;
    m_dpi = m_state.dpi;
    m_overlays = m_state.overlays;
    visible = m_state.visible;
  }
  if (visible) Compose(false);
}

void CMapEngine::Compose(bool newPicture) {
  std::shared_ptr<MapFrame> frame;
  {
    std::lock_guard lock(m_pictureLock);
    if (!m_picture) return;
    // A frame nobody shows any more is painted over whole: a new one would cost its pages.
    if (m_spare && m_spare.use_count() == 1 && m_spare->Width() == m_picture->Width() &&
        m_spare->Height() == m_picture->Height()) {
      frame = std::move(m_spare);
    } else {
      frame = std::make_shared<MapFrame>(m_picture->Width(), m_picture->Height());
    }
    m_spare.reset();
    cairo_t* cr = cairo_create(frame->Surface());
    cairo_set_source_surface(cr, m_picture->Surface(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  cairo_t* cr = cairo_create(frame->Surface());
  {
    gdi::CairoDc dc(cr, gdi::Size{frame->Width(), frame->Height()}, m_dpi, m_dpi);
    m_renderer.DrawOverlays(dc, ToLogical(frame->Width(), m_dpi), ToLogical(frame->Height(), m_dpi),
                            m_overlays, m_clock.TickCount());
  }
  cairo_destroy(cr);
  cairo_surface_flush(frame->Surface());
  {
    std::lock_guard lock(m_frameLock);
    m_spare = std::move(m_front);
    m_front = std::move(frame);
  }
  m_frames.fetch_add(1);
  if (m_target) m_target->Post(ui::Message{kMsgMapFrame, newPicture ? 1u : 0u, 0});
}

std::shared_ptr<const MapFrame> DrawMapFrameOnce(const CMapRenderer& renderer, const CFlightPlanCore* plan,
                                                 int width, int height, const MapOverlayState& overlays,
                                                 std::chrono::milliseconds timeout) {
  CMapEngine engine(renderer, plan, nullptr);
  engine.Start();
  const auto until = std::chrono::steady_clock::now() + timeout;
  auto waitForFrames = [&](int n) {
    while (engine.FramesComposed() < n && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return engine.FramesComposed() >= n;
  };
  // The overlays go over a finished picture, so that their frame is surely the second.
  engine.RequestWholePicture(renderer, width, height);
  bool drawn = waitForFrames(1);
  if (drawn) {
    engine.UpdateOverlays(renderer, width, height, overlays);
    drawn = waitForFrames(2);
  }
  engine.Stop();
  return drawn ? engine.FrontFrame() : nullptr;
}

// ---- Printing -----------------------------------------------------------------------------------

void PrintMapPage(cairo_t* cr, CMapRenderer& renderer, const CFlightPlanCore* plan, int pageWidth,
                  int pageHeight, double dpi) {
  const int margin = static_cast<int>(dpi / 2.54 * 2);
  const int m = 2 * margin;
  if (pageWidth <= m || pageHeight <= m) return;
  // The page's whole logical size is scaled into the page less the margins.
  const double dpiX = dpi * (pageWidth - m) / pageWidth;
  const double dpiY = dpi * (pageHeight - m) / pageHeight;
  gdi::CairoDc dc(cr, gdi::Size{pageWidth, pageHeight}, dpiX, dpiY);
  dc.SetPrinting(true);
  dc.SetViewportOrigin(gdi::Point{margin, margin});
  const int cx = static_cast<int>((pageWidth - m) * static_cast<double>(gdi::kLogicalPerInch) / dpiX);
  const int cy = static_cast<int>((pageHeight - m) * static_cast<double>(gdi::kLogicalPerInch) / dpiY);
  {
    gdi::DcStateGuard guard(dc);
    dc.SetClipRect(gdi::Rect{0, 0, cx, cy});
    renderer.DrawMapLayers(dc, cx, cy, plan, nullptr);
  }
  gdi::DcStateGuard guard(dc);
  dc.SelectPen(gdi::Pen::Geometric(30, 0x000000));
  dc.SelectBrush(gdi::Brush::None());
  dc.Rectangle(0, 0, cx, cy);
}

bool PrintMapToPdf(const std::string& path, CMapRenderer& renderer, const CFlightPlanCore* plan,
                   double widthPt, double heightPt) {
  std::string bytes;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(AppendToString, &bytes, widthPt, heightPt);
  cairo_t* cr = cairo_create(surface);
  PrintMapPage(cr, renderer, plan, static_cast<int>(widthPt), static_cast<int>(heightPt), 72.0);
  cairo_show_page(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok && win::WriteFileAtomically(path, bytes);
}
