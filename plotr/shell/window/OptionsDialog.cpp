// The options sheet's windows: thin pages that move values between their controls and the
// page models, which hold the rules.
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/fontdlg.h>
#include <wx/panel.h>
#include <wx/propdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <cstring>
#include <mutex>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "plotr/core/Settings.h"
#include "plotr/core/window/WxFonts.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/shell/OptionsModel.h"
#include "plotr/shell/window/HostFrameWnd.h"
#include "plotr/shell/window/OptionsSheet.h"
#include "plotr/shell/window/PlotrDoc.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

wxArrayString Strings(std::initializer_list<const char*> texts) {
  wxArrayString a;
  for (const char* t : texts) a.Add(t);
  return a;
}

class GlobalPanel : public wxPanel {
 public:
  explicit GlobalPanel(wxWindow* parent, options::GlobalPage& m) : wxPanel(parent, 183), m_model(m) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    wxArrayString keys;
    for (const std::string& k : options::KeyNames()) keys.Add(k);
    const char* titles[3] = {"Program switch key", "Docked window switch key", "Fly Plan switch key"};
    for (int k = 0; k < 3; ++k) {
      auto* box = new wxStaticBoxSizer(wxHORIZONTAL, this, titles[k]);
      auto* list = new wxChoice(box->GetStaticBox(), 9024 + 4 * k, wxDefaultPosition, wxDefaultSize, keys);
      auto* ctrl = new wxCheckBox(box->GetStaticBox(), 9025 + 4 * k, "Ctrl");
      auto* alt = new wxCheckBox(box->GetStaticBox(), 9026 + 4 * k, "Alt");
      auto* shift = new wxCheckBox(box->GetStaticBox(), 9027 + 4 * k, "Shift");
      options::HotKeyChoice& c = m_model.keys[static_cast<size_t>(k)];
      list->SetSelection(c.index);
      ctrl->SetValue(c.ctrl);
      alt->SetValue(c.alt);
      shift->SetValue(c.shift);
      list->Bind(wxEVT_CHOICE, [this, &c, list](wxCommandEvent&) { c.index = list->GetSelection(); m_model.changed = true; });
      ctrl->Bind(wxEVT_CHECKBOX, [this, &c, ctrl](wxCommandEvent&) { c.ctrl = ctrl->GetValue(); m_model.changed = true; });
      alt->Bind(wxEVT_CHECKBOX, [this, &c, alt](wxCommandEvent&) { c.alt = alt->GetValue(); m_model.changed = true; });
      shift->Bind(wxEVT_CHECKBOX, [this, &c, shift](wxCommandEvent&) { c.shift = shift->GetValue(); m_model.changed = true; });
      box->Add(list, 0, wxALL, 4);
      box->Add(ctrl, 0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
      box->Add(alt, 0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
      box->Add(shift, 0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
      top->Add(box, 0, wxEXPAND | wxALL, 4);
    }
    auto* colours = new wxStaticBoxSizer(wxVERTICAL, this, "Colors");
    wxWindow* cb = colours->GetStaticBox();
    const char* modes[4] = {"Automatic", "White", "Blue", "Black"};
    auto* modeRow = new wxBoxSizer(wxHORIZONTAL);
    for (int i = 0; i < 4; ++i) {
      auto* radio = new wxRadioButton(cb, 9036 + i, modes[i], wxDefaultPosition, wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
      radio->SetValue(m_model.colorMode == i);
      radio->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) {
        m_model.colorMode = i;
        m_model.changed = true;
        EnableColourLists();
      });
      modeRow->Add(radio, 0, wxALL, 4);
    }
    colours->Add(modeRow);
    wxArrayString hours;
    for (int h = 0; h < 24; ++h) hours.Add(wxString::Format("%02d:00", h));
    auto* autoRow = new wxBoxSizer(wxHORIZONTAL);
    m_day = new wxChoice(cb, 9040, wxDefaultPosition, wxDefaultSize, hours);
    m_nightMode = new wxChoice(cb, 9042, wxDefaultPosition, wxDefaultSize, Strings({"Blue", "Black"}));
    m_night = new wxChoice(cb, 9041, wxDefaultPosition, wxDefaultSize, hours);
    m_day->SetSelection(m_model.colorDay);
    m_nightMode->SetSelection(m_model.colorNightMode);
    m_night->SetSelection(m_model.colorNight);
    m_day->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { m_model.colorDay = m_day->GetSelection(); m_model.changed = true; });
    m_night->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { m_model.colorNight = m_night->GetSelection(); m_model.changed = true; });
    m_nightMode->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { m_model.colorNightMode = m_nightMode->GetSelection(); m_model.changed = true; });
    autoRow->Add(new wxStaticText(cb, wxID_ANY, "White at:"), 0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
    autoRow->Add(m_day, 0, wxALL, 4);
    autoRow->Add(m_nightMode, 0, wxALL, 4);
    autoRow->Add(new wxStaticText(cb, wxID_ANY, "at:"), 0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
    autoRow->Add(m_night, 0, wxALL, 4);
    colours->Add(autoRow);
    top->Add(colours, 0, wxEXPAND | wxALL, 4);
    EnableColourLists();

    auto* reset = new wxCheckBox(this, 9043, "Activate disabled warnings");
    reset->Bind(wxEVT_CHECKBOX, [this, reset](wxCommandEvent&) { m_model.resetWarnings = reset->GetValue(); });
    top->Add(reset, 0, wxALL, 6);
    auto* tas = new wxRadioButton(this, 9044, "Simulator uses true airspeed", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    auto* ias = new wxRadioButton(this, 9045, "Simulator uses indicated airspeed");
    tas->SetValue(m_model.airspeedKind == 0);
    ias->SetValue(m_model.airspeedKind == 1);
    tas->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_model.airspeedKind = 0; m_model.changed = true; });
    ias->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_model.airspeedKind = 1; m_model.changed = true; });
    top->Add(tas, 0, wxLEFT | wxTOP, 6);
    top->Add(ias, 0, wxLEFT | wxTOP, 6);
    auto* sound = new wxCheckBox(this, 9046, "Sound");
    sound->SetValue(m_model.sound);
    sound->Bind(wxEVT_CHECKBOX, [this, sound](wxCommandEvent&) { m_model.sound = sound->GetValue(); m_model.changed = true; });
    top->Add(sound, 0, wxALL, 6);
    SetSizer(top);
  }

 private:
  void EnableColourLists() {
    for (wxChoice* c : {m_day, m_night, m_nightMode}) c->Enable(m_model.ColorListsEnabled());
  }
  options::GlobalPage& m_model;
  wxChoice* m_day = nullptr;
  wxChoice* m_night = nullptr;
  wxChoice* m_nightMode = nullptr;
};

class PlanPanel : public wxPanel {
 public:
  PlanPanel(wxWindow* parent, options::PlanPage& m) : wxPanel(parent, 185), m_model(m) {
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    const wxArrayString display = Strings({"From waypoint to waypoint", "Cumulative", "Cumulative - Reversed"});
    auto add = [&](int id, const char* label, const wxArrayString& entries, int& value, bool speed) {
      grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
      auto* list = new wxChoice(this, id, wxDefaultPosition, wxDefaultSize, entries);
      list->SetSelection(value);
      list->Bind(wxEVT_CHOICE, [this, list, &value, speed](wxCommandEvent&) {
        value = list->GetSelection();
        (speed ? m_model.speedLimitChanged : m_model.displayChanged) = true;
      });
      grid->Add(list, 1, wxEXPAND);
    };
    add(9088, "Speed limit below 10000 ft", Strings({"240 kts", "250 kts", ""}), m_model.speedLimit, true);
    add(9089, "Display Distance", display, m_model.distance, false);
    add(9090, "Display ETE", display, m_model.ete, false);
    add(9091, "Display Fuel", display, m_model.fuel, false);
    add(9092, "Fuel unit of measurement", Strings({"Lbs", "Gal", "kg", "L"}), m_model.fuelMeasure, false);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 0, wxALL, 10);
    SetSizer(top);
  }

 private:
  options::PlanPage& m_model;
};

class MapPanel : public wxPanel {
 public:
  MapPanel(wxWindow* parent, options::MapPage& m) : wxPanel(parent, 186), m_model(m) {
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto check = [&](int id, const char* label, bool& value, bool backCourse) {
      auto* box = new wxCheckBox(this, id, label);
      box->SetValue(value);
      box->Bind(wxEVT_CHECKBOX, [this, box, &value, backCourse](wxCommandEvent&) {
        value = box->GetValue();
        m_model.mapChanged = true;
        if (backCourse) m_model.backCourseChanged = true;
      });
      top->Add(box, 0, wxLEFT | wxTOP, 6);
    };
    check(8040, "Airspace Boundarys Type A", m_model.airspaceA, false);
    check(8041, "Airspace Boundarys Type B", m_model.airspaceB, false);
    auto* heightRow = new wxBoxSizer(wxHORIZONTAL);
    heightRow->Add(new wxStaticText(this, wxID_ANY, "Transition height:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_height = new wxTextCtrl(this, 8042, m_model.heightText, wxDefaultPosition, wxSize(80, -1), wxTE_READONLY);
    auto* spin = new wxSpinButton(this, 8043, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
    spin->SetRange(20, 60);
    spin->SetValue(m_model.spinPosition);
    spin->Bind(wxEVT_SPIN, [this, spin](wxSpinEvent&) {
      m_model.SetSpinPosition(spin->GetValue());
      m_height->ChangeValue(m_model.heightText);
    });
    heightRow->Add(m_height);
    heightRow->Add(spin);
    heightRow->Add(new wxStaticText(this, wxID_ANY, "ft"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    top->Add(heightRow, 0, wxLEFT | wxTOP, 6);
    check(8044, "Back Course ILS", m_model.backCourseIls, true);
    check(8049, "Taxiway", m_model.taxiways, false);
    check(8050, "Fuel area", m_model.fuelAreas, false);
    check(8046, "Grid Lines", m_model.grid, false);
    check(8047, "Coast Lines", m_model.coast, false);
    check(8048, "River", m_model.rivers, false);
    check(8051, "Mountains", m_model.mountains, false);
    auto* font = new wxButton(this, 8052, "Font...");
    font->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseFont(); });
    top->Add(font, 0, wxLEFT | wxTOP, 6);
    auto* gs = new wxRadioButton(this, 8053, "Show as Groundspeed", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    auto* ias = new wxRadioButton(this, 8054, "Show as IAS or TAS");
    gs->SetValue(m_model.mpSpeedKind == 0);
    ias->SetValue(m_model.mpSpeedKind == 1);
    gs->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_model.mpSpeedKind = 0; m_model.mpSpeedChanged = true; });
    ias->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { m_model.mpSpeedKind = 1; m_model.mpSpeedChanged = true; });
    top->Add(gs, 0, wxLEFT | wxTOP, 6);
    top->Add(ias, 0, wxLEFT | wxTOP | wxBOTTOM, 6);
    SetSizer(top);
  }

 private:
  void ChooseFont() {
    wxFontData data;
    data.SetInitialFont(LogFontToWx(m_model.font));
    wxFontDialog dialog(this, data);
    if (ui::ShowModalDialog(dialog) != wxID_OK) return;
    m_model.font = WxToLogFont(dialog.GetFontData().GetChosenFont());
    m_model.mapChanged = true;
  }
  options::MapPage& m_model;
  wxTextCtrl* m_height = nullptr;
};

class FmsPanel : public wxPanel {
 public:
  FmsPanel(wxWindow* parent, options::FmsPage& m) : wxPanel(parent, 184), m_model(m) {
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    const char* labels[6] = {"HDG", "ALT", "SPEED", "NAV1", "NAV2", "ADF"};
    const wxArrayString entries[6] = {
        Strings({"Set and hold Heading", "Set Heading", "Set Manually"}),
        Strings({"Set and hold Altitude", "Set Altitude", "Set Manually"}),
        Strings({"Set and hold Speed", "Set Speed", "Set Manually"}),
        Strings({"Set Course and Frequency", "Set Frequency", "Set Manually"}),
        Strings({"Set Course and Frequency", "Set Frequency", "Set Manually"}),
        Strings({"Set Frequency", "Set Manually"})};
    const int listIds[2][6] = {{9059, 9061, 9060, 9062, 9063, 9064}, {9068, 9069, 9070, 9071, 9072, 9073}};
    const int presetIds[2][3] = {{9056, 9057, 9058}, {9065, 9066, 9067}};
    const char* presetLabels[3] = {"Full automatic", "Half automatic", "Manual"};
    for (int mode = 0; mode < 2; ++mode) {
      auto* box = new wxStaticBoxSizer(wxVERTICAL, this, mode == 0 ? "Mode 1" : "Mode 2");
      wxWindow* sb = box->GetStaticBox();
      auto* presets = new wxBoxSizer(wxHORIZONTAL);
      for (int p = 0; p < 3; ++p) {
        auto* b = new wxToggleButton(sb, presetIds[mode][p], presetLabels[p]);
        m_presets[mode][p] = b;
        b->Bind(wxEVT_TOGGLEBUTTON, [this, mode, p](wxCommandEvent&) {
          m_model.ApplyPreset(mode, p);
          Show(mode);
        });
        presets->Add(b, 0, wxALL, 2);
      }
      box->Add(presets);
      auto* grid = new wxFlexGridSizer(2, 4, 6);
      for (int i = 0; i < 6; ++i) {
        grid->Add(new wxStaticText(sb, wxID_ANY, labels[i]), 0, wxALIGN_CENTER_VERTICAL);
        auto* list = new wxChoice(sb, listIds[mode][i], wxDefaultPosition, wxDefaultSize, entries[i]);
        m_lists[mode][i] = list;
        list->Bind(wxEVT_CHOICE, [this, mode](wxCommandEvent&) {
          for (int k = 0; k < 6; ++k)
            m_model.values[static_cast<size_t>(mode)][static_cast<size_t>(k)] = m_lists[mode][k]->GetSelection();
          m_model.changed = true;
          Show(mode);
        });
        grid->Add(list, 1, wxEXPAND);
      }
      box->Add(grid, 0, wxALL, 4);
      top->Add(box, 0, wxALL, 6);
      Show(mode);
    }
    SetSizer(top);
  }

 private:
  void Show(int mode) {
    for (int k = 0; k < 6; ++k) m_lists[mode][k]->SetSelection(m_model.values[static_cast<size_t>(mode)][static_cast<size_t>(k)]);
    const int pressed = m_model.PressedPreset(mode);
    for (int p = 0; p < 3; ++p) m_presets[mode][p]->SetValue(p == pressed);
  }
  options::FmsPage& m_model;
  wxChoice* m_lists[2][6] = {};
  wxToggleButton* m_presets[2][3] = {};
};

}  // namespace

void RunOptionsSheet(wxWindow* parent, CPlotrDoc* document, bool fmsPageOnly) {
  options::GlobalPage global;
  options::PlanPage plan;
  options::MapPage map;
  options::FmsPage fms;
  global.Load(g_Settings);
  plan.Load(g_Settings);
  map.Load(g_Settings);
  fms.Load(g_Settings);

  wxPropertySheetDialog sheet(parent, wxID_ANY, wxString::FromUTF8(ui::LoadString(shellstr::kSettingsCaption)));
  sheet.CreateButtons(wxOK | wxCANCEL);
  wxBookCtrlBase* book = sheet.GetBookCtrl();
  if (!fmsPageOnly) {
    book->AddPage(new GlobalPanel(book, global), "Global");
    book->AddPage(new PlanPanel(book, plan), "Flightplan");
    book->AddPage(new MapPanel(book, map), "Map");
  }
  book->AddPage(new FmsPanel(book, fms), "FMS");
  sheet.LayoutDialog();
  if (ui::ShowModalDialog(sheet) != wxID_OK) return;

  uint32_t hint = 0;
  if (global.Apply(g_Settings, hint)) {
    if (CHostFrameWnd* hook = GetHostHook()) hook->BuildHotKeyAccelerators();
  }
  if (hint != 0 && document != nullptr) document->UpdatePlanViews(nullptr, hint);
  plan.Apply(g_Settings, [document] { if (document != nullptr) planedit::Refresh(document->GetPlan()); }, hint);
  if (hint != 0 && document != nullptr) document->UpdatePlanViews(nullptr, hint);
  map.Apply(g_Settings, hint);
  if (hint != 0 && document != nullptr) document->UpdatePlanViews(nullptr, hint);
  fms.Apply(g_Settings);
}
