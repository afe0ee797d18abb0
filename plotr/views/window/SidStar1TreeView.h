#pragma once

// The airport tree of the SID/STAR browser: every catalogue airport by region and country;
// opening an airport shows its file's date and authors and the runways with SIDs and STARs.
// From it a runway goes to the end of the plan (command or drag), airport files are deleted
// here or also on the server, and closing the top item reads the catalogue folder again.

#include <functional>

#include "plotr/views/window/SidStarTreeView.h"

class CSidStar1TreeView : public CSidStarTreeView {
 public:
  CSidStar1TreeView(wxWindow* parent, wxWindowID id, CSidStarPage& page);

  void OnSidStarUpdate(const UpdateHint& hint) override;
  wxMenu* BuildContextMenu() override;
  const sidstar::CAirportTreeModel& Model() const { return m_model; }
  void Rebuild();
  // The connection test before a delete on the server; tests put their own in place.
  static std::function<bool()>& ConnectionTest();

 private:
  void OnExpanding(wxTreeEvent& event);
  void OnCollapsed(wxTreeEvent& event);
  void OnBeginDrag(wxTreeEvent& event);
  void OnItemMenu(wxTreeEvent& event);
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  // The selected runway entry's runway end as the first point of `scratch`; false when the
  // item is no runway or the database has none there.
  bool ResolveRunway(const std::optional<SidStarRefClip>& ref, CRoute& scratch);
  void AddRunway();
  void DeleteAirport();
  void DeleteOnServer();

  sidstar::CAirportTreeModel m_model;
};
