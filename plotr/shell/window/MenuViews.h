#pragma once
// The frame has no menu bar: the pane beside the search view holds a column of flat buttons,
// one per popup of the module's menu, and the plan table to their right. A button drops its
// popup beside it; the commands go through the main frame's route, so the view the user was
// working in keeps receiving them.

#include <wx/menu.h>
#include <wx/panel.h>

#include <vector>

class CPaneView;
class CPlotrDoc;
class wxButton;

// A fresh popup of the module's menu (position 0 to 3); check items where the command checks.
wxMenu* BuildMenuPopup(size_t position);

class CMenuView : public wxPanel {
 public:
  explicit CMenuView(wxWindow* parent);
  // Width and height of the button column.
  wxSize GetMenuBarSize() const { return GetBestSize(); }
  // Drops the popup of a button as a click does.
  void OpenPopup(size_t position);
  const std::vector<wxButton*>& Buttons() const { return m_buttons; }

 private:
  std::vector<wxButton*> m_buttons;
};

class CMenuPlanView : public wxPanel {
 public:
  CMenuPlanView(wxWindow* parent, CPlotrDoc& document);
  CPaneView* GetPlanView() const { return m_planView; }
  CMenuView* GetMenuView() const { return m_menu; }

 private:
  void OnSize(wxSizeEvent& event);
  CMenuView* m_menu = nullptr;
  CPaneView* m_planView = nullptr;
};
