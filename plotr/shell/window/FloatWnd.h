#pragma once
// The main frame's two containers: CFloatWndMain covers the simulator's client area while the
// module is docked; CFloatWnd is the floating frame with a small dark caption of its own
// making (ring, caption text, close, maximise and minimise buttons), moved and sized by the
// mouse itself, its placement kept in the "Floating" section.

#include <wx/frame.h>
#include <wx/panel.h>

#include "plotr/shell/FloatGeometry.h"

class CFloatWndMain : public wxPanel {
 public:
  explicit CFloatWndMain(wxWindow* host);
  // Over the host's client area, on top of its other children, shown.
  void ShowOverHost();
  void PlaceOverHost();
  // The main frame fills the container.
  void PlaceFrame();

 private:
  wxWindow* m_host;
};

class CFloatWnd : public wxFrame {
 public:
  explicit CFloatWnd(wxWindow* host);

  // Shows the frame; on the first show the stored placement is read and fitted first.
  void ShowFloat();
  // The main frame fills the client area below the caption.
  void PlaceFrame();
  bool IsPlacementRestored() const { return m_placementRestored; }
  bool IsMaximizedOwn() const { return m_maximized; }
  void ToggleMaximize();

  // What the caption shows.
  virtual wxString GetCaptionText() const;
  // The caption is painted active while the simulator or one of its windows (this one among
  // them) is the active window, as a tool window of the simulator's; a change repaints it.
  bool IsCaptionActive() const { return m_captionActive; }
  void FollowOwnerActivity();
  int HitTest(const wxPoint& windowPoint) const;
  // A caption button pressed and released over itself (3 close, 8 minimise, 9 maximise).
  void OnCaptionButton(int hit);
  FloatRect ClientArea() const;

  static const FloatFrameStyle& Style();
  static const FloatMetrics& Metrics();

 private:
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);
  void OnSizeOrMove();
  void OnCharHook(wxKeyEvent& event);

  bool m_placementRestored = false;
  bool m_captionActive = false;
  bool m_maximized = false;
  wxRect m_restoreRect;
  int m_dragHit = 0;          // the hit code the mouse pressed on
  bool m_buttonInverted = false;
  wxPoint m_dragStart;        // screen point of the press
  wxRect m_startRect;         // the window's rectangle at the press
};
