#pragma once

// The avionics bars: radio, transponder and autopilot fields and mode buttons that show the
// simulator's values and send what the user types or drops, and the picker for several COM
// frequencies. Two arrangements of the same controls stand in the two avionics panes.

#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/textctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "plotr/core/MpPlayerEntry.h"
#include "plotr/core/PlotrDocument.h"
#include "plotr/core/window/PaneRegistry.h"
#include "plotr/sim/Avionics.h"

class wxButton;
class wxComboBox;
class wxStaticText;
class wxToggleButton;
class wxListView;

// One numeric field: passive while it shows the simulator, editing after a click or Enter.
class CPilotEdit : public wxTextCtrl {
 public:
  // `commit` sends the field's text and answers whether it was accepted.
  CPilotEdit(wxWindow* parent, const avionics::FieldDef& def, std::function<bool(CPilotEdit&)> commit);
  avionics::CPilotEditState& State() { return m_state; }
  int FieldId() const { return m_state.Def().id; }
  void ShowValue(double value);
  void SetFormat(const char* format, int limit);
  bool IsPassive() const { return !IsEditable(); }
  void BeginEdit();
  void Abandon();
  // A dropped value ("%f" text) committed as if typed; the shown text comes back when refused.
  bool CommitDropped(float value);
  // The drop of an array: one entry is taken, several open the picker.
  bool CommitArray(const std::vector<FrequencyEntry>& entries);
  bool Enable(bool enable = true) override;

 private:
  void OnLeftUp(wxMouseEvent& event);
  void OnKeyDown(wxKeyEvent& event);
  void OnChar(wxKeyEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  void Show(const std::string& text);

  avionics::CPilotEditState m_state;
  std::function<bool(CPilotEdit&)> m_commit;
  bool m_committing = false;  // Enter's commit is running, a refusal's box perhaps up
};

// "Select Frequency": the dropped frequencies grouped by kind; the chosen entry's index.
class CDlgFrequency : public wxDialog {
 public:
  CDlgFrequency(wxWindow* parent, const std::vector<FrequencyEntry>& entries, const wxPoint& screenTopLeft);
  int Chosen() const { return m_chosen; }
  wxListView* List() const { return m_list; }

 private:
  void OnOk(wxCommandEvent& event);
  void OnSelect();
  std::vector<avionics::PickerLine> m_lines;
  std::vector<FrequencyEntry> m_entries;
  wxListView* m_list = nullptr;
  wxStaticText* m_kind = nullptr;
  wxStaticText* m_frequency = nullptr;
  int m_chosen = -1;
};

// A form that scrolls when its pane is shorter or narrower than the form (the simulator's smallest
// window leaves the first bar less than its height).
class CPilotView : public wxScrolledWindow, public IPaneWindow {
 public:
  // `arrangement` 1 or 2: the two templates' layouts.
  CPilotView(wxWindow* parent, IPlotrDocument& document, int arrangement);

  void OnInitialUpdate() override;
  void OnPlanUpdate(const UpdateHint& hint) override;
  wxSize GetFormSize() const override;

  CPilotEdit* Field(int id) const;
  wxWindow* Control(int id) const;
  // Sends a field's text as the commit rules say; false (with the refusal shown) when refused.
  bool CommitField(CPilotEdit& field);
  void PressButton(int id);

 private:
  void Refresh(const SimSnapshot& sim);
  void ApplyScheme();
  CPilotEdit* FocusedField() const;
  void OnEditCommand(wxCommandEvent& event);
  void OnUpdateEditCommand(wxUpdateUIEvent& event);

  IPlotrDocument& m_document;
  std::map<int, CPilotEdit*> m_fields;
  std::map<int, wxWindow*> m_controls;
  wxComboBox* m_players = nullptr;
  std::vector<MpPlayerEntry> m_playerEntries;  // the session's players at the last drop-down
  int m_scheme = -1;
};

// Puts the two bars into the main frame's pane table.
void RegisterPilotPanes();
