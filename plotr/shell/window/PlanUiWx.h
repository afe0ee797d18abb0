#pragma once
// The plan model's questions to the user, answered by windows: wait cursor, message boxes and
// the database-open dialog.

#include <wx/dialog.h>

#include <string>
#include <vector>

#include "plotr/plan/PlanUi.h"

class CWxPlanUi : public IPlanUi {
 public:
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
  int ChooseScenery(const std::vector<SceneryEntry>& entries) override;
};

class wxButton;
class wxListBox;
class wxStaticText;

// The database-open dialog: the first names in a list, the selected one's second name below.
class CDlgOpenScenery : public wxDialog {
 public:
  CDlgOpenScenery(wxWindow* parent, const std::vector<SceneryEntry>& entries);
  // The chosen entry after OK, else -1.
  int GetSelected() const { return m_selected; }
  wxListBox* GetList() const { return m_list; }

 private:
  void OnSelection();
  void Accept();
  std::vector<SceneryEntry> m_entries;
  wxListBox* m_list = nullptr;
  wxStaticText* m_name2 = nullptr;
  wxButton* m_ok = nullptr;
  int m_selected = -1;
};

// The module's one window-backed interface, handed to the plan where it is made.
IPlanUi& WxPlanUi();
