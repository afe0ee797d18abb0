#include "plotr/sim/window/PilotView.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include <cstring>
#include <mutex>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/sim/FlightPlanGuidance.h"
#include "plotr/sim/SimBlock.h"
#include "plotr/tools/window/SmallControls.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/window/WxClip.h"
#include "plotr/views/window/WxKeys.h"

namespace {

// What the players box offers while no player has a position.
constexpr unsigned kIdsCenterTo = 6072;

using namespace avionics;

using cmd::kEditCopy;
using cmd::kEditCut;
using cmd::kEditDelete;
using cmd::kEditPaste;
using cmd::kEditRedo;
using cmd::kEditSelectAll;
using cmd::kEditUndo;

void AddPilotStrings() {
  static bool added = false;
  if (added) return;
  added = true;
  ui::AddStrings({
      {6026, "TAS"},
      {6027, "IAS"},
      {kIdsCenterTo, "Center To"},
      {6404, "Valid COM frequencies range from 118.00 to 136.97.\nUse steps of 0.00, 0.02, 0.05, 0.07."},
      {6405, "Valid NAV frequencies range from 108.00 to 117.95.\nUse steps of 0.00 and 0.05."},
      {6406, "Valid ADF frequencies range from 200.0 to 1699.9."},
      {6407, "Valid transponder code digits range from 0 to 7."},
  });
}

wxString Wx(const std::string& cp1252) { return wxString::FromUTF8(win::Cp1252ToUtf8(cp1252)); }

// The bar's fields take the headings and frequencies dragged from the map, the plan, the search
// pane and the FMS panel.
class CPilotDropTarget : public wxDropTarget {
 public:
  explicit CPilotDropTarget(CPilotEdit* field) : m_field(field) {
    auto* composite = new wxDataObjectComposite;
    const FieldDef& def = field->State().Def();
    if (def.dropFormat != nullptr) composite->Add(new wxCustomDataObject(wxDataFormat(def.dropFormat)), true);
    if (def.arrayDropFormat != nullptr) composite->Add(new wxCustomDataObject(wxDataFormat(def.arrayDropFormat)));
    SetDataObject(composite);
  }
  wxDragResult OnDragOver(wxCoord, wxCoord, wxDragResult) override {
    const clip::ClipData* data = clip::DragSession::Current();
    return data != nullptr && Accepts(*data) ? wxDragCopy : wxDragNone;
  }
  wxDragResult OnEnter(wxCoord x, wxCoord y, wxDragResult def) override { return OnDragOver(x, y, def); }
  wxDragResult OnData(wxCoord, wxCoord, wxDragResult) override {
    if (!m_field->IsEnabled() || !GetData()) return wxDragNone;
    auto* composite = static_cast<wxDataObjectComposite*>(GetDataObject());
    const FieldDef& def = m_field->State().Def();
    bool committed = false;
    if (def.dropFormat != nullptr) {
      const auto bytes = clip::DroppedBytes(*composite, def.dropFormat);
      if (const auto value = bytes ? clip::ReadFloat(*bytes) : std::nullopt) committed = m_field->CommitDropped(*value);
    }
    if (!committed && def.arrayDropFormat != nullptr) {
      const auto bytes = clip::DroppedBytes(*composite, def.arrayDropFormat);
      if (const auto entries = bytes ? clip::ReadComArray(*bytes) : std::nullopt) committed = m_field->CommitArray(*entries);
    }
    return committed ? wxDragCopy : wxDragNone;
  }

 private:
  bool Accepts(const clip::ClipData& data) const {
    if (!m_field->IsEnabled()) return false;
    const FieldDef& def = m_field->State().Def();
    if (def.dropFormat != nullptr) {
      const std::string* bytes = clip::Find(data, def.dropFormat);
      if (bytes != nullptr && bytes->size() >= 4) return true;
    }
    if (def.arrayDropFormat != nullptr) {
      const std::string* bytes = clip::Find(data, def.arrayDropFormat);
      if (bytes != nullptr && clip::ReadComArray(*bytes)) return true;
    }
    return false;
  }
  CPilotEdit* m_field;
};

}  // namespace

// ---- The field ----------------------------------------------------------------------------------------

CPilotEdit::CPilotEdit(wxWindow* parent, const FieldDef& def, std::function<bool(CPilotEdit&)> commit)
    : wxTextCtrl(parent, def.id, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER),
      m_state(def),
      m_commit(std::move(commit)) {
  SetEditable(false);
  SetToolTip(def.tip);
  SetDropTarget(new CPilotDropTarget(this));
  Bind(wxEVT_LEFT_UP, &CPilotEdit::OnLeftUp, this);
  Bind(wxEVT_KEY_DOWN, &CPilotEdit::OnKeyDown, this);
  Bind(wxEVT_CHAR, &CPilotEdit::OnChar, this);
  Bind(wxEVT_KILL_FOCUS, &CPilotEdit::OnKillFocus, this);
}

void CPilotEdit::Show(const std::string& text) { ChangeValue(wxString::FromUTF8(text)); }

void CPilotEdit::ShowValue(double value) {
  // While the user types, the simulator's values wait until the edit ends.
  if (const std::optional<std::string> text = m_state.SetValue(value); text && IsEnabled()) Show(*text);
}

void CPilotEdit::SetFormat(const char* format, int limit) { m_state.SetFormat(format, limit); }

bool CPilotEdit::Enable(bool enable) {
  const bool changed = wxTextCtrl::Enable(enable);
  // A disabled field shows nothing; enabled again it shows the last value.
  Show(enable ? m_state.LastText() : std::string());
  return changed;
}

void CPilotEdit::BeginEdit() {
  m_state.BeginEdit();
  SetEditable(true);
  SelectAll();
}

void CPilotEdit::Abandon() {
  Show(m_state.Abandon());
  SetEditable(false);
  DiscardEdits();
}

void CPilotEdit::OnLeftUp(wxMouseEvent& event) {
  event.Skip();
  if (IsPassive() && IsEnabled()) CallAfter([this] { BeginEdit(); });
}

void CPilotEdit::OnKeyDown(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
    if (IsPassive()) {
      if (!event.ShiftDown()) {
        BeginEdit();
        return;
      }
      keys::RouteKeyEvent(this, event, keys::Control::kNavEdit, true);
      return;
    }
    // The entry stays open until the value is taken: a refusal's box runs the bar's updates
    // under it, and they must find the field still being edited and leave the typed text.
    long from = 0, to = 0;
    GetSelection(&from, &to);
    m_committing = true;
    const bool accepted = m_commit && m_commit(*this);
    m_committing = false;
    if (!accepted) {
      // Refused: the typed text stays for the user to correct, the keyboard and the caret back
      // where they were (taking the focus again would select the whole text).
      SetFocus();
      SetSelection(from, to);
      return;
    }
    m_state.EndEdit();
    SetEditable(false);
    DiscardEdits();
    return;
  }
  if (key == WXK_ESCAPE && !IsPassive()) {
    Abandon();
    return;
  }
  keys::RouteKeyEvent(this, event, keys::Control::kNavEdit, IsPassive());
}

void CPilotEdit::OnChar(wxKeyEvent& event) {
  if (IsPassive()) {
    keys::RouteKeyEvent(this, event, keys::Control::kNavEdit, true);
    return;
  }
  const int key = event.GetKeyCode();
  if (key == WXK_BACK || key == WXK_DELETE || key == WXK_LEFT || key == WXK_RIGHT || key == WXK_HOME ||
      key == WXK_END) {
    event.Skip();
    return;
  }
  // The limit holds for typing only: values set from the simulator or a drop may be longer.
  long from = 0, to = 0;
  GetSelection(&from, &to);
  if (m_state.Allows(key) && GetLastPosition() - (to - from) < m_state.Limit()) event.Skip();
}

void CPilotEdit::OnKillFocus(wxFocusEvent& event) {
  event.Skip();
  // A refusal's box may take the focus for a moment; that is no leaving of the field.
  if (!IsPassive() && !m_committing) Abandon();
}

bool CPilotEdit::CommitDropped(float value) {
  if (!IsEnabled()) return false;
  const wxString saved = GetValue();
  ChangeValue(wxString::FromUTF8(CPilotEditState::DropText(value)));
  if (m_commit && m_commit(*this)) return true;
  ChangeValue(saved);
  return false;
}

bool CPilotEdit::CommitArray(const std::vector<FrequencyEntry>& entries) {
  if (!IsEnabled() || entries.empty()) return false;
  size_t chosen = 0;
  if (entries.size() > 1) {
    const wxPoint at = ClientToScreen(wxPoint(GetSize().x + 2, 0));
    CDlgFrequency picker(this, entries, at);
    if (ui::ShowModalDialog(picker) != wxID_OK || picker.Chosen() < 0) return false;
    chosen = static_cast<size_t>(picker.Chosen());
  }
  if (chosen >= entries.size()) return false;
  FrequencyEntry entry;
  std::memcpy(&entry, &entries[chosen], sizeof entry);
  return CommitDropped(entry.frequency);
}

// ---- The picker ---------------------------------------------------------------------------------------

CDlgFrequency::CDlgFrequency(wxWindow* parent, const std::vector<FrequencyEntry>& entries,
                             const wxPoint& screenTopLeft)
    : wxDialog(parent, wxID_ANY, "Select Frequency", screenTopLeft, wxDefaultSize, wxDEFAULT_DIALOG_STYLE),
      m_lines(PickerLines(entries)),
      m_entries(entries) {
  m_list = new wxListView(this, 9093, wxDefaultPosition, wxSize(260, 140), wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_HEADER);
  m_list->AppendColumn("Kind", wxLIST_FORMAT_LEFT, 160);
  m_list->AppendColumn("MHz", wxLIST_FORMAT_RIGHT, 80);
  for (size_t i = 0; i < m_lines.size(); ++i) {
    const std::string& text = m_lines[i].text;
    const size_t tab = text.find('\t');
    const long row = m_list->InsertItem(static_cast<long>(i), Wx(text.substr(0, tab)));
    m_list->SetItem(row, 1, Wx(tab == std::string::npos ? std::string() : text.substr(tab + 1)));
  }
  m_kind = new wxStaticText(this, 9094, "");
  m_frequency = new wxStaticText(this, 9095, "");
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(m_list, 1, wxEXPAND | wxALL, 6);
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(m_kind, 1, wxRIGHT, 6);
  line->Add(m_frequency, 0);
  column->Add(line, 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
  column->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 6);
  SetSizerAndFit(column);
  // The picker stands where the caller put it, beside the field.
  Move(screenTopLeft);
  if (!m_lines.empty()) m_list->Select(0);
  OnSelect();
  m_list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { OnSelect(); });
  Bind(wxEVT_BUTTON, &CDlgFrequency::OnOk, this, wxID_OK);
}

void CDlgFrequency::OnSelect() {
  const long row = m_list->GetFirstSelected();
  if (row < 0 || static_cast<size_t>(row) >= m_lines.size()) return;
  FrequencyEntry entry;
  std::memcpy(&entry, &m_entries[static_cast<size_t>(m_lines[static_cast<size_t>(row)].index)], sizeof entry);
  m_kind->SetLabel(Wx(KindName(entry.type)));
  m_frequency->SetLabel(Wx(FormatValue("%6.2f", entry.frequency)));
}

void CDlgFrequency::OnOk(wxCommandEvent&) {
  const long row = m_list->GetFirstSelected();
  // Without a line there is nothing to choose; only Cancel ends the dialog then.
  if (row < 0 || static_cast<size_t>(row) >= m_lines.size()) return;
  m_chosen = m_lines[static_cast<size_t>(row)].index;
  EndModal(wxID_OK);
}

// ---- The bar ------------------------------------------------------------------------------------------

CPilotView::CPilotView(wxWindow* parent, IPlotrDocument& document, int arrangement)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(40, 40), wxCLIP_CHILDREN | wxVSCROLL | wxHSCROLL),
      m_document(document) {
  AddPilotStrings();
  SetName(arrangement == 1 ? "Avionics 1" : "Avionics 2");
  const auto commit = [this](CPilotEdit& field) { return CommitField(field); };
  auto* grid = new wxFlexGridSizer(arrangement == 1 ? 2 : 4, wxSize(4, 2));
  const auto label = [&](int id, const char* text) {
    auto* l = new wxStaticText(this, id, text);
    m_controls[id] = l;
    return l;
  };
  const auto field = [&](int id) {
    auto* f = new CPilotEdit(this, *FieldOf(id), commit);
    m_fields[id] = f;
    m_controls[id] = f;
    return f;
  };
  const auto toggle = [&](int id, const char* text, const char* tip) {
    auto* t = new wxToggleButton(this, id, text, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    t->SetToolTip(tip);
    t->Bind(wxEVT_TOGGLEBUTTON, [this, id](wxCommandEvent&) { PressButton(id); });
    ForwardControlKeys(t);
    m_controls[id] = t;
    return t;
  };
  const auto add = [&](wxWindow* left, wxWindow* right) {
    grid->Add(left, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(right, 1, wxEXPAND);
  };
  // The bar's buttons and box pass the simulator's keys on, so its keyboard stays alive while
  // one of them has the focus.
  m_players = new CKeyForwardComboBox(this, kMultiplayer);
  m_players->SetToolTip("Center Map to Multiplayer Aircraft");
  // The box lists the session's aircraft with a position each time it opens; choosing one
  // centres the map on it.
  m_players->Bind(wxEVT_COMBOBOX_DROPDOWN, [this](wxCommandEvent&) {
    m_document.GetPlan().ListPublicPlanPlayers(m_playerEntries, false);
    m_players->Clear();
    for (const MpPlayerEntry& e : m_playerEntries)
      if (e.hasPosition == 1) m_players->Append(Wx(std::string(e.callSign, strnlen(e.callSign, sizeof e.callSign))));
    if (m_players->IsListEmpty()) m_players->Append(Wx(ui::LoadString(kIdsCenterTo)));
  });
  m_players->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) {
    const std::string chosen = win::Utf8ToCp1252(m_players->GetStringSelection().utf8_string());
    for (const MpPlayerEntry& e : m_playerEntries) {
      if (e.hasPosition != 1 || chosen != std::string(e.callSign, strnlen(e.callSign, sizeof e.callSign))) continue;
      CCenterHint hint{e.latitude, e.longitude, 1};
      m_document.UpdatePlanViews(nullptr, kHintCenter, &hint);
      return;
    }
  });
  add(new wxStaticText(this, wxID_ANY, ""), m_players);
  add(label(wxID_ANY, "COM1:"), field(kCom));
  add(label(kNav1Label, "NAV1:"), field(kNav1));
  add(label(kNav2Label, "NAV2:"), field(kNav2));
  add(label(wxID_ANY, "ADF:"), field(kAdf));
  add(label(wxID_ANY, "Transp.:"), field(kTransponder));
  add(toggle(kFlyPlan, "Fly FP", "Fly Flightplan Automatically"), toggle(kAutopilot, "AP", "Autopilot on/off"));
  add(toggle(kHeadingHold, "HDG", "Heading hold on/off"), field(kHeading));
  add(toggle(kAltitudeHold, "ALT", "Altitude hold on/off"), field(kAltitude));
  add(label(kVsLabel, "VS"), field(kVerticalSpeed));
  add(toggle(kSpeedHold, "SPD", "Airspeed hold on/off"), field(kSpeed));
  add(toggle(kMachHold, "MACH", "Mach value hold on/off"), field(kMach));
  add(toggle(kNav1Hold, "NAV1", "NAV1 hold on/off"), field(kNav1Course));
  add(toggle(kApproach, "APR", "Approach on/off"), toggle(kBackCourse, "BC", "Back course on/off"));
  add(label(kNav2CourseLabel, "NAV2"), field(kNav2Course));
  for (const auto& [id, unit] : {std::pair{kHeadingText, "deg"}, std::pair{kAltitudeText, "ft"},
                                 std::pair{kSpeedText, "kts"}, std::pair{kVerticalSpeedText, "ft/min"}}) {
    add(label(id, ""), new wxStaticText(this, wxID_ANY, unit));
  }
  grid->AddGrowableCol(1);
  if (arrangement != 1) grid->AddGrowableCol(3);
  SetSizer(grid);
  SetScrollRate(8, 8);
  for (int id : {kEditDelete, kEditCopy, kEditCut, kEditPaste, kEditSelectAll, kEditUndo, kEditRedo}) {
    Bind(wxEVT_MENU, &CPilotView::OnEditCommand, this, id);
    Bind(wxEVT_UPDATE_UI, &CPilotView::OnUpdateEditCommand, this, id);
  }
}

CPilotEdit* CPilotView::FocusedField() const {
  for (const auto& [id, field] : m_fields) {
    if (field == FindFocus()) return field;
  }
  return nullptr;
}

void CPilotView::OnUpdateEditCommand(wxUpdateUIEvent& event) {
  CPilotEdit* f = FocusedField();
  const bool writable = f != nullptr && !f->IsPassive();
  long from = 0, to = 0;
  if (f != nullptr) f->GetSelection(&from, &to);
  switch (event.GetId()) {
    case kEditUndo: event.Enable(writable && f->CanUndo()); break;
    case kEditCut: event.Enable(writable && from != to); break;
    case kEditCopy: event.Enable(f != nullptr && from != to); break;
    case kEditPaste: event.Enable(writable && f->CanPaste()); break;
    case kEditDelete: event.Enable(writable); break;
    case kEditSelectAll: event.Enable(f != nullptr); break;
    default: event.Enable(false); break;
  }
}

void CPilotView::OnEditCommand(wxCommandEvent& event) {
  wxUpdateUIEvent update(event.GetId());
  OnUpdateEditCommand(update);
  CPilotEdit* f = FocusedField();
  if (f == nullptr || (update.GetSetEnabled() && !update.GetEnabled())) return;
  switch (event.GetId()) {
    case kEditUndo: f->Undo(); break;
    case kEditCut: f->Cut(); break;
    case kEditCopy: f->Copy(); break;
    case kEditPaste: f->Paste(); break;
    case kEditDelete: {
      // With nothing selected the character after the caret goes.
      long from = 0, to = 0;
      f->GetSelection(&from, &to);
      if (from == to) to = std::min(from + 1, f->GetLastPosition());
      f->Remove(from, to);
      break;
    }
    case kEditSelectAll: f->SelectAll(); break;
    default: break;
  }
}

wxSize CPilotView::GetFormSize() const { return GetSizer() != nullptr ? GetSizer()->GetMinSize() : wxSize(0, 0); }

CPilotEdit* CPilotView::Field(int id) const {
  const auto it = m_fields.find(id);
  return it == m_fields.end() ? nullptr : it->second;
}

wxWindow* CPilotView::Control(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CPilotView::OnInitialUpdate() {
  m_players->Clear();
  m_players->Append(Wx(ui::LoadString(kIdsCenterTo)));
  m_players->SetSelection(0);
  OnPlanUpdate(UpdateHint{0, nullptr});
}

void CPilotView::OnPlanUpdate(const UpdateHint& hint) {
  const SimSnapshot& sim = g_SimBlock.GetSnapshot();
  if (hint.bits == 0 || (hint.bits & kHintPeriodic) != 0) {
    const int scheme = g_Settings.GetColorScheme(false);
    if (scheme != m_scheme) {
      m_scheme = scheme;
      ApplyScheme();
    }
    // Pressed while the plan is being flown, as the guidance last published.
    if (auto* fly = dynamic_cast<wxToggleButton*>(Control(kFlyPlan))) {
      const BarState state = StateOf(sim);
      fly->Enable(state.flyPlanEnabled);
      fly->SetValue(state.flyPlanChecked);
    }
  }
  if (hint.bits == 0 || (hint.bits & kHintSimulatorData) != 0) Refresh(sim);
  if (hint.bits & (kHintPlanContents | kHintRows)) {
    bool withoutAsh = false;
    {
      DatabaseLease lease;
      if (const CRoute* route = m_document.GetPlan().GetCurrent()) withoutAsh = route->m_profile.WithoutAsh();
    }
    if (withoutAsh && sim.airspeedHold) g_SimBlock.SendSimEvent(0x1022E, 0);
    if (withoutAsh && sim.machHold) g_SimBlock.SendSimEvent(0x10231, 0);
  }
  if (hint.bits == 0 || (hint.bits & kHintDisplayOptions) != 0) {
    if (auto* spd = dynamic_cast<wxToggleButton*>(Control(kSpeedHold)))
      spd->SetLabel(Wx(ui::LoadString(g_Settings.GetUseIndicatedAirSpeed(false) ? 6027 : 6026)));
  }
}

void CPilotView::Refresh(const SimSnapshot& sim) {
  const BarState state = StateOf(sim);
  for (const auto& [id, on] : state.enabled) {
    if (wxWindow* w = Control(id); w != nullptr && w->IsEnabled() != on) w->Enable(on);
  }
  if (CPilotEdit* adf = Field(kAdf)) adf->SetFormat(state.adfExtended ? "%06.1f" : "%03.0f", state.adfExtended ? 6 : 3);
  for (const auto& [id, value] : state.values) {
    if (CPilotEdit* f = Field(id)) f->ShowValue(value);
  }
  for (const auto& [id, on] : state.checks) {
    if (auto* t = dynamic_cast<wxToggleButton*>(Control(id))) t->SetValue(on);
  }
  const std::pair<int, const std::string*> texts[] = {{kHeadingText, &state.headingText},
                                                      {kAltitudeText, &state.altitudeText},
                                                      {kSpeedText, &state.speedText},
                                                      {kVerticalSpeedText, &state.verticalSpeedText}};
  for (const auto& [id, text] : texts) {
    if (auto* l = dynamic_cast<wxStaticText*>(Control(id))) l->SetLabel(wxString::FromUTF8(*text));
  }
}

void CPilotView::ApplyScheme() {
  wxColour text(0, 0, 0), back(255, 255, 255);
  if (m_scheme == 1) {
    text = wxColour(192, 192, 192);
    back = wxColour(0, 0, 64);
  } else if (m_scheme == 2) {
    text = wxColour(192, 192, 192);
    back = wxColour(0, 0, 0);
  }
  for (const auto& [id, field] : m_fields) {
    field->SetForegroundColour(text);
    field->SetBackgroundColour(back);
    field->Refresh();
  }
}

bool CPilotView::CommitField(CPilotEdit& field) {
  const Commit c = avionics::CommitField(field.FieldId(), win::Utf8ToCp1252(field.GetValue().utf8_string()),
                                         g_Settings.GetSimVer());
  if (!c.accepted) {
    ui::ShowMessageBox(this, ui::LoadString(static_cast<unsigned>(c.message)), "Chartwright",
                       ui::kMbOk | ui::kMbIconStop);
    return false;
  }
  for (const SimEvent& e : c.events) g_SimBlock.SendSimEvent(e.id, e.value);
  if (c.adf) {
    if (auto* guidance = dynamic_cast<CFlightPlanGuidance*>(&m_document.GetPlan())) guidance->TuneAdf(*c.adf);
  }
  if (c.globalOffset >= 0) g_SimBlock.WriteSimGlobal(c.globalOffset, sizeof c.globalValue, &c.globalValue);
  if (c.shown) field.ChangeValue(wxString::FromUTF8(FormatValue(field.State().Def().format, *c.shown)));
  return true;
}

void CPilotView::PressButton(int id) {
  // The simulator's state decides the check marks at its next update.
  if (auto* t = dynamic_cast<wxToggleButton*>(Control(id))) t->SetValue(!t->GetValue());
  if (id == kFlyPlan) {
    if (auto* v = static_cast<int32_t*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_FP_TOGGLE"))) *v = 1;
    if (auto* v = static_cast<int32_t*>(g_SimBlock.LookupNamedVariable("CHARTWRIGHT_FLY_FP_WP"))) *v = -1;
    return;
  }
  bool withoutAsh = false;
  {
    DatabaseLease lease;
    if (const CRoute* route = m_document.GetPlan().GetCurrent()) withoutAsh = route->m_profile.WithoutAsh();
  }
  for (const SimEvent& e : ButtonEvents(id, g_SimBlock.GetSnapshot().autothrottleArmed, withoutAsh)) {
    // A refused arming leaves the hold unsent.
    if (g_SimBlock.SendSimEvent(e.id, e.value) != 0 && e.id == kArmAutothrottle) break;
  }
}

void RegisterPilotPanes() {
  RegisterPane(PaneSlot::Pilot1, [](wxWindow* parent, IPlotrDocument& document) -> wxWindow* {
    return new CPilotView(parent, document, 1);
  });
  RegisterPane(PaneSlot::Pilot2, [](wxWindow* parent, IPlotrDocument& document) -> wxWindow* {
    return new CPilotView(parent, document, 2);
  });
}
