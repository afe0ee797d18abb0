#include "basemaker/gui/AreaListCtrl.h"

#include "basemaker/gui/BuilderBox.h"

namespace {

constexpr int kCheckColumn = 0;
constexpr int kTitleColumn = 1;
constexpr int kPriorityColumn = 2;
// The check and priority columns are 60 pixels each; the title takes the rest.
constexpr int kNarrowColumns = 120;

}  // namespace

CAreaListCtrl::CAreaListCtrl(wxWindow* parent, int id, long singleOrMultipleSelection)
    : wxListCtrl(parent, id, wxDefaultPosition, wxSize(440, 300),
                 wxLC_REPORT | singleOrMultipleSelection | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN) {
  EnableCheckBoxes();
  InsertColumn(kCheckColumn, BuilderText(IDS_COLUMN_ENABLED), wxLIST_FORMAT_LEFT, 60);
  InsertColumn(kTitleColumn, BuilderText(IDS_COLUMN_AREA), wxLIST_FORMAT_LEFT, 320);
  InsertColumn(kPriorityColumn, BuilderText(IDS_COLUMN_PRIORITY), wxLIST_FORMAT_CENTRE, 60);
  Bind(wxEVT_LIST_ITEM_CHECKED, &CAreaListCtrl::OnChecked, this);
  Bind(wxEVT_LIST_ITEM_UNCHECKED, &CAreaListCtrl::OnUnchecked, this);
  Bind(wxEVT_SET_FOCUS, &CAreaListCtrl::OnFocus, this);
  Bind(wxEVT_KEY_DOWN, &CAreaListCtrl::OnKeyDown, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    FitTitleColumn();
    e.Skip();
  });
  // The vertical scroll bar comes and goes with the rows once the list has laid them out, which
  // it does when idle and in several steps: the title column is fitted again to where they
  // settled, so the priority column never slides under the bar.
  Bind(wxEVT_IDLE, [this](wxIdleEvent& e) {
    if (RowsWidth() != m_fittedWidth) FitTitleColumn();
    e.Skip();
  });
}

void CAreaListCtrl::SetRows(AreaRows* rows) {
  m_rows = rows;
  DeleteAllItems();
  ShowAllRows();
  FitTitleColumn();
}

void CAreaListCtrl::ShowRow(int row) {
  const AreaRow& r = m_rows->Row(row);
  m_filling = true;
  SetItemData(row, static_cast<long>(r.entry));
  SetItem(row, kTitleColumn, ui::FromCp1252(m_rows->EntryOf(row).title));
  SetItem(row, kPriorityColumn, m_rows->PriorityText(row));
  if (IsItemChecked(row) != r.checked) CheckItem(row, r.checked);
  m_filling = false;
}

void CAreaListCtrl::ShowAllRows() {
  const int count = m_rows ? m_rows->Count() : 0;
  while (GetItemCount() < count) InsertItem(GetItemCount(), "");
  while (GetItemCount() > count) DeleteItem(GetItemCount() - 1);
  for (int row = 0; row < count; ++row) ShowRow(row);
}

void CAreaListCtrl::SelectRow(int row) {
  if (row < 0 || row >= GetItemCount()) return;
  SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  EnsureVisible(row);
}

int CAreaListCtrl::SelectedRow() const {
  return static_cast<int>(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

int CAreaListCtrl::RowsWidth() const {
  // The rows sit in a window of their own beside the scroll bar; the control's own client area
  // may still count the bar.
  const wxWindow* rows = GetTargetWindow();
  return (rows ? rows : this)->GetClientSize().GetWidth();
}

void CAreaListCtrl::FitTitleColumn() {
  m_fittedWidth = RowsWidth();
  const int width = m_fittedWidth - kNarrowColumns;
  if (width > 0) SetColumnWidth(kTitleColumn, width);
}

void CAreaListCtrl::OnChecked(wxListEvent& event) {
  if (!m_filling && m_rows) m_rows->SetChecked(static_cast<int>(event.GetIndex()), true);
}

void CAreaListCtrl::OnUnchecked(wxListEvent& event) {
  if (m_filling || !m_rows) return;
  const int row = static_cast<int>(event.GetIndex());
  const int refusal = m_rows->SetChecked(row, false);
  if (refusal == 0) return;
  // The list cannot veto the change: the box is set again once the user has been told.
  if (onRefused) onRefused(row, refusal);
  ShowRow(row);
}

void CAreaListCtrl::OnKeyDown(wxKeyEvent& event) {
  const long row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
  if (event.GetKeyCode() != WXK_SPACE || event.HasAnyModifiers() || row < 0) {
    event.Skip();
    return;
  }
  // The keyboard's way to switch an area on or off: the same path as a click on its box, so a
  // required area refuses in the same way.
  CheckItem(row, !IsItemChecked(row));
}

void CAreaListCtrl::OnFocus(wxFocusEvent& event) {
  if (SelectedRow() < 0 && GetItemCount() > 0) SelectRow(0);
  event.Skip();
}
