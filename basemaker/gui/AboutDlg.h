#pragma once

#include <wx/dialog.h>

// The program's name and version, with where to find its maker.
class CAboutDlg : public wxDialog {
 public:
  explicit CAboutDlg(wxWindow* parent);
};
