#pragma once
// The module's splitter: a grid of rows x columns of panes with flat bars between them that the
// mouse drags. Sizes follow LayoutSpans; `splitMode` says how they follow a size change.

#include <wx/docview.h>
#include <wx/window.h>

#include <vector>

#include "plotr/shell/SplitLayout.h"

class CSplitWnd : public wxWindow {
 public:
  static constexpr int kGap = 6;

  CSplitWnd(wxWindow* parent, int rows, int columns, wxWindowID id = wxID_ANY);

  void SetPane(int row, int column, wxWindow* pane);
  wxWindow* GetPane(int row, int column) const;
  void SetRowInfo(int row, int ideal, int minimum);
  void SetColumnInfo(int column, int ideal, int minimum);
  int GetRowCurrent(int row) const { return m_rows[row].current; }
  int GetColumnCurrent(int column) const { return m_columns[column].current; }
  void RecalcLayout();

  int splitMode = 0;
  void SetLastActiveView(wxView* view) { m_lastActiveView = view; }
  wxView* GetLastActiveView() const { return m_lastActiveView; }

 private:
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnMouse(wxMouseEvent& event);
  void OnKey(wxKeyEvent& event);
  // The bar under a point: row bar index (>= 0) or column bar index, -1 when none.
  int HitBar(const wxPoint& p, bool& isRow) const;

  std::vector<SplitSpan> m_rows;
  std::vector<SplitSpan> m_columns;
  std::vector<wxWindow*> m_panes;
  wxSize m_lastSize;
  wxView* m_lastActiveView = nullptr;
  int m_dragBar = -1;
  bool m_dragRow = false;
  int m_dragOffset = 0;
};
