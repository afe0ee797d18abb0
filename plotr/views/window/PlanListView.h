#pragma once

// The plan list with its editing: drag and drop of waypoints, frequencies, headings and SID/STAR
// procedures, the clipboard, delete, undo and redo, renaming user points in place and the
// context menu's commands on the focused or selected rows. It fills no lines itself: the plan
// table and the SID/STAR leg list derive from it and fill them, one line per plan row.

#include <wx/dnd.h>
#include <wx/timer.h>

#include <optional>

#include "plotr/core/PlotrDocument.h"
#include "plotr/views/PlanListCommands.h"
#include "plotr/views/window/PlanListCtrl.h"

class wxMenu;

class CPlanListView : public PlanListCtrl {
 public:
  CPlanListView(wxWindow* parent, wxWindowID id, IPlotrDocument& document);
  ~CPlanListView() override;

  IPlotrDocument& Document() const { return m_document; }
  // The selection as the plan commands see it.
  planlist::Selection CurrentSelection() const;
  // `withClipboard`: whether Paste is looked at (the clipboard is asked).
  planlist::CommandStates CommandStates(bool withClipboard = false) const;
  // Menu 153 with its items enabled for the current rows (the caller owns it).
  wxMenu* BuildContextMenu();

  // Runs a command of menu 153 or the edit commands; false when it is off.
  bool RunCommand(int id);

  // The drop target's two halves, callable with any data object the drop brings.
  wxDragResult DragOver(const wxPoint& point, wxDragResult suggested, const clip::ClipData& offered);
  wxDragResult DropData(const wxPoint& point, wxDragResult suggested, const clip::ClipData& offered);
  void DragLeave();

 protected:
  // The plan changed: modified flag, the hint to every view, then the new-point bytes cleared.
  void PlanChanged(uint32_t hint);

 private:
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnBeginDrag(wxListEvent& event);
  void OnBeginLabelEdit(wxListEvent& event);
  void OnEndLabelEdit(wxListEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnDoubleClick(wxMouseEvent& event);
  void OnScrollTimer(wxTimerEvent& event);

  void CenterMap();
  void Copy();
  void Paste();
  void Delete();
  void UndoRedo(bool undo);
  void FlyTo();
  void FlyPlanFromHere();
  void MoveAircraft();
  void TowerView();
  void Holding();
  void SelectAll();
  void ShowStatus(unsigned id);

  // Drag scroll: where the pointer rests in the band along the edges.
  int ScrollDirection(const wxPoint& point) const;
  void ScrollOnce(int direction);

  IPlotrDocument& m_document;
  wxTimer m_scrollTimer;
  int m_scrollDirection = 0xFFFF;  // low byte 0 left, 1 right; high byte 0 up, 1 down; 0xFF none
};

// The drop target: the plan list reads "Plotr Sid/Star", "Plotr Plan Point Array" and "Plotr
// Full Point", in that order of preference.
class CPlanListDropTarget : public wxDropTarget {
 public:
  explicit CPlanListDropTarget(CPlanListView& list);
  wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult suggested) override;
  wxDragResult OnData(wxCoord x, wxCoord y, wxDragResult suggested) override;
  void OnLeave() override;
  bool OnDrop(wxCoord x, wxCoord y) override;
  // The formats the list reads, as a drop brought them in `object`.
  static clip::ClipData OfferedIn(wxDataObjectComposite& object);

 private:
  // What is offered: the in-process drag's bytes, or for a drag from outside the format names
  // only (judged again on the drop).
  clip::ClipData Offered();
  CPlanListView& m_list;
  wxDataObjectComposite* m_composite;
};
