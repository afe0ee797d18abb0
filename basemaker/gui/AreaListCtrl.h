#pragma once

// The area list of both main dialogs: a check box, the title and the priority per row, a mirror
// of an AreaRows model. The model decides; the control only shows it and passes on the user's
// check changes.

#include <wx/listctrl.h>

#include <functional>

#include "basemaker/app/AreaRows.h"

class CAreaListCtrl : public wxListCtrl {
 public:
  CAreaListCtrl(wxWindow* parent, int id, long singleOrMultipleSelection);

  // The rows to show (not owned; may be null for none).
  void SetRows(AreaRows* rows);
  // Writes one row of the model into the list in place: item data, check box and texts.
  void ShowRow(int row);
  // Makes the list match the model: rows added or removed at the end, every row rewritten.
  void ShowAllRows();
  void SelectRow(int row);
  int SelectedRow() const;
  void FitTitleColumn();

  // Called with the row and the id of the message when the model refused an uncheck; the box
  // is checked again after it returns.
  std::function<void(int row, int messageId)> onRefused;

 private:
  void OnChecked(wxListEvent& event);
  void OnUnchecked(wxListEvent& event);
  int RowsWidth() const;
  void OnFocus(wxFocusEvent& event);
  void OnKeyDown(wxKeyEvent& event);

  AreaRows* m_rows = nullptr;
  // Set while the list is written from the model, whose check events are not the user's.
  bool m_filling = false;
  int m_fittedWidth = -1;  // the rows' width the title column was last fitted to
};
