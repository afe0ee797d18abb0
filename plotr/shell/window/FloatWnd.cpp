#include "plotr/shell/window/FloatWnd.h"

#include <wx/dcbuffer.h>
#include <wx/display.h>

#include "platform/profile/Profile.h"
#include "platform/ui/KeyForward.h"
#include "platform/ui/StringTable.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

constexpr char kSection[] = "Floating";
constexpr int kDefaultSize = 350;

int ReadInt(const char* key, int def) { return profile::GetInt(g_App.GetProfileFile(), kSection, key, def); }
void WriteInt(const char* key, int value) { profile::WriteInt(g_App.GetProfileFile(), kSection, key, value); }

}  // namespace

CFloatWndMain::CFloatWndMain(wxWindow* host)
    : wxPanel(host, wxID_ANY, wxDefaultPosition, wxSize(350, 350), wxBORDER_NONE | wxCLIP_CHILDREN), m_host(host) {
  SetName("CFloatWndMain");
  Hide();
  Bind(wxEVT_SIZE, [this](wxSizeEvent&) { PlaceFrame(); });
}

void CFloatWndMain::PlaceOverHost() {
  wxRect r = m_host->GetClientRect();
  if (!r.IsEmpty()) {
    r.y += 1;
    r.height -= 1;
  }
  SetSize(r);
}

void CFloatWndMain::ShowOverHost() {
  PlaceOverHost();
  Show();
  Raise();
  PlaceFrame();
}

void CFloatWndMain::PlaceFrame() {
  CMainFrm* frame = GetMainFrame();
  if (frame == nullptr || frame->GetParent() != this) return;
  const wxSize size = GetClientSize();
  frame->SetSize(0, 0, size.x, size.y);
}

const FloatFrameStyle& CFloatWnd::Style() {
  static const FloatFrameStyle style;
  return style;
}

const FloatMetrics& CFloatWnd::Metrics() {
  static const FloatMetrics metrics;
  return metrics;
}

CFloatWnd::CFloatWnd(wxWindow* host)
    : wxFrame(host, wxID_ANY, "", wxDefaultPosition, wxSize(kDefaultSize, kDefaultSize),
              wxFRAME_FLOAT_ON_PARENT | wxBORDER_NONE | wxFRAME_NO_TASKBAR | wxCLIP_CHILDREN) {
  SetName("CFloatWnd");
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetMinSize(wxSize(100, Metrics().buttonHeight + 2 * Metrics().frame));
  Bind(wxEVT_PAINT, &CFloatWnd::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CFloatWnd::OnMouse, this);
  Bind(wxEVT_LEFT_UP, &CFloatWnd::OnMouse, this);
  Bind(wxEVT_MOTION, &CFloatWnd::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
    m_dragHit = 0;
    Refresh();
  });
  Bind(wxEVT_SIZE, [this](wxSizeEvent&) {
    PlaceFrame();
    Refresh();
    OnSizeOrMove();
  });
  Bind(wxEVT_MOVE, [this](wxMoveEvent&) { OnSizeOrMove(); });
  Bind(wxEVT_CHAR_HOOK, &CFloatWnd::OnCharHook, this);
  Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
    event.Skip();
    // The focus has moved on only once the activation is through.
    CallAfter([this] { FollowOwnerActivity(); });
  });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    CMainFrm* frame = GetMainFrame();
    if (frame != nullptr && frame->IsVisible() && !frame->IsDocked() && event.CanVeto()) {
      event.Veto();
      frame->ToggleShowWindow();
      return;
    }
    event.Skip();
  });
}

void CFloatWnd::FollowOwnerActivity() {
  // The active window, or the one holding the focus, belongs to the simulator when the simulator
  // is at its top.
  wxWindow* current = wxWindow::FindFocus();
  for (wxWindow* window : wxTopLevelWindows)
    if (auto* top = wxDynamicCast(window, wxTopLevelWindow); top != nullptr && top->IsActive()) current = top;
  const bool active = current != nullptr && ui::TopLevelFrame(current) == ui::TopLevelFrame(this);
  if (active == m_captionActive) return;
  m_captionActive = active;
  if (IsShown()) Refresh();
}

wxString CFloatWnd::GetCaptionText() const {
  return wxString::FromUTF8(ui::LoadString(shellstr::kAppTitle));
}

FloatRect CFloatWnd::ClientArea() const {
  const wxSize size = GetSize();
  return FloatClientRect(size.x, size.y, Style(), Metrics());
}

int CFloatWnd::HitTest(const wxPoint& p) const {
  const wxSize size = GetSize();
  return FloatHitTest(p.x, p.y, size.x, size.y, ClientArea(), Style(), Metrics());
}

void CFloatWnd::PlaceFrame() {
  CMainFrm* frame = GetMainFrame();
  if (frame == nullptr || frame->GetParent() != this) return;
  const FloatRect r = ClientArea();
  frame->SetSize(r.left, r.top, r.Width(), r.Height());
}

void CFloatWnd::ShowFloat() {
  if (!m_placementRestored) {
    const wxRect screen = wxDisplay(0u).GetGeometry();
    FloatRect p;
    p.left = ReadInt("WindowLeft", screen.width - kDefaultSize);
    p.top = ReadInt("WindowTop", screen.height - kDefaultSize);
    p.right = p.left + ReadInt("WindowWidth", kDefaultSize);
    p.bottom = p.top + ReadInt("WindowWeight", kDefaultSize);
    std::vector<FloatRect> areas;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
      const wxRect a = wxDisplay(i).GetClientArea();
      areas.push_back({a.x, a.y, a.x + a.width, a.y + a.height});
    }
    const FloatRect fitted = FitPlacement(p, areas);
    SetSize(fitted.left, fitted.top, fitted.Width(), fitted.Height());
    if (ReadInt("WindowMaximized", 0) != 0) ToggleMaximize();
    m_placementRestored = true;
  }
  PlaceFrame();
  Show();
  Raise();
  CallAfter([this] { FollowOwnerActivity(); });
}

void CFloatWnd::OnSizeOrMove() {
  if (!m_placementRestored || !IsShown()) return;
  if (m_maximized) {
    WriteInt("WindowMaximized", 1);
    return;
  }
  const wxRect r = GetRect();
  WriteInt("WindowMaximized", 0);
  WriteInt("WindowWidth", r.width);
  WriteInt("WindowWeight", r.height);
  WriteInt("WindowLeft", r.x);
  WriteInt("WindowTop", r.y);
}

void CFloatWnd::ToggleMaximize() {
  if (m_maximized) {
    m_maximized = false;
    SetSize(m_restoreRect);
  } else {
    m_restoreRect = GetRect();
    m_maximized = true;
    const int display = wxDisplay::GetFromWindow(this);
    SetSize(wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea());
  }
  Refresh();
}

void CFloatWnd::OnCaptionButton(int hit) {
  CMainFrm* frame = GetMainFrame();
  switch (hit) {
    case kHitClose:
      Close();
      break;
    case kHitMaximize:
      ToggleMaximize();
      break;
    case kHitMinimize:
      // Minimising the floating frame docks the module.
      if (frame != nullptr && frame->IsVisible()) frame->OnToggleDocked();
      break;
    default:
      break;
  }
}

void CFloatWnd::OnCharHook(wxKeyEvent& event) {
  // The simulator reads its keys from its own window: the hot keys work while floating too.
  if (ui::ForwardKeyToHost(this, event)) return;
  event.Skip();
}

void CFloatWnd::OnMouse(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  if (event.LeftDown()) {
    m_dragHit = HitTest(p);
    if (m_dragHit <= kHitClient) {
      m_dragHit = 0;
      return;
    }
    m_dragStart = ClientToScreen(p);
    m_startRect = GetRect();
    m_buttonInverted = true;
    CaptureMouse();
    Refresh();
    return;
  }
  if (m_dragHit == 0) {
    const int hit = HitTest(p);
    wxStockCursor cursor = wxCURSOR_ARROW;
    if (hit == kHitLeft || hit == kHitRight) cursor = wxCURSOR_SIZEWE;
    if (hit == kHitTop || hit == kHitBottom) cursor = wxCURSOR_SIZENS;
    if (hit == kHitTopLeft || hit == kHitBottomRight) cursor = wxCURSOR_SIZENWSE;
    if (hit == kHitTopRight || hit == kHitBottomLeft) cursor = wxCURSOR_SIZENESW;
    SetCursor(wxCursor(cursor));
    return;
  }
  const bool isButton = m_dragHit == kHitClose || m_dragHit == kHitMaximize || m_dragHit == kHitMinimize;
  if (event.LeftUp()) {
    const int pressed = m_dragHit;
    m_dragHit = 0;
    if (HasCapture()) ReleaseMouse();
    Refresh();
    if (isButton && HitTest(p) == pressed) OnCaptionButton(pressed);
    return;
  }
  if (!event.Dragging()) return;
  if (isButton) {
    const bool over = HitTest(p) == m_dragHit;
    if (over != m_buttonInverted) {
      m_buttonInverted = over;
      Refresh();
    }
    return;
  }
  const wxPoint now = ClientToScreen(p);
  const int dx = now.x - m_dragStart.x, dy = now.y - m_dragStart.y;
  wxRect r = m_startRect;
  if (m_dragHit == kHitCaption) {
    if (m_maximized) return;
    r.Offset(dx, dy);
  } else {
    const int minW = 100, minH = GetMinSize().y;
    if (m_dragHit == kHitLeft || m_dragHit == kHitTopLeft || m_dragHit == kHitBottomLeft) {
      const int w = std::max(r.width - dx, minW);
      r.x += r.width - w;
      r.width = w;
    }
    if (m_dragHit == kHitRight || m_dragHit == kHitTopRight || m_dragHit == kHitBottomRight)
      r.width = std::max(r.width + dx, minW);
    if (m_dragHit == kHitTop || m_dragHit == kHitTopLeft || m_dragHit == kHitTopRight) {
      const int h = std::max(r.height - dy, minH);
      r.y += r.height - h;
      r.height = h;
    }
    if (m_dragHit == kHitBottom || m_dragHit == kHitBottomLeft || m_dragHit == kHitBottomRight)
      r.height = std::max(r.height + dy, minH);
  }
  SetSize(r);
}

void CFloatWnd::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const FloatMetrics& m = Metrics();
  const wxSize size = GetSize();
  const bool active = m_captionActive;
  auto colour = [](unsigned bgr) { return wxColour(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); };
  // Outer ring: light top-left, black bottom-right; then the dark frame.
  dc.SetBrush(wxBrush(colour(0x404040)));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(0, 0, size.x, size.y);
  dc.SetPen(wxPen(colour(0x606060)));
  dc.DrawLine(0, 0, size.x, 0);
  dc.DrawLine(0, 0, 0, size.y);
  dc.SetPen(*wxBLACK_PEN);
  dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
  dc.DrawLine(size.x - 1, 0, size.x - 1, size.y);
  // Caption band.
  const int top = m.frame, left = m.frame, right = size.x - m.frame;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(colour(active ? 0x404040 : 0x202020)));
  dc.DrawRectangle(left, top, right - left, m.buttonHeight);
  // Buttons from the right, each drawn as a small glyph; the pressed one inverted.
  int edge = right;
  auto button = [&](int hit, int kind) {
    const wxRect r(edge - m.buttonWidth, top, m.buttonWidth, m.buttonHeight);
    const bool pressed = m_dragHit == hit && m_buttonInverted;
    dc.SetBrush(wxBrush(pressed ? colour(0xC0C0C0) : colour(0x606060)));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(r);
    dc.SetPen(wxPen(pressed ? colour(0x404040) : colour(0xC0C0C0)));
    const int cx = r.x + r.width / 2, cy = r.y + r.height / 2;
    if (kind == 0) {
      dc.DrawLine(cx - 3, cy - 3, cx + 4, cy + 4);
      dc.DrawLine(cx + 3, cy - 3, cx - 4, cy + 4);
    } else if (kind == 1) {
      dc.SetBrush(*wxTRANSPARENT_BRUSH);
      dc.DrawRectangle(cx - 4, cy - 3, 8, 7);
      if (m_maximized) dc.DrawRectangle(cx - 2, cy - 5, 8, 7);
    } else {
      dc.DrawLine(cx - 4, cy + 3, cx + 4, cy + 3);
    }
    edge -= m.buttonWidth + 2;
  };
  button(kHitClose, 0);
  button(kHitMaximize, 1);
  button(kHitMinimize, 2);
  dc.SetTextForeground(colour(active ? 0xC0C0C0 : 0x808080));
  wxFont font = GetFont();
  font.SetPixelSize(wxSize(0, m.buttonHeight - 1));
  dc.SetFont(font);
  dc.SetClippingRegion(left + m.border, top, edge - left - m.border, m.buttonHeight);
  dc.DrawText(GetCaptionText(), left + m.border, top);
  dc.DestroyClippingRegion();
}
