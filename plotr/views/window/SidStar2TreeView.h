#pragma once

// The procedure tree of the SID/STAR browser: the SIDs and STARs of the plan row selected in
// the leg list, grouped by en-route fix, the procedure the plan flies there in bold and
// selected. From it the plan's procedure is replaced (command or drag onto the plan list),
// procedures are edited or deleted and the map is centred.

#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/SidStarTreeView.h"

class CSidStar2TreeView : public CSidStarTreeView {
 public:
  CSidStar2TreeView(wxWindow* parent, wxWindowID id, CSidStarPage& page);

  void OnSidStarUpdate(const UpdateHint& hint) override;
  wxMenu* BuildContextMenu() override;
  const sidstar::CProcedureTreeModel& Model() const { return m_model; }
  void Rebuild(int row);
  // What a drag of the selected item offers: its reference as "Plotr Sid/Star" when it is a
  // procedure the catalogue still has, else nothing.
  clip::ClipData DragData();
  void DragSelected();

 private:
  void OnExpanding(wxTreeEvent& event);
  void OnCollapsing(wxTreeEvent& event);
  void OnCollapsed(wxTreeEvent& event);
  void OnSelectionChanged(wxTreeEvent& event);
  void OnBeginDrag(wxTreeEvent& event);
  void OnItemMenu(wxTreeEvent& event);
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  void SendDescription(const std::optional<SidStarRefClip>& ref);
  void Replace();
  void Properties();
  void Delete();

  sidstar::CProcedureTreeModel m_model;
};
