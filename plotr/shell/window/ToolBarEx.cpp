#include "plotr/shell/window/ToolBarEx.h"

#include <wx/dcbuffer.h>
#include <wx/popupwin.h>
#include <wx/settings.h>

#include <array>

#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/ToolBarImages.h"
#include "plotr/tools/window/ShellStrings.h"

// The outline that follows the pointer while the bar is dragged: four thin windows of their own
// over whatever lies below, which stays as it is.
class CToolBarDragOutline {
 public:
  explicit CToolBarDragOutline(wxWindow* parent) {
    for (wxPopupWindow*& side : m_sides) {
      side = new wxPopupWindow(parent, wxBORDER_NONE);
      side->SetName("CToolBarDragRect");
      side->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
    }
  }
  ~CToolBarDragOutline() {
    for (wxPopupWindow* side : m_sides) side->Destroy();
  }
  CToolBarDragOutline(const CToolBarDragOutline&) = delete;
  CToolBarDragOutline& operator=(const CToolBarDragOutline&) = delete;

  void Show(const wxRect& r) {
    if (r == m_rect) return;
    m_rect = r;
    const int t = 2;
    m_sides[0]->SetSize(r.x, r.y, r.width, t);
    m_sides[1]->SetSize(r.x, r.GetBottom() - t + 1, r.width, t);
    m_sides[2]->SetSize(r.x, r.y, t, r.height);
    m_sides[3]->SetSize(r.GetRight() - t + 1, r.y, t, r.height);
    for (wxPopupWindow* side : m_sides) {
      side->Show();
      side->Raise();
    }
  }
  const wxRect& Rect() const { return m_rect; }

 private:
  std::array<wxPopupWindow*, 4> m_sides{};
  wxRect m_rect;
};

const std::vector<int>& MainToolBarCommands() {
  static const std::vector<int> commands = {
      cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, 0, cmd::kAircraft, cmd::kCruise, cmd::kCalcAutoRoute,
      cmd::kRemoveAutoRoute, 0, cmd::kPrint, 0, cmd::kEditUndo, cmd::kEditRedo, 0, cmd::kEditCut, cmd::kEditCopy,
      cmd::kEditPaste, cmd::kEditDelete, 0, cmd::kSettings, cmd::kToggleDocked, 0, cmd::kHelpFinder,
      cmd::kContextHelp, 0, cmd::kAppAbout};
  return commands;
}

CToolBarEx::CToolBarEx(wxWindow* parent, const std::vector<int>& commands, int imageWidth, int imageHeight)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE),
      m_button(ButtonSizeForImage(imageWidth, imageHeight)) {
  SetName("CToolBarEx");
  AddShellStrings();
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  for (int c : commands) {
    ToolItem item;
    item.command = c;
    item.separator = c == 0;
    m_items.push_back(item);
    m_images.push_back(item.separator ? wxBitmapBundle() : ToolBarImage(c, wxSize(imageWidth, imageHeight)));
    m_tips.push_back(item.separator ? std::string() : TipPrompt(static_cast<unsigned>(c)));
  }
  m_enabled.assign(m_items.size(), true);
  m_checked.assign(m_items.size(), false);
  Bind(wxEVT_PAINT, &CToolBarEx::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CToolBarEx::OnMouse, this);
  Bind(wxEVT_LEFT_UP, &CToolBarEx::OnMouse, this);
  Bind(wxEVT_MOTION, &CToolBarEx::OnMouse, this);
  Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
    ShowPrompt(-1);
    event.Skip();
  });
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
    m_pressed = -1;
    EndDrag();
    Refresh();
  });
}

CToolBarEx::~CToolBarEx() = default;

void CToolBarEx::EndDrag() {
  m_dragging = false;
  m_outline.reset();
}

wxRect CToolBarEx::DragRect() const { return m_outline != nullptr ? m_outline->Rect() : wxRect(); }

int CToolBarEx::DropTarget(const wxPoint& screen, wxRect& outline) const {
  const wxWindow* frame = GetParent();
  const wxSize size = GetSize();
  wxSize area = frame->GetClientSize();
  // The bottom edge's strip lies above the status bar.
  const CMainFrm* main = GetMainFrame();
  if (main != nullptr && main == frame && main->GetStatusBar()->IsShown())
    area.y -= main->GetStatusBar()->GetSize().y;
  const wxPoint origin = frame->ClientToScreen(wxPoint(0, 0));
  // An edge's strip is as deep as the bar standing there; at least a button deep.
  const int depth = std::max(IsHorizontal() ? size.y : size.x, std::max(m_button.cx, m_button.cy) + 4);
  const int edge = EdgeForDrop(screen - origin, area, depth);
  const bool horizontal = edge < 0 ? IsHorizontal() : edge == kTop || edge == kBottom;
  // The outline takes the shape the bar would have there.
  const wxSize shape = horizontal == IsHorizontal() ? size
                       : horizontal                 ? wxSize(area.x, m_button.cy + 4)
                                                    : wxSize(m_button.cx + 4, area.y);
  switch (edge) {
    case kTop: outline = wxRect(origin, wxSize(area.x, shape.y)); break;
    case kBottom: outline = wxRect(origin + wxPoint(0, area.y - shape.y), wxSize(area.x, shape.y)); break;
    case kLeft: outline = wxRect(origin, wxSize(shape.x, area.y)); break;
    case kRight: outline = wxRect(origin + wxPoint(area.x - shape.x, 0), wxSize(shape.x, area.y)); break;
    default: outline = wxRect(screen - m_dragOffset, shape); break;
  }
  return edge;
}

void CToolBarEx::SetEdge(Edge edge) {
  m_edge = edge;
  Refresh();
}

wxSize CToolBarEx::LayoutFor(int length) {
  if (IsHorizontal()) {
    WrapToolBar(m_items, std::max(length - m_gripper, m_button.cx), m_button);
    const ToolBarSize s = CalcToolBarSize(m_items, m_button);
    return wxSize(s.cx + m_gripper, s.cy + 4);
  }
  // On a left or right edge the buttons stand in as few columns as still fit the edge's length:
  // one column longer than the edge would leave its last buttons out of reach.
  const int lead = std::max(m_gripper, 2) + 2;
  const int buttons = static_cast<int>(m_items.size());
  for (int columns = 1;; ++columns) {
    WrapToolBar(m_items, columns * m_button.cx, m_button);
    const ToolBarSize s = CalcToolBarSize(m_items, m_button);
    if (s.cy + lead <= length || columns >= buttons) return wxSize(s.cx + 4, s.cy + lead);
  }
}

std::vector<wxRect> CToolBarEx::ButtonRects() const {
  std::vector<wxRect> rects(m_items.size());
  const int x0 = IsHorizontal() ? std::max(m_gripper, 2) : 2;
  const int y0 = IsHorizontal() ? 2 : std::max(m_gripper, 2);
  int x = x0, y = y0;
  for (size_t i = 0; i < m_items.size(); ++i) {
    const ToolItem& item = m_items[i];
    if (item.hidden) continue;
    // A bar on a left or right edge is wrapped into rows like a horizontal one.
    if (item.separator) {
      rects[i] = wxRect(x, y, item.width, m_button.cy);
      if (!item.wrap) x += item.width;
    } else {
      rects[i] = wxRect(x, y, m_button.cx, m_button.cy);
      x += m_button.cx;
    }
    if (item.wrap) {
      x = x0;
      y += m_button.cy + (item.separator ? item.width * 2 / 3 + 3 : 0);
    }
  }
  return rects;
}

int CToolBarEx::CommandAt(const wxPoint& p) const {
  const auto rects = ButtonRects();
  for (size_t i = 0; i < m_items.size(); ++i)
    if (!m_items[i].separator && !m_items[i].hidden && rects[i].Contains(p)) return m_items[i].command;
  return 0;
}

void CToolBarEx::UpdateStates() {
  CMainFrm* frame = GetMainFrame();
  if (frame == nullptr) return;
  bool changed = false;
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (m_items[i].separator) continue;
    wxUpdateUIEvent event(m_items[i].command);
    event.SetEventObject(this);
    frame->ProcessWindowEvent(event);
    const bool enabled = event.GetSetEnabled() && event.GetEnabled();
    const bool checked = event.GetSetChecked() && event.GetChecked();
    changed |= enabled != m_enabled[i] || checked != m_checked[i];
    m_enabled[i] = enabled;
    m_checked[i] = checked;
  }
  if (changed) Refresh();
}

int CToolBarEx::EdgeForDrop(const wxPoint& p, const wxSize& frame, int depth) {
  if (!wxRect(frame).Contains(p)) return -1;
  const int toLeft = p.x, toRight = frame.x - 1 - p.x, toTop = p.y, toBottom = frame.y - 1 - p.y;
  const int nearest = std::min({toLeft, toRight, toTop, toBottom});
  if (nearest >= depth) return -1;
  if (nearest == toTop) return kTop;
  if (nearest == toBottom) return kBottom;
  if (nearest == toLeft) return kLeft;
  return kRight;
}

void CToolBarEx::OnMouse(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  const bool onGripper = m_gripper > 0 && (IsHorizontal() ? p.x < m_gripper : p.y < m_gripper);
  if (event.LeftUp()) ShowPrompt(-1);
  if (event.Moving()) {
    // The tip and the status line follow the button under the pointer; while a button is held
    // the status line keeps its text, and the release hands it back.
    const int command = CommandAt(p);
    int item = -1;
    for (size_t i = 0; i < m_items.size() && command != 0; ++i)
      if (m_items[i].command == command) item = static_cast<int>(i);
    ShowPrompt(item);
    if (item != m_tipItem) {
      m_tipItem = item;
      if (item >= 0 && !m_tips[static_cast<size_t>(item)].empty())
        SetToolTip(wxString::FromUTF8(win::Cp1252ToUtf8(m_tips[static_cast<size_t>(item)])));
      else
        UnsetToolTip();
    }
  }
  if (m_dragging && event.Dragging()) {
    wxRect outline;
    DropTarget(ClientToScreen(p), outline);
    if (m_outline == nullptr) m_outline = std::make_unique<CToolBarDragOutline>(this);
    m_outline->Show(outline);
    return;
  }
  if (event.LeftDown()) {
    if (onGripper) {
      m_dragging = true;
      m_dragOffset = p;
      CaptureMouse();
      return;
    }
    const auto rects = ButtonRects();
    for (size_t i = 0; i < m_items.size(); ++i)
      if (!m_items[i].separator && rects[i].Contains(p) && m_enabled[i]) {
        m_pressed = static_cast<int>(i);
        CaptureMouse();
        Refresh();
      }
    return;
  }
  if (event.LeftUp()) {
    if (HasCapture()) ReleaseMouse();
    CMainFrm* frame = GetMainFrame();
    if (m_dragging) {
      EndDrag();
      // Dropped on an edge's strip the bar docks there; anywhere else it stays where it was.
      wxRect outline;
      const int edge = frame != nullptr && frame == GetParent() ? DropTarget(ClientToScreen(p), outline) : -1;
      if (edge >= 0) frame->DockToolBar(edge);
      return;
    }
    const int pressed = m_pressed;
    m_pressed = -1;
    Refresh();
    if (pressed >= 0 && CommandAt(p) == m_items[static_cast<size_t>(pressed)].command && frame != nullptr)
      frame->RouteCommand(m_items[static_cast<size_t>(pressed)].command);
  }
}

void CToolBarEx::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  dc.SetBackground(wxBrush(face));
  dc.Clear();
  // The gripper: a raised line three pixels wide along the leading edge; a fixed bar has a
  // raised frame instead.
  const wxSize size = GetClientSize();
  dc.SetPen(wxPen(light));
  if (m_gripper == 0) {
    dc.DrawLine(0, 0, size.x - 1, 0);
    dc.DrawLine(0, 0, 0, size.y - 1);
    dc.SetPen(wxPen(shadow));
    dc.DrawLine(size.x - 1, 0, size.x - 1, size.y);
    dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
  } else if (IsHorizontal()) {
    dc.DrawLine(3, 3, 3, size.y - 3);
    dc.SetPen(wxPen(shadow));
    dc.DrawLine(5, 3, 5, size.y - 3);
  } else {
    dc.DrawLine(3, 3, size.x - 3, 3);
    dc.SetPen(wxPen(shadow));
    dc.DrawLine(3, 5, size.x - 3, 5);
  }
  const auto rects = ButtonRects();
  for (size_t i = 0; i < m_items.size(); ++i) {
    const wxRect& r = rects[i];
    if (m_items[i].hidden) continue;
    if (m_items[i].separator) {
      dc.SetPen(wxPen(shadow));
      if ((IsHorizontal() || m_gripper == 0) && !m_items[i].wrap) dc.DrawLine(r.x + r.width / 2, r.y + 2, r.x + r.width / 2, r.GetBottom() - 2);
      continue;
    }
    const bool down = m_pressed == static_cast<int>(i) || m_checked[i];
    if (down) {
      dc.SetPen(wxPen(shadow));
      dc.DrawLine(r.x, r.y, r.GetRight(), r.y);
      dc.DrawLine(r.x, r.y, r.x, r.GetBottom());
      dc.SetPen(wxPen(light));
      dc.DrawLine(r.x, r.GetBottom(), r.GetRight(), r.GetBottom());
      dc.DrawLine(r.GetRight(), r.y, r.GetRight(), r.GetBottom());
    }
    if (!m_images[i].IsOk()) continue;
    wxBitmap image = m_images[i].GetBitmapFor(this);
    if (!m_enabled[i]) image = image.ConvertToDisabled();
    const wxSize logical = image.GetLogicalSize();
    dc.DrawBitmap(image, r.x + (r.width - logical.x) / 2 + (down ? 1 : 0), r.y + (r.height - logical.y) / 2 + (down ? 1 : 0),
                  true);
  }
}

void CToolBarEx::SetTips(std::vector<std::string> tips) {
  for (size_t i = 0; i < tips.size() && i < m_tips.size(); ++i)
    if (m_tips[i].empty()) m_tips[i] = std::move(tips[i]);
}

void CToolBarEx::ShowPrompt(int item) {
  const int command = item >= 0 ? m_items[static_cast<size_t>(item)].command : 0;
  CMainFrm* frame = GetMainFrame();
  if (frame == nullptr || command == m_promptCommand) return;
  m_promptCommand = command;
  frame->ShowCommandPrompt(command);
}

CToolBarScen::CToolBarScen(wxWindow* parent, const std::vector<int>& commands, std::vector<std::string> tips)
    : CToolBarEx(parent, commands, 16, 15) {
  SetName("CToolBarScen");
  SetFixed();
  SetTips(std::move(tips));
  SetEdge(kRight);
}
