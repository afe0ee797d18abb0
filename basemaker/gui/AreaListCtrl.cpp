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
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    FitTitleColumn();
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

void CAreaListCtrl::FitTitleColumn() {
  const int width = GetClientSize().GetWidth() - kNarrowColumns;
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

void CAreaListCtrl::OnFocus(wxFocusEvent& event) {
  if (SelectedRow() < 0 && GetItemCount() > 0) SelectRow(0);
  event.Skip();
}
