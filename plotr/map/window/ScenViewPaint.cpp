#include "plotr/map/window/ScenView.h"

#include <wx/dcclient.h>
#include <wx/graphics.h>

#include <algorithm>
#include <mutex>

#include "navdb/Geodesy.h"
#include "platform/gdi/CairoDc.h"
#include "platform/ui/WxMessages.h"
#include "plotr/core/window/WxFonts.h"
#include "plotr/map/window/MapTipWnd.h"
#include "plotr/map/window/WindStatic.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/shell/window/ToolBarEx.h"

// ---- Painting --------------------------------------------------------------------------------------

void CScenView::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  NoteVisibility();
  const wxSize size = GetClientSize();
  const std::shared_ptr<const MapFrame> frame = m_engine->FrontFrame();
  m_renderer.ReadLayerSettings();
  // Parameters or a size other than the last picture's ask for a new picture; an expose alone
  // only shows the frame again.
  m_engine->PaintWindow(m_renderer, size.x, size.y);
  wxGraphicsContext* gc = dc.GetGraphicsContext();
  auto* cr = gc != nullptr ? static_cast<cairo_t*>(gc->GetNativeContext()) : nullptr;
  if (cr != nullptr && m_dragRoute && size.x > 0 && size.y > 0) {
    // The moved fix's legs invert the picture under them, so they go onto a copy of the frame:
    // over nothing they would come out white, unseen on the white scheme.
    cairo_surface_t* composed = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.x, size.y);
    cairo_t* oc = cairo_create(composed);
    if (frame) {
      cairo_set_source_surface(oc, frame->Surface(), 0, 0);
      cairo_paint(oc);
    }
    {
      gdi::CairoDc feedback(oc, gdi::Size{size.x, size.y}, 96.0 * GetContentScaleFactor(),
                            96.0 * GetContentScaleFactor());
      const int cx = feedback.DeviceToLogicalX(size.x), cy = feedback.DeviceToLogicalY(size.y);
      DatabaseLease lease;
      m_renderer.DrawDragLegs(feedback, cx, cy, m_dragRows, *m_dragRoute);
      m_renderer.DrawLegLabelsOverlay(feedback, cx, cy, m_dragRows, *m_dragRoute);
    }
    cairo_destroy(oc);
    cairo_surface_flush(composed);
    cairo_save(cr);
    cairo_set_source_surface(cr, composed, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(composed);
  } else if (cr != nullptr && frame) {
    cairo_save(cr);
    cairo_set_source_surface(cr, frame->Surface(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
  } else {
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
  }
  if (!m_measure || !m_measure->Drawn()) return;
  // The rubber band, the great circle from its start and the distance text beside the cursor.
  const mapview::Point s = m_measure->Start(), c = m_measure->Current();
  const mapview::Rect band = mapview::Normalised(s, c);
  const bool night = m_renderer.ColorScheme != 0;
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.SetPen(wxPen(night ? wxColour(0xC0, 0xC0, 0xC0) : *wxBLACK, 1, wxPENSTYLE_DOT));
  dc.DrawRectangle(band.left, band.top, band.Width() + 1, band.Height() + 1);
  double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
  if (ToLatLon({s.x, s.y}, lat1, lon1) && ToLatLon({c.x, c.y}, lat2, lon2)) {
    dc.SetPen(wxPen(night ? wxColour(0xC0, 0xC0, 0xC0) : *wxBLACK, 1));
    wxPoint last(s.x, s.y);
    for (int i = 1; i <= 32; ++i) {
      double lat = 0, lon = 0;
      PointAlongSegment(lat, lon, lat1, lon1, lat2, lon2, i / 32.0);
      int x = 0, y = 0;
      if (!m_renderer.LatLonToPixel(x, y, lat, lon, size.x, size.y, 2)) continue;
      dc.DrawLine(last, wxPoint(x, y));
      last = wxPoint(x, y);
    }
  }
  if (!m_measureText.empty()) {
    const mapview::Rect& box = m_measureTextBox;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(night ? *wxBLACK : *wxWHITE));
    dc.DrawRectangle(box.left, box.top, box.Width(), box.Height());
    dc.SetFont(LogFontToWx(m_renderer.MapFont));
    dc.SetTextForeground(night ? wxColour(0xC0, 0xC0, 0xC0) : *wxBLACK);
    dc.DrawText(wxString::FromUTF8(m_measureText), box.left + 2, box.top);
  }
}

void CScenView::OnSize(wxSizeEvent& event) {
  event.Skip();
  PlaceWind();
  Refresh(false);
}

// The wind stays in the lower left corner at its own size; the bar stands at the right edge,
// bottom-aligned, wrapped to the height.
void CScenView::PlaceWind() {
  const wxSize size = GetClientSize();
  m_wind->Move(1, std::max(0, size.y - m_wind->GetSize().y - 1));
  if (m_toolBar != nullptr) {
    const wxSize bar = m_toolBar->LayoutFor(size.y);
    m_toolBar->SetSize(size.x - bar.x, std::max(0, size.y - bar.y), bar.x, bar.y);
    m_toolBar->Refresh();
  }
}

void CScenView::OnFrameReady(wxThreadEvent& event) {
  const ui::Message message = ui::MessageFromEvent(event);
  if (message.code != kMsgMapFrame) return;
  // A new picture takes the hover tip away; overlays alone leave it.
  if (message.wParam == 1) m_tip->Reset();
  Refresh(false);
}
