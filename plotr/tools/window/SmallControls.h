#pragma once
// Small windows other parts reuse: the warning before going online, the file-name edit, and a
// button and a combo box that pass the simulator's keys on while they have the focus.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>

#include "plotr/core/Settings.h"

// The warning before a command goes online (dialog 208).
class CDlgWarning : public wxDialog {
 public:
  static constexpr int kDoNotShowId = 8257;
  explicit CDlgWarning(wxWindow* parent);
  // Whichever button closed the dialog, the check box counts.
  bool DoNotShowAgain() const { return m_doNotShow; }

 private:
  void OnButton(wxCommandEvent& event);
  wxCheckBox* m_check = nullptr;
  bool m_doNotShow = false;
};

// Shows the warning unless the setting switched it off; a ticked "Do not show again" sets the
// switch whatever the answer. True when the command may go on.
bool RunOnlineWarning(CSettings& settings, bool (CSettings::*get)(bool, bool), void (CSettings::*set)(bool));

// An edit for file names: typed '#', '%', '/', ':', ';' and '\' are dropped with a beep; no
// context menu.
class CNameEdit : public wxTextCtrl {
 public:
  CNameEdit(wxWindow* parent, wxWindowID id, long style = 0);
  static bool IsRefused(int character);
};

// How a module control treats a key event (wx key code, docked state).
enum class KeyRoute { Own, HostOnly, HostThenOwn };
KeyRoute RouteControlKey(int keyCode, bool docked, bool isChar);

// A button and a combo box that forward the keys they do not need to the simulator's window.
class CKeyForwardButton : public wxButton {
 public:
  CKeyForwardButton(wxWindow* parent, wxWindowID id, const wxString& label);
};
class CKeyForwardComboBox : public wxComboBox {
 public:
  CKeyForwardComboBox(wxWindow* parent, wxWindowID id);
};
// Installs the forwarding on any control.
void ForwardControlKeys(wxWindow* control);
