#include "plotr/shell/PlanUiWx.h"

#include <wx/choicdlg.h>
#include <wx/utils.h>

#include "platform/ui/ModalHook.h"
#include "platform/win/Codepage.h"
#include "plotr/shell/ShellStrings.h"

void CWxPlanUi::BeginWaitCursor() { wxBeginBusyCursor(); }
void CWxPlanUi::EndWaitCursor() { wxEndBusyCursor(); }
void CWxPlanUi::ShowInformation(const std::string& text) { ShowShellMessage(text, ui::kMbIconInformation); }
void CWxPlanUi::ShowError(const std::string& text) { ShowShellMessage(text, ui::kMbIconStop); }

int CWxPlanUi::ChooseScenery(const std::vector<SceneryEntry>& entries) {
  wxArrayString names;
  for (const SceneryEntry& e : entries)
    names.Add(wxString::FromUTF8(win::Cp1252ToUtf8(e.title + "  " + e.name1 + " " + e.name2)));
  wxSingleChoiceDialog dialog(nullptr, "Choose the scenery database", "Open Scenery", names);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return -1;
  return dialog.GetSelection();
}

void InstallWxPlanUi() {
  static CWxPlanUi ui;
  SetPlanUi(&ui);
}
