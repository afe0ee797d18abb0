#include "plotr/multiplayer/window/MultiplayerUiWx.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/wizard.h>

#include <cstdio>

#include "platform/ui/MessageBox.h"
#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/ui/WxText.h"
#include "plotr/core/Settings.h"
#include "plotr/multiplayer/Dp4Wizard.h"
#include "plotr/multiplayer/Dp8Connect.h"
#include "plotr/multiplayer/MpDialogModels.h"
#include "plotr/multiplayer/MpStrings.h"

namespace {

constexpr int kSessionsId = 9107;
constexpr int kSearchId = 9106;

wxString Cp(const std::string& text) { return ui::FromCp1252(text); }

wxString Number(unsigned v) { return wxString::Format("%u", v); }

// "Multiplayer Connect" over the connect logic; a 250 ms timer brings in the search results.
class CDlgDP8Connect : public wxDialog {
 public:
  CDlgDP8Connect(wxWindow* parent, Dp8Connect& model)
      : wxDialog(parent, wxID_ANY, "Multiplayer Connect"), m_model(model), m_timer(this) {
    auto* grid = new wxFlexGridSizer(2, 6, 6);
    grid->AddGrowableCol(1);
    m_address = new wxTextCtrl(this, 9105, Cp(model.Address()));
    m_address->SetMaxLength(Dp8Connect::kAddressChars);
    m_address->SetHint("127.0.0.1 for local Computer");
    auto* search = new wxButton(this, kSearchId, "&Search");
    auto* addressRow = new wxBoxSizer(wxHORIZONTAL);
    addressRow->Add(m_address, 1, wxRIGHT, 6);
    addressRow->Add(search);
    grid->Add(new wxStaticText(this, wxID_ANY, "&IP address:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(addressRow, 1, wxEXPAND);
    m_sessions = new wxListBox(this, kSessionsId, wxDefaultPosition, wxSize(-1, 90));
    grid->Add(new wxStaticText(this, wxID_ANY, "S&essions:"));
    grid->Add(m_sessions, 1, wxEXPAND);
    m_comment = new wxTextCtrl(this, 9108, "", wxDefaultPosition, wxSize(-1, 40), wxTE_MULTILINE | wxTE_READONLY);
    grid->Add(new wxStaticText(this, wxID_ANY, "Session Comments:"));
    grid->Add(m_comment, 1, wxEXPAND);
    m_name = new wxTextCtrl(this, 9104, Cp(model.Name()));
    m_name->SetMaxLength(Dp8Connect::kNameChars);
    grid->Add(new wxStaticText(this, wxID_ANY, "Player &Name:"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_name, 1, wxEXPAND);
    m_passwordLabel = new wxStaticText(this, 9112, "&Password:");
    m_password = new wxTextCtrl(this, 9113, "", wxDefaultPosition, wxDefaultSize, wxTE_PASSWORD);
    m_password->SetMaxLength(Dp8Connect::kPasswordChars);
    grid->Add(m_passwordLabel, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_password, 1, wxEXPAND);
    m_public = new wxCheckBox(this, 9114, "P&ublic Flightplan");
    auto* port = new wxStaticBoxSizer(wxHORIZONTAL, this, "Port Chartwright:");
    m_default = new wxRadioButton(this, 9109, "&Default   [23432]", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_other = new wxRadioButton(this, 9110, "&Other");
    m_port = new wxTextCtrl(this, 9111, Number(model.Port()));
    m_port->SetMaxLength(Dp8Connect::kPortChars);
    (model.PortOther() ? m_other : m_default)->SetValue(true);
    port->Add(m_default, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    port->Add(m_other, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    port->Add(m_port, 1);
    m_join = new wxButton(this, wxID_OK, "&Join");
    m_join->SetDefault();
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(m_join, 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 1, wxEXPAND | wxALL, 10);
    top->Add(m_public, 0, wxLEFT | wxRIGHT, 10);
    top->Add(port, 0, wxEXPAND | wxALL, 10);
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(top);
    SetMinSize(wxSize(420, -1));

    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnTimer(); });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_model.Search(); m_join->SetDefault(); }, kSearchId);
    Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { m_model.Select(m_sessions->GetSelection()); OnSelChange(); }, kSessionsId);
    m_address->Bind(wxEVT_TEXT, [this, search](wxCommandEvent&) {
      if (m_model.SetAddress(ui::ToCp1252(m_address->GetValue()))) search->SetDefault();
    });
    for (wxWindow* w : {static_cast<wxWindow*>(m_default), static_cast<wxWindow*>(m_other)})
      w->Bind(wxEVT_RADIOBUTTON, [this, search](wxCommandEvent&) { OnPortChoice(search); });
    m_port->Bind(wxEVT_TEXT, [this, search](wxCommandEvent&) { OnPortChoice(search); });
    m_name->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { m_model.SetName(ui::ToCp1252(m_name->GetValue())); UpdateJoin(); });
    m_password->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
      m_model.SetPassword(ui::ToCp1252(m_password->GetValue()));
      UpdateJoin();
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnJoin(); }, wxID_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_model.Cancel(); EndModal(wxID_CANCEL); }, wxID_CANCEL);
    m_port->Enable(model.PortOther());
    OnSelChange();
    m_timer.Start(250);
  }
  ~CDlgDP8Connect() override { m_timer.Stop(); }

 private:
  void OnTimer() {
    const bool badHost = m_model.OnTimer();
    if (m_model.Lines() != m_shown) {
      m_shown = m_model.Lines();
      m_sessions->Freeze();
      m_sessions->Clear();
      for (const std::string& line : m_shown) m_sessions->Append(Cp(line));
      if (m_model.Selection() >= 0) m_sessions->SetSelection(m_model.Selection());
      m_sessions->Thaw();
      OnSelChange();
    }
    m_port->ChangeValue(Number(m_model.Port()));
    if (badHost) {
      m_timer.Stop();
      ui::ShowMessageBox(this, ui::LoadString(mpstr::kHostNotFound), "", ui::kMbIconInformation);
      m_timer.Start(250);
    }
  }
  void OnSelChange() {
    m_comment->ChangeValue(Cp(m_model.SelectedComment()));
    const bool password = m_model.PasswordRequired();
    m_passwordLabel->Enable(password);
    m_password->Enable(password);
    if (!password) m_password->ChangeValue("");
    UpdateJoin();
  }
  void OnPortChoice(wxButton* search) {
    m_port->Enable(m_other->GetValue());
    if (m_model.SetPortChoice(m_other->GetValue(), ui::ToCp1252(m_port->GetValue()))) search->SetDefault();
  }
  void UpdateJoin() { m_join->Enable(m_model.CanJoin()); }
  void OnJoin() {
    m_model.SetPublicPlan(m_public->GetValue());
    if (m_model.Join()) EndModal(wxID_OK);
  }

  Dp8Connect& m_model;
  wxTimer m_timer;
  std::vector<std::string> m_shown;
  wxTextCtrl* m_address;
  wxListBox* m_sessions;
  wxTextCtrl* m_comment;
  wxTextCtrl* m_name;
  wxStaticText* m_passwordLabel;
  wxTextCtrl* m_password;
  wxCheckBox* m_public;
  wxRadioButton* m_default;
  wxRadioButton* m_other;
  wxTextCtrl* m_port;
  wxButton* m_join;
};

// The player list, Remove and the two limits of either host settings dialog.
class CDlgHostSettings : public wxDialog {
 public:
  CDlgHostSettings(wxWindow* parent, HostPlayerList& list, unsigned pilots, unsigned observers, SpinRange pilotRange,
                   SpinRange observerRange, unsigned pilotLimit, unsigned observerLimit)
      : wxDialog(parent, wxID_ANY, "Multiplayer Host Settings"), m_list(list) {
    m_players = new wxListBox(this, 8235, wxDefaultPosition, wxSize(200, 120));
    m_remove = new wxButton(this, 8240, "&Remove");
    m_pilots = new wxSpinCtrl(this, 8237, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, pilotRange.low,
                              pilotRange.high, pilotLimit);
    m_observers = new wxSpinCtrl(this, 8239, "", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, observerRange.low,
                                 observerRange.high, observerLimit);
    auto* grid = new wxFlexGridSizer(4, 6, 6);
    grid->Add(new wxStaticText(this, wxID_ANY, "&Pilots:"));
    grid->Add(new wxStaticText(this, 8241, Number(pilots)));
    grid->Add(new wxStaticText(this, wxID_ANY, "from"));
    grid->Add(m_pilots);
    grid->Add(new wxStaticText(this, wxID_ANY, "&Observers:"));
    grid->Add(new wxStaticText(this, 8242, Number(observers)));
    grid->Add(new wxStaticText(this, wxID_ANY, "from"));
    grid->Add(m_observers);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(new wxStaticText(this, wxID_ANY, "Pl&ayers:"), 0, wxLEFT | wxTOP, 10);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_players, 1, wxEXPAND | wxRIGHT, 6);
    row->Add(m_remove);
    top->Add(row, 1, wxEXPAND | wxALL, 10);
    top->Add(grid, 0, wxALL, 10);
    top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(top);
    Fill();
    m_players->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { m_list.Select(m_players->GetSelection()); Update(); });
    m_remove->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
      m_list.RemoveSelected();
      Fill();
    });
  }
  wxSpinCtrl* Pilots() { return m_pilots; }
  wxSpinCtrl* Observers() { return m_observers; }

 private:
  void Fill() {
    m_players->Clear();
    for (const auto& line : m_list.Lines()) m_players->Append(Cp(line.text));
    if (m_list.Selection() >= 0) m_players->SetSelection(m_list.Selection());
    Update();
  }
  void Update() { m_remove->Enable(m_list.CanRemove()); }

  HostPlayerList& m_list;
  wxListBox* m_players;
  wxButton* m_remove;
  wxSpinCtrl* m_pilots;
  wxSpinCtrl* m_observers;
};

// The older session's wizard: connection page, then the session list refreshed every second.
class CMultiplayerWizard : public wxWizard {
 public:
  CMultiplayerWizard(wxWindow* parent, Dp4Wizard& model) : wxWizard(parent, wxID_ANY, "Multiplayer"), m_model(model), m_timer(this) {
    m_first = new wxWizardPageSimple(this);
    m_second = new wxWizardPageSimple(this);
    wxWizardPageSimple::Chain(m_first, m_second);
    BuildFirst();
    BuildSecond();
    // The wizard lays out and sizes only the pages its page area holds: a page left out covers
    // the buttons and piles its controls up at the top.
    GetPageAreaSizer()->Add(m_first);
    GetPageAreaSizer()->Add(m_second);
    Bind(wxEVT_WIZARD_PAGE_CHANGING, &CMultiplayerWizard::OnChanging, this);
    Bind(wxEVT_WIZARD_PAGE_CHANGED, &CMultiplayerWizard::OnChanged, this);
    Bind(wxEVT_WIZARD_CANCEL, [this](wxWizardEvent& e) {
      m_timer.Stop();
      if (GetCurrentPage() == m_first) m_model.CancelConnectionPage();
      e.Skip();
    });
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Refresh(); });
  }
  bool Run() {
    m_model.ActivateConnectionPage();
    FillConnections();
    return RunWizard(m_first);
  }

 private:
  void BuildFirst() {
    auto* s = new wxBoxSizer(wxVERTICAL);
    s->Add(new wxStaticText(m_first, wxID_ANY, "Player &Name:"));
    m_name = new wxTextCtrl(m_first, 8226, Cp(m_model.Name()));
    m_name->SetMaxLength(Dp4Wizard::kNameChars);
    s->Add(m_name, 0, wxEXPAND | wxBOTTOM, 6);
    m_public = new wxCheckBox(m_first, 8227, "&Public Flightplan");
    s->Add(m_public, 0, wxBOTTOM, 6);
    s->Add(new wxStaticText(m_first, wxID_ANY, "&Connection type:"));
    m_connections = new wxListBox(m_first, 8228, wxDefaultPosition, wxSize(300, 80));
    s->Add(m_connections, 1, wxEXPAND | wxBOTTOM, 6);
    m_addressLabel = new wxStaticText(m_first, 8229, "&IP address:");
    s->Add(m_addressLabel);
    m_address = new wxTextCtrl(m_first, 8230, Cp(m_model.Address()));
    m_address->SetMaxLength(Dp4Wizard::kAddressChars);
    s->Add(m_address, 0, wxEXPAND);
    m_hint = new wxStaticText(m_first, 8231, "127.0.0.1 for local Computer");
    s->Add(m_hint);
    m_first->SetSizer(s);
    m_name->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { m_model.SetName(ui::ToCp1252(m_name->GetValue())); UpdateButtons(); });
    m_connections->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) {
      m_model.SelectConnection(m_connections->GetSelection());
      UpdateButtons();
    });
  }
  void BuildSecond() {
    auto* s = new wxBoxSizer(wxVERTICAL);
    s->Add(new wxStaticText(m_second, wxID_ANY, "&Session:"));
    m_sessions = new wxListCtrl(m_second, 8232, wxDefaultPosition, wxSize(340, 120), wxLC_REPORT | wxLC_SINGLE_SEL);
    m_sessions->InsertColumn(0, "Name", wxLIST_FORMAT_LEFT, 200);
    m_sessions->InsertColumn(1, "Pilots", wxLIST_FORMAT_CENTRE, 70);
    m_sessions->InsertColumn(2, "Observers", wxLIST_FORMAT_CENTRE, 70);
    s->Add(m_sessions, 1, wxEXPAND | wxBOTTOM, 6);
    m_passwordLabel = new wxStaticText(m_second, 8233, "&Password:");
    m_password = new wxTextCtrl(m_second, 8234, "", wxDefaultPosition, wxDefaultSize, wxTE_PASSWORD);
    s->Add(m_passwordLabel);
    s->Add(m_password, 0, wxEXPAND);
    m_second->SetSizer(s);
    m_sessions->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& e) { m_model.SelectSession(static_cast<int>(e.GetIndex())); UpdateButtons(); });
    m_sessions->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { m_model.SelectSession(-1); UpdateButtons(); });
  }
  void FillConnections() {
    m_connections->Clear();
    for (const auto& c : m_model.Connections()) m_connections->Append(Cp(c.name));
    if (m_model.ConnectionSelection() >= 0) m_connections->SetSelection(m_model.ConnectionSelection());
    UpdateButtons();
  }
  void UpdateButtons() {
    const bool first = GetCurrentPage() == nullptr || GetCurrentPage() == m_first;
    const bool tcp = m_model.AddressEnabled();
    m_addressLabel->Enable(tcp);
    m_address->Enable(tcp);
    m_hint->Enable(tcp);
    if (wxWindow* next = FindWindow(wxID_FORWARD)) next->Enable(first ? m_model.CanGoNext() : m_model.CanFinish());
    const bool password = m_model.PasswordShown();
    if (password != m_password->IsShown()) {
      m_passwordLabel->Show(password);
      m_password->Show(password);
      // Shown controls keep the place they had while hidden until the page is laid out again.
      m_second->Layout();
    }
  }
  void Refresh() {
    m_timer.Stop();
    const Dp4Wizard::Refresh r = m_model.RefreshSessions();
    if (r == Dp4Wizard::Refresh::kBack) {
      ShowPage(m_first, false);
      return;
    }
    if (r == Dp4Wizard::Refresh::kListed) {
      m_sessions->DeleteAllItems();
      long row = 0;
      for (const auto& line : m_model.Sessions()) {
        m_sessions->InsertItem(row, Cp(line.name));
        m_sessions->SetItem(row, 1, Cp(line.pilots));
        m_sessions->SetItem(row, 2, Cp(line.observers));
        ++row;
      }
      if (m_model.SessionSelection() >= 0)
        m_sessions->SetItemState(m_model.SessionSelection(), wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                 wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
      UpdateButtons();
    }
    m_timer.StartOnce(Dp4Wizard::kRefreshMs);
  }
  void OnChanging(wxWizardEvent& e) {
    if (e.GetPage() == m_first && e.GetDirection()) {
      m_model.SetAddress(ui::ToCp1252(m_address->GetValue()));
      m_model.SetPublicPlan(m_public->GetValue());
      if (!m_model.Next()) return e.Veto();
      return;
    }
    if (e.GetPage() == m_second && !e.GetDirection()) {
      m_timer.Stop();
      m_model.BackFromSessionPage();
      return;
    }
    if (e.GetPage() == m_second && e.GetDirection()) {
      m_timer.Stop();
      const unsigned message = m_model.Finish(ui::ToCp1252(m_password->GetValue()));
      if (message != 0) {
        ui::ShowMessageBox(this, ui::LoadString(message), "", ui::kMbIconInformation);
        m_timer.StartOnce(Dp4Wizard::kFirstRefreshMs);
        e.Veto();
      }
    }
  }
  void OnChanged(wxWizardEvent& e) {
    if (e.GetPage() == m_second) {
      m_model.ActivateSessionPage();
      m_sessions->DeleteAllItems();
      m_timer.StartOnce(Dp4Wizard::kFirstRefreshMs);
    } else {
      m_model.ActivateConnectionPage();
      FillConnections();
    }
    UpdateButtons();
  }

  Dp4Wizard& m_model;
  wxTimer m_timer;
  wxWizardPageSimple* m_first;
  wxWizardPageSimple* m_second;
  wxTextCtrl* m_name = nullptr;
  wxCheckBox* m_public = nullptr;
  wxListBox* m_connections = nullptr;
  wxStaticText* m_addressLabel = nullptr;
  wxTextCtrl* m_address = nullptr;
  wxStaticText* m_hint = nullptr;
  wxListCtrl* m_sessions = nullptr;
  wxStaticText* m_passwordLabel = nullptr;
  wxTextCtrl* m_password = nullptr;
};

}  // namespace

CMultiplayerUiWx::CMultiplayerUiWx(CSettings& settings, std::function<bool()> showAllowed,
                                   std::function<wxWindow*()> parent)
    : m_settings(settings), m_showAllowed(std::move(showAllowed)), m_parent(std::move(parent)) {}

bool CMultiplayerUiWx::IsShowAllowed() { return m_showAllowed && m_showAllowed(); }

void CMultiplayerUiWx::ShowMessage(const std::string& text, uint32_t style) {
  ui::ShowMessageBox(Parent(), text, "Chartwright", style);
}

bool CMultiplayerUiWx::RunDp8Connect(Dp8Connect& model) {
  bool other = false;
  int port = 0;
  std::string host, name;
  Dp8ConnectSettings settings;
  settings.portOther = m_settings.ReadBool(other, "MultiplayerPortConnectOther", true, false);
  settings.port = m_settings.GetInt(port, "MultiplayerPortConnect", true, static_cast<int>(Dp8Connect::kDefaultPort));
  settings.host = m_settings.GetString(host, "MultiplayerHost", true, "");
  settings.name = m_settings.GetString(name, "MultiplayerName", true, "");
  model.Init(settings);
  CDlgDP8Connect dialog(Parent(), model);
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  const Dp8ConnectSettings saved = model.SavedSettings();
  m_settings.WriteBool(other, "MultiplayerPortConnectOther", saved.portOther);
  m_settings.WriteInt(port, "MultiplayerPortConnect", saved.port);
  m_settings.WriteString(host, "MultiplayerHost", saved.host);
  m_settings.WriteString(name, "MultiplayerName", saved.name);
  return true;
}

bool CMultiplayerUiWx::RunDp4Wizard(Dp4Wizard& model) {
  std::string host, name;
  model.InitConnectionPage(m_settings.GetString(name, "MultiplayerName", true, ""),
                           m_settings.GetString(host, "MultiplayerHost", true, ""));
  auto* wizard = new CMultiplayerWizard(Parent(), model);
  const bool finished = wizard->Run();
  wizard->Destroy();
  // Next hands the name to the session; it is kept for the next time only once the player joined.
  if (finished && !model.Name().empty()) m_settings.WriteString(name, "MultiplayerName", model.Name());
  m_settings.WriteString(host, "MultiplayerHost", model.SavedAddress());
  return finished;
}

bool CMultiplayerUiWx::RunDp8HostSettings(Dp8HostSettingsModel& model) {
  CDlgHostSettings dialog(Parent(), model.Players(), model.PilotsPresent(), model.ObserversPresent(), model.PilotRange(),
                          model.ObserverRange(), model.Limits().pilots, model.Limits().observers);
  dialog.Pilots()->Bind(wxEVT_SPINCTRL, [&](wxSpinEvent& e) {
    model.SetPilotLimit(static_cast<uint32_t>(e.GetPosition()));
    dialog.Observers()->SetRange(model.ObserverRange().low, model.ObserverRange().high);
  });
  dialog.Observers()->Bind(wxEVT_SPINCTRL, [&](wxSpinEvent& e) {
    model.SetObserverLimit(static_cast<uint32_t>(e.GetPosition()));
    dialog.Pilots()->SetRange(model.PilotRange().low, model.PilotRange().high);
  });
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  model.SetPilotLimit(static_cast<uint32_t>(dialog.Pilots()->GetValue()));
  model.SetObserverLimit(static_cast<uint32_t>(dialog.Observers()->GetValue()));
  return true;
}

bool CMultiplayerUiWx::RunDp4HostSettings(Dp4HostSettingsModel& model) {
  const mp::SessionCounts& c = model.Counts();
  CDlgHostSettings dialog(Parent(), model.Players(), c.pilotsAdmitted, c.observersAdmitted, model.PilotRange(),
                          model.ObserverRange(), model.PilotLimit(), model.ObserverLimit());
  if (ui::ShowModalDialog(dialog) != wxID_OK) return false;
  model.SetPilotLimit(static_cast<uint32_t>(dialog.Pilots()->GetValue()));
  model.SetObserverLimit(static_cast<uint32_t>(dialog.Observers()->GetValue()));
  return true;
}

bool CMultiplayerUiWx::RunOpenRemote(OpenRemoteModel& model) {
  wxDialog dialog(Parent(), wxID_ANY, "Open from remote Computer");
  auto* list = new wxListBox(&dialog, 8243, wxDefaultPosition, wxSize(220, 120));
  for (const MpPlayerEntry& e : model.Players()) list->Append(Cp(std::string(EntryName(e))));
  if (model.Selection() >= 0) list->SetSelection(model.Selection());
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(new wxStaticText(&dialog, wxID_ANY, "&Player:"), 0, wxLEFT | wxTOP, 10);
  top->Add(list, 1, wxEXPAND | wxALL, 10);
  top->Add(dialog.CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  dialog.SetSizerAndFit(top);
  wxWindow* ok = dialog.FindWindow(wxID_OK);
  if (ok != nullptr) ok->Enable(model.CanOk());
  list->Bind(wxEVT_LISTBOX, [&](wxCommandEvent&) {
    model.Select(list->GetSelection());
    if (ok != nullptr) ok->Enable(model.CanOk());
  });
  return ui::ShowModalDialog(dialog) == wxID_OK && model.Chosen().has_value();
}
