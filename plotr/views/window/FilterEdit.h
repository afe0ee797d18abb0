#pragma once

// A text field that lets through only the characters of a set (and Backspace), as the position
// fields of the waypoint dialog want. Text put in by a program or pasted is not filtered: what
// reads the field checks it.

#include <wx/textctrl.h>

#include <string_view>

class FilterEdit : public wxTextCtrl {
 public:
  FilterEdit(wxWindow* parent, wxWindowID id, const wxSize& size = wxDefaultSize, long style = 0);
  // The set in code page 1252; compared with the typed Unicode characters.
  void SetAllowed(std::string_view cp1252);
  // Whether a key with this character goes on to the field.
  bool Passes(const wxKeyEvent& event) const;

 private:
  void OnChar(wxKeyEvent& event);
  wxString m_allowed;
};
