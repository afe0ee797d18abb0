#pragma once

// The map's hover tip: after the mouse rests for two ticks of 200 ms the map view says what
// lies under the cursor, and the text shows in a small popup beside it. The object it showed
// stays the hover object for the click and the context menu that follow. The map is never
// drawn under it, so it holds no lock while it shows.

#include <wx/popupwin.h>
#include <wx/timer.h>

#include <array>
#include <string>
#include <vector>

#include "plotr/map/MapViewLogic.h"

class CScenView;

class CMapTipWnd : public wxPopupWindow {
 public:
  explicit CMapTipWnd(CScenView* owner);
  ~CMapTipWnd() override;

  // Every mouse message of the map view passes here.
  void RelayMouse(const wxMouseEvent& event);
  void Reset();
  bool GetHoverPoint(FullPoint& out) const { return m_countdown.GetHoverPoint(out); }
  // One timer tick at the pointer.
  void Tick();
  // One tick with the cursor at a client point of the map (tests, with the timer stopped).
  void TickAt(const wxPoint& client, bool inside);
  void StopTicking() { m_timer.Stop(); }
  const std::string& GetText() const { return m_countdown.Text(); }

 private:
  void OnPaint(wxPaintEvent& event);
  void OnTimer(wxTimerEvent& event);
  void ShowAt(const wxPoint& screenCursor);
  void HideTip();

  CScenView* m_owner;
  wxTimer m_timer;
  mapview::CTipCountdown m_countdown;
  std::vector<std::string> m_rows;
  std::array<int, 3> m_stops{};
};
