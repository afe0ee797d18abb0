#include "plotr/shell/window/SplitWnd.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "platform/ui/KeyForward.h"
#include "plotr/shell/window/MainFrm.h"

CSplitWnd::CSplitWnd(wxWindow* parent, int rows, int columns, wxWindowID id)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxCLIP_CHILDREN | wxBORDER_NONE),
      m_rows(static_cast<size_t>(rows)),
      m_columns(static_cast<size_t>(columns)),
      m_panes(static_cast<size_t>(rows * columns), nullptr) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_SIZE, &CSplitWnd::OnSize, this);
  Bind(wxEVT_PAINT, &CSplitWnd::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CSplitWnd::OnMouse, this);
  Bind(wxEVT_LEFT_UP, &CSplitWnd::OnMouse, this);
  Bind(wxEVT_MOTION, &CSplitWnd::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_dragBar = -1; });
  Bind(wxEVT_KEY_DOWN, &CSplitWnd::OnKey, this);
  Bind(wxEVT_KEY_UP, &CSplitWnd::OnKey, this);
  Bind(wxEVT_CHAR, &CSplitWnd::OnKey, this);
}

void CSplitWnd::SetPane(int row, int column, wxWindow* pane) {
  m_panes[static_cast<size_t>(row) * m_columns.size() + static_cast<size_t>(column)] = pane;
}

wxWindow* CSplitWnd::GetPane(int row, int column) const {
  return m_panes[static_cast<size_t>(row) * m_columns.size() + static_cast<size_t>(column)];
}

void CSplitWnd::SetRowInfo(int row, int ideal, int minimum) {
  m_rows[static_cast<size_t>(row)].ideal = ideal;
  m_rows[static_cast<size_t>(row)].minimum = minimum;
}

void CSplitWnd::SetColumnInfo(int column, int ideal, int minimum) {
  m_columns[static_cast<size_t>(column)].ideal = ideal;
  m_columns[static_cast<size_t>(column)].minimum = minimum;
}

void CSplitWnd::RecalcLayout() {
  const wxSize size = GetClientSize();
  LayoutSpans(m_rows, size.y, kGap);
  LayoutSpans(m_columns, size.x, kGap);
  int y = 0;
  for (size_t r = 0; r < m_rows.size(); ++r) {
    int x = 0;
    for (size_t c = 0; c < m_columns.size(); ++c) {
      if (wxWindow* pane = m_panes[r * m_columns.size() + c]) {
        const bool shown = m_rows[r].current > 0 && m_columns[c].current > 0;
        pane->Show(shown);
        if (shown) pane->SetSize(x, y, m_columns[c].current, m_rows[r].current);
      }
      x += m_columns[c].current + kGap;
    }
    y += m_rows[r].current + kGap;
  }
  Refresh();
}

void CSplitWnd::OnSize(wxSizeEvent& event) {
  const wxSize size = event.GetSize();
  if (size.x > 0 && size.y > 0) {
    ResizeSpans(m_rows, splitMode, m_lastSize.y, size.y, kGap);
    ResizeSpans(m_columns, splitMode, m_lastSize.x, size.x, kGap);
    m_lastSize = size;
  }
  RecalcLayout();
}

void CSplitWnd::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  const wxSize size = GetClientSize();
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(face));
  dc.DrawRectangle(0, 0, size.x, size.y);
  // A raised line three pixels wide through the middle of each bar.
  auto raised = [&](int x, int y, int w, int h, bool horizontal) {
    dc.SetPen(wxPen(light));
    if (horizontal) dc.DrawLine(x, y, x + w, y); else dc.DrawLine(x, y, x, y + h);
    dc.SetPen(wxPen(shadow));
    if (horizontal) dc.DrawLine(x, y + 2, x + w, y + 2); else dc.DrawLine(x + 2, y, x + 2, y + h);
  };
  int y = 0;
  for (size_t r = 0; r + 1 < m_rows.size(); ++r) {
    y += m_rows[r].current;
    raised(0, y + kGap / 2 - 1, size.x, 0, true);
    y += kGap;
  }
  int x = 0;
  for (size_t c = 0; c + 1 < m_columns.size(); ++c) {
    x += m_columns[c].current;
    raised(x + kGap / 2 - 1, 0, 0, size.y, false);
    x += kGap;
  }
}

int CSplitWnd::HitBar(const wxPoint& p, bool& isRow) const {
  int y = 0;
  for (size_t r = 0; r + 1 < m_rows.size(); ++r) {
    y += m_rows[r].current;
    if (p.y >= y && p.y < y + kGap) {
      isRow = true;
      return static_cast<int>(r);
    }
    y += kGap;
  }
  int x = 0;
  for (size_t c = 0; c + 1 < m_columns.size(); ++c) {
    x += m_columns[c].current;
    if (p.x >= x && p.x < x + kGap) {
      isRow = false;
      return static_cast<int>(c);
    }
    x += kGap;
  }
  return -1;
}

void CSplitWnd::OnMouse(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  if (event.LeftDown()) {
    bool isRow = false;
    const int bar = HitBar(p, isRow);
    if (bar < 0) return;
    m_dragBar = bar;
    m_dragRow = isRow;
    int start = 0;
    const auto& spans = isRow ? m_rows : m_columns;
    for (int i = 0; i < bar; ++i) start += spans[static_cast<size_t>(i)].current + kGap;
    m_dragOffset = start;
    CaptureMouse();
    return;
  }
  if (event.LeftUp()) {
    if (m_dragBar >= 0 && HasCapture()) ReleaseMouse();
    m_dragBar = -1;
    return;
  }
  if (m_dragBar >= 0 && event.Dragging()) {
    auto& spans = m_dragRow ? m_rows : m_columns;
    SplitSpan& s = spans[static_cast<size_t>(m_dragBar)];
    const int pos = m_dragRow ? p.y : p.x;
    s.ideal = std::max(pos - m_dragOffset, 0);
    // Dragged below its minimum the pane collapses.
    if (s.ideal < s.minimum) s.ideal = 0;
    RecalcLayout();
    return;
  }
  bool isRow = false;
  const int bar = HitBar(p, isRow);
  SetCursor(bar < 0 ? wxNullCursor : wxCursor(isRow ? wxCURSOR_SIZENS : wxCURSOR_SIZEWE));
}

void CSplitWnd::OnKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  SplitKey kind = SplitKey::kOther;
  if (key == WXK_CANCEL) {
    kind = SplitKey::kCancel;
  } else if (key == WXK_PAGEUP || key == WXK_PAGEDOWN || key == WXK_END || key == WXK_HOME || key == WXK_LEFT ||
             key == WXK_RIGHT || key == WXK_UP || key == WXK_DOWN) {
    kind = SplitKey::kNavigation;
  } else if (key == WXK_RETURN || key == WXK_BACK) {
    kind = SplitKey::kReturnOrBack;
  }
  const CMainFrm* main = GetMainFrame();
  const SplitKeyRoute route = RouteSplitKey(kind, main != nullptr && !main->IsDocked(), event.ShiftDown());
  if (route.forward) ui::ForwardKeyToHost(this, event);
  if (route.handle) event.Skip();
}
