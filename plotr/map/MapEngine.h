#pragma once

// The map view's drawing thread. The user-interface thread records picture requests (a device
// rectangle with the parameters and size it belongs to), the overlay state and whether the view
// is visible in the render state, and wakes the thread; it never draws. The thread draws the
// layers into a picture of its own, composes the frame (a copy of the picture with the overlays
// over it), swaps the frame in under a short lock and posts 0x8203 to the view: wParam 1 after
// a new picture, 0 after the overlays alone. The view's paint only blits the front frame.

#include <cairo.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/gdi/Dc.h"
#include "platform/ui/Messages.h"
#include "platform/win/Clock.h"
#include "platform/win/Sync.h"
#include "plotr/map/MapRenderer.h"

// Posted by the drawing thread after it swapped in a frame.
inline constexpr uint32_t kMsgMapFrame = ui::kAppMessageBase + 0x203;

// A finished image in device pixels; shared, never changed once published.
class MapFrame {
 public:
  MapFrame(int width, int height);
  ~MapFrame();
  MapFrame(const MapFrame&) = delete;
  MapFrame& operator=(const MapFrame&) = delete;

  cairo_surface_t* Surface() const { return m_surface; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  bool Valid() const { return cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS; }
  // Writes the image as PNG beside `path` and renames it into place.
  bool WritePng(const std::string& path) const;

 private:
  cairo_surface_t* m_surface;
  int m_width;
  int m_height;
};

// What the user-interface thread shares with the drawing thread, under `lock`.
struct CMapRenderState {
  std::mutex lock;
  std::vector<gdi::Rect> pending;  // device pixels still to be drawn
  CMapParams params;  // the newest: overlays are drawn with these
  int cx = 0;  // window size in device pixels
  int cy = 0;
  // The parameters and size of the latest picture asked for, drawn or in progress. The overlay
  // copy moves `params` on alone, so a paint compares with these to see whether the picture on
  // hand still shows what the view asks for.
  CMapParams pictureParams;
  int pictureCx = 0;
  int pictureCy = 0;
  double dpi = 96;  // device pixels per inch (96 times the content scale)
  MapOverlayState overlays;
  bool visible = true;
  bool stale = false;  // a request was dropped while hidden
  win::AutoResetEvent abort;

  explicit CMapRenderState(CSettings& settings) : params(settings), pictureParams(settings) {}
};

class CMapEngine {
 public:
  // `prototype` gives the thread's renderer its painters and database; `target` receives 0x8203.
  CMapEngine(const CMapRenderer& prototype, const CFlightPlanCore* plan, ui::IMessageTarget* target,
             const win::Clock& clock = win::SystemClock(), CSettings& settings = g_Settings);
  ~CMapEngine();
  CMapEngine(const CMapEngine&) = delete;
  CMapEngine& operator=(const CMapEngine&) = delete;

  void Start();
  // Stops a picture in progress and ends the thread; returns when it has ended.
  void Stop();

  // ---- User-interface thread ----------------------------------------------------------------------
  // A paint of `rect`: with the same parameters and size it joins the pending rectangles; with
  // changed ones the pending list starts over and the picture in progress stops.
  void RequestPicture(const CMapParams& params, int cx, int cy, const gdi::Rect& rect);
  void RequestWholePicture(const CMapParams& params, int cx, int cy);
  // A paint of the whole window: a whole picture is asked for unless the latest one asked for
  // has these parameters and this size. True when it asked.
  bool PaintWindow(const CMapParams& params, int cx, int cy);
  // New overlay state: the frame is recomposed over the current picture.
  void UpdateOverlays(const CMapParams& params, int cx, int cy, const MapOverlayState& overlays);
  // Showing a view whose requests were dropped while hidden asks for a whole picture.
  void SetVisible(bool visible);
  void SetResolution(double dpi);
  // The frame to blit; null before the first one.
  std::shared_ptr<const MapFrame> FrontFrame() const;

  // ---- For tests and benchmarks -------------------------------------------------------------------
  int PicturesDrawn() const { return m_pictures.load(); }
  int FramesComposed() const { return m_frames.load(); }
  // A copy of the picture under the picture lock (no overlays).
  std::vector<unsigned char> PictureBytes() const;
  CMapRenderState& State() { return m_state; }

 private:
  void Run();
  void DrawPicture();
  void Recompose();
  void Compose(bool newPicture);

  CSettings& m_settings;
  CMapRenderState m_state;
  CMapRenderer m_renderer;  // the thread's own
  const CFlightPlanCore* m_plan;
  ui::IMessageTarget* m_target;
  const win::Clock& m_clock;

  win::AutoResetEvent m_stop;
  win::AutoResetEvent m_redraw;
  win::AutoResetEvent m_position;
  std::thread m_thread;

  // Drawing thread's own copies.
  MapOverlayState m_overlays;
  int m_cx = 0, m_cy = 0;
  double m_dpi = 96;

  mutable std::mutex m_pictureLock;  // held while a picture is drawn
  std::unique_ptr<MapFrame> m_picture;
  mutable std::mutex m_frameLock;  // held only to swap the front frame
  std::shared_ptr<MapFrame> m_front;
  // The frame swapped out last; composed into again once nobody else holds it.
  std::shared_ptr<MapFrame> m_spare;

  std::atomic<int> m_pictures{0};
  std::atomic<int> m_frames{0};
};

// One frame as the map window would show it, drawn by an engine of its own: the whole picture
// of `renderer`'s parameters at `width` x `height` device pixels, then `overlays` over it. Null
// when no frame came within `timeout`.
std::shared_ptr<const MapFrame> DrawMapFrameOnce(const CMapRenderer& renderer, const CFlightPlanCore* plan,
                                                 int width, int height, const MapOverlayState& overlays,
                                                 std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Prints the map onto a page of `pageWidth` x `pageHeight` device units at `dpi`: the whole
// page's logical size scaled into the page less a 2 cm margin on every side, the layers drawn
// without abort in printing colours, and a 30-unit black frame around them.
void PrintMapPage(cairo_t* cr, CMapRenderer& renderer, const CFlightPlanCore* plan, int pageWidth,
                  int pageHeight, double dpi);
// One page of a PDF file (points, 72 per inch), written beside `path` and renamed into place.
bool PrintMapToPdf(const std::string& path, CMapRenderer& renderer, const CFlightPlanCore* plan,
                   double widthPt = 595.0, double heightPt = 842.0);
