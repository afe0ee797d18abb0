#pragma once

// The search pane: an "Id:" check box and a text field on the first line, the result list
// below. Its three controls pass every key they do not need to the simulator; the text field
// stays passive (read-only) until it is clicked or takes Enter, so typing over the pane keeps
// flying the aircraft. From a result the user centres the map, drags or copies it, adds it to
// the plan, flies or moves the aircraft there or places the tower view near it.

#include <wx/checkbox.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/menu.h>
#include <wx/vlbox.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "plotr/core/PlotrDocument.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/views/SearchModel.h"

// What the controls report to their form; the form answers true when it handled it.
enum class NavNotify { kReturn, kDoubleClick, kClick };
using NavNotifier = std::function<bool(NavNotify)>;

// A check box with its label on the left that passes floating arrow keys to the simulator.
class CNavButton : public wxCheckBox {
 public:
  CNavButton(wxWindow* parent, wxWindowID id, const wxString& label);
};

// The text field: passive until clicked or given Enter; Enter in it runs the search.
class CNavEdit : public wxTextCtrl {
 public:
  CNavEdit(wxWindow* parent, wxWindowID id, NavNotifier notify);
  bool IsPassive() const { return !IsEditable(); }
  void BecomeEditable();
  void BecomePassive();

 private:
  void OnLeftUp(wxMouseEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnChar(wxKeyEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  NavNotifier m_notify;
};

// The result list: tab-separated fields at fixed stops.
class CNavListBox : public wxVListBox {
 public:
  CNavListBox(wxWindow* parent, wxWindowID id, NavNotifier notify);
  void SetRows(std::vector<std::string> rows);
  const std::vector<std::string>& Rows() const { return m_rows; }
  // Colours of the colour scheme.
  void SetScheme(const wxColour& text, const wxColour& back);

 private:
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
  wxCoord OnMeasureItem(size_t n) const override;
  void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;
  void OnKeyDown(wxKeyEvent& event);
  void OnChar(wxKeyEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftDouble(wxMouseEvent& event);
  void OnRightDown(wxMouseEvent& event);
  NavNotifier m_notify;
  std::vector<std::string> m_rows;  // code page 1252
  wxColour m_text = *wxBLACK;
};

class CSearchView : public wxPanel, public IPaneWindow {
 public:
  CSearchView(wxWindow* parent, IPlotrDocument& document);

  void OnInitialUpdate() override;
  void OnPlanUpdate(const UpdateHint& hint) override;
  wxSize GetFormSize() const override;

  // Runs the search of the text field; the rows and whether the limit stopped it.
  void FillSearchResults();
  CNavButton* IdButton() const { return m_id; }
  CNavEdit* Edit() const { return m_edit; }
  CNavListBox* List() const { return m_list; }
  // The result of the selected row, when there is one.
  std::optional<FullPoint> SelectedPoint() const;
  // Menu 151 with its items enabled for the selected row (the caller owns it).
  wxMenu* BuildContextMenu();
  int Scheme() const { return m_scheme; }

 private:
  bool OnEditNotify(NavNotify code);
  bool OnListNotify(NavNotify code);
  void OnListMotion(wxMouseEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  void ApplyScheme();
  void CenterMap();
  void StartDrag();
  void CopySelection();
  void MoveAircraft();
  void TowerView();
  void AddToPlan();

  IPlotrDocument& m_document;
  CNavButton* m_id = nullptr;
  CNavEdit* m_edit = nullptr;
  CNavListBox* m_list = nullptr;
  std::vector<FullPoint> m_results;
  int m_scheme = -1;
  std::optional<wxPoint> m_pressPoint;  // a click in the list that may become a drag
  bool m_listMenu = false;              // the list's context menu is being built or is up
};

// Puts the search pane into the main frame's pane table.
void RegisterSearchPane();
