#include "plotr/views/window/FilterEdit.h"

#include "platform/ui/WxText.h"

FilterEdit::FilterEdit(wxWindow* parent, wxWindowID id, const wxSize& size, long style)
    : wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, size, style) {
  Bind(wxEVT_CHAR, &FilterEdit::OnChar, this);
}

void FilterEdit::SetAllowed(std::string_view cp1252) { m_allowed = ui::FromCp1252(cp1252); }

bool FilterEdit::Passes(const wxKeyEvent& event) const {
  const wxChar c = event.GetUnicodeKey();
  // GTK sends arrows, Delete, Tab and the like as char events too; they type nothing, and
  // neither do the clipboard and undo shortcuts.
  if (c == WXK_NONE || c < 0x20 || c == 0x7F) return true;
  if (event.ControlDown() || event.AltDown()) return true;
  return m_allowed.Find(c) != wxNOT_FOUND;
}

void FilterEdit::OnChar(wxKeyEvent& event) {
  if (Passes(event)) event.Skip();
}
