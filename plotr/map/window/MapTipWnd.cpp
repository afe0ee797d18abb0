#include "plotr/map/window/MapTipWnd.h"

#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/settings.h>

#include <algorithm>

#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/core/window/WxFonts.h"
#include "plotr/map/window/ScenView.h"

namespace {

constexpr int kTickMs = 200;

wxString Wx(const std::string& text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }

wxFont MapFont() { return LogFontToWx(g_Settings.GetMapFont(false)); }

// The text of a row with its tabs expanded to the stops.
void DrawTabbed(wxDC& dc, const std::string& row, int x, int y, const std::array<int, 3>& stops) {
  size_t start = 0;
  int column = 0;
  while (true) {
    const size_t tab = row.find('\t', start);
    const std::string part = row.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    dc.DrawText(Wx(part), x + (column == 0 ? 0 : stops[std::min(column, 3) - 1]), y);
    if (tab == std::string::npos || column >= 3) break;
    start = tab + 1;
    ++column;
  }
}

}  // namespace

CMapTipWnd::CMapTipWnd(CScenView* owner) : wxPopupWindow(owner, wxBORDER_NONE), m_owner(owner), m_timer(this) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CMapTipWnd::OnPaint, this);
  Bind(wxEVT_TIMER, &CMapTipWnd::OnTimer, this);
  m_timer.Start(kTickMs);
}

CMapTipWnd::~CMapTipWnd() { m_timer.Stop(); }

void CMapTipWnd::RelayMouse(const wxMouseEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_MOTION) {
    if (m_countdown.Move({event.GetX(), event.GetY()})) HideTip();
  } else if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_DOWN ||
             type == wxEVT_RIGHT_UP || type == wxEVT_MIDDLE_DOWN || type == wxEVT_MIDDLE_UP) {
    if (m_countdown.Button()) HideTip();
  }
}

void CMapTipWnd::Reset() {
  if (m_countdown.Reset()) HideTip();
}

void CMapTipWnd::OnTimer(wxTimerEvent&) { Tick(); }

void CMapTipWnd::Tick() {
  const wxPoint screen = wxGetMousePosition();
  const wxPoint client = m_owner->ScreenToClient(screen);
  const wxSize size = m_owner->GetClientSize();
  // The measuring band's text stands beside the cursor: no tip over it.
  const bool inside = m_owner->IsShownOnScreen() && !m_owner->IsMeasuring() && client.x >= 0 && client.y >= 0 &&
                      client.x < size.x && client.y < size.y && wxFindWindowAtPoint(screen) == m_owner;
  TickAt(client, inside);
}

void CMapTipWnd::TickAt(const wxPoint& client, bool inside) {
  const wxPoint screen = m_owner->ClientToScreen(client);
  switch (m_countdown.Tick(inside, {client.x, client.y})) {
    case mapview::CTipCountdown::Action::kHide:
      HideTip();
      break;
    case mapview::CTipCountdown::Action::kQuery: {
      FullPoint object;
      std::string text;
      const bool found = m_owner->QueryTip(client, object, text);
      if (m_countdown.Answer(found, object, text)) ShowAt(screen);
      break;
    }
    case mapview::CTipCountdown::Action::kNone:
      break;
  }
}

void CMapTipWnd::ShowAt(const wxPoint& screenCursor) {
  m_rows = mapview::TipRows(m_countdown.Text());
  wxClientDC dc(this);
  dc.SetFont(MapFont());
  m_stops = mapview::TipTabStops(m_rows, [&](std::string_view s) { return dc.GetTextExtent(Wx(std::string(s))).x; });
  int width = 0, height = 0;
  const int average = dc.GetCharWidth();
  for (const std::string& row : m_rows) {
    const size_t last = row.rfind('\t');
    const int columns = static_cast<int>(std::count(row.begin(), row.end(), '\t'));
    const int start = columns == 0 ? 0 : m_stops[std::min(columns, 3) - 1];
    const wxSize tail = dc.GetTextExtent(Wx(last == std::string::npos ? row : row.substr(last + 1)));
    width = std::max(width, start + tail.x + average);
    height += std::max(tail.y, dc.GetCharHeight());
  }
  width += 4 + 5;
  height += 4;
  const int display = wxDisplay::GetFromPoint(screenCursor);
  const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0 : display).GetGeometry();
  const int cursorHeight = std::max(wxSystemSettings::GetMetric(wxSYS_CURSOR_Y), 16);
  const mapview::Rect r = mapview::PlaceTip({screenCursor.x - area.x, screenCursor.y - area.y}, width, height,
                                           area.width, area.height, cursorHeight);
  SetSize(r.left + area.x, r.top + area.y, width, height);
  Show();
  Refresh();
}

void CMapTipWnd::HideTip() {
  if (IsShown()) Hide();
}

void CMapTipWnd::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const int scheme = g_Settings.GetColorScheme(false);
  const wxColour back = scheme == 0 ? wxColour(255, 255, 255) : scheme == 1 ? wxColour(0, 0, 0x40) : wxColour(0, 0, 0);
  const wxColour text = scheme == 0 ? wxColour(0, 0, 0) : wxColour(0xC0, 0xC0, 0xC0);
  const wxSize size = GetClientSize();
  dc.SetBrush(wxBrush(back));
  dc.SetPen(wxPen(scheme == 0 ? wxColour(0, 0, 0) : wxColour(255, 255, 255)));
  dc.DrawRectangle(0, 0, size.x, size.y);
  dc.SetFont(MapFont());
  dc.SetTextForeground(text);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const int line = dc.GetCharHeight();
  for (size_t i = 0; i < m_rows.size(); ++i) DrawTabbed(dc, m_rows[i], 5, 2 + static_cast<int>(i) * line, m_stops);
}
