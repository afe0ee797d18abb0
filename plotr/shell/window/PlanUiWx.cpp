#include "plotr/shell/window/PlanUiWx.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "platform/ui/ModalHook.h"
#include "platform/win/Codepage.h"
#include "plotr/tools/window/ShellStrings.h"

void CWxPlanUi::BeginWaitCursor() { wxBeginBusyCursor(); }
void CWxPlanUi::EndWaitCursor() { wxEndBusyCursor(); }
void CWxPlanUi::ShowInformation(const std::string& text) { ShowShellMessage(text, ui::kMbIconInformation); }
void CWxPlanUi::ShowError(const std::string& text) { ShowShellMessage(text, ui::kMbIconStop); }

namespace {

wxString Wx(const std::string& cp1252) { return wxString::FromUTF8(win::Cp1252ToUtf8(cp1252)); }

}  // namespace

CDlgOpenScenery::CDlgOpenScenery(wxWindow* parent, const std::vector<SceneryEntry>& entries)
    : wxDialog(parent, 192, "Scenery database open"), m_entries(entries) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(new wxStaticText(this, wxID_ANY, "&Database:"), 0, wxLEFT | wxTOP | wxRIGHT, 10);
  m_list = new wxListBox(this, 8003, wxDefaultPosition, wxSize(280, 140));
  for (const SceneryEntry& e : m_entries) m_list->Append(Wx(e.name1));
  top->Add(m_list, 1, wxEXPAND | wxALL, 10);
  m_name2 = new wxStaticText(this, 8004, "");
  top->Add(m_name2, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  m_ok = new wxButton(this, wxID_OK, "OK");
  auto* help = new wxButton(this, wxID_HELP, "Help");
  // No help file on this platform.
  help->Disable();
  buttons->Add(m_ok, 0, wxRIGHT, 6);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxRIGHT, 6);
  buttons->Add(help);
  top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
  SetSizerAndFit(top);
  m_ok->Disable();
  m_list->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { OnSelection(); });
  m_list->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { Accept(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Accept(); }, wxID_OK);
  if (!m_entries.empty()) m_list->SetSelection(0);
  m_list->SetFocus();
  OnSelection();
}

void CDlgOpenScenery::OnSelection() {
  const int sel = m_list->GetSelection();
  if (sel == wxNOT_FOUND) return;
  m_name2->SetLabel(Wx(m_entries[static_cast<size_t>(sel)].name2));
  m_ok->Enable();
}

void CDlgOpenScenery::Accept() {
  const int sel = m_list->GetSelection();
  if (sel == wxNOT_FOUND) return;
  m_selected = sel;
  EndModal(wxID_OK);
}

int CWxPlanUi::ChooseScenery(const std::vector<SceneryEntry>& entries) {
  CDlgOpenScenery dialog(nullptr, entries);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return -1;
  return dialog.GetSelected();
}

IPlanUi& WxPlanUi() {
  static CWxPlanUi ui;
  return ui;
}
