#pragma once

// The eleven Exclude and Flatten texts of one area. OK refuses to close while a non-empty text
// is wrong and points at the wrong part.

#include <wx/dialog.h>
#include <wx/textctrl.h>

#include <array>

#include "basemaker/app/ExcludeFlatten.h"

class CExcludeFlattenDlg : public wxDialog {
 public:
  explicit CExcludeFlattenDlg(wxWindow* parent);

  void SetTexts(const ExcludeFlattenTexts& texts);
  const ExcludeFlattenTexts& Texts() const { return m_texts; }
  // The field of text `index` (Flatten 0 to 9, then Exclude).
  wxTextCtrl& Field(int index) { return *m_fields.at(index); }

 private:
  void OnOk(wxCommandEvent&);

  std::array<wxTextCtrl*, 11> m_fields{};
  ExcludeFlattenTexts m_texts;
};
