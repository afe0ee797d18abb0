#pragma once

// The rows of a main dialog's area list, kept apart from the list control that mirrors them:
// which area each row shows, in priority order (first row highest), with its check box. Areas
// are never removed from the underlying list while the dialog lives; deleting a row only takes
// it out of the view, so the rows, not the list, say which areas exist and in which order.

#include <string>
#include <vector>

#include "basemaker/app/AreaList.h"

struct AreaRow {
  int entry = 0;  // index into the area list
  bool checked = false;
};

class AreaRows {
 public:
  // One row per area of `areas` in list order, checked when the area is active. The list must
  // outlive the rows. With `requiredStay` a required area can be neither switched off, edited
  // nor deleted.
  AreaRows(CAreaList& areas, bool requiredStay);

  int Count() const { return static_cast<int>(m_rows.size()); }
  const AreaRow& Row(int row) const { return m_rows.at(row); }
  const AreaEntry& EntryOf(int row) const { return m_areas.m_entries.at(m_rows.at(row).entry); }
  // The 1-based position: "1", "2"... as read, "001", "002"... once the rows were rearranged.
  std::string PriorityText(int row) const;

  // The id of the message that refuses the change, or 0 when it was made. Checking is never
  // refused.
  int SetChecked(int row, bool checked);
  void CheckAll();

  // The row's new index, or -1 when it cannot move (the top row up, the last row down).
  int MoveUp(int row);
  int MoveDown(int row);

  // 0 when the row may be edited or deleted, else the id of the message that refuses it.
  int EditRefusal(int row) const;
  int DeleteRefusal(int row) const;
  void ReplaceEntry(int row, const AreaEntry& entry);
  // Appends the entry to the list and shows it in a new top row; returns that row (0).
  int AddAtTop(const AreaEntry& entry);
  // Removes the row from the view; returns the row to select next, -1 when none is left.
  int Delete(int row);

  // The rows in view order as a list to build or save: each row's area gets the row's check
  // state as its active flag (in the underlying list too) and is copied; deleted areas are left
  // out. A build list carries the database texts, a save list the configuration's general and
  // cache sections.
  CAreaList ListToBuild();
  CAreaList ListToSave();

 private:
  void AppendRows(CAreaList& out);

  CAreaList& m_areas;
  bool m_requiredStay;
  std::vector<AreaRow> m_rows;
  bool m_renumbered = false;
};
