#pragma once

// The main window for the oldest simulator: pick one scenery set, check its areas and build a
// database named after the set.

#include <wx/listbox.h>

#include <memory>

#include "basemaker/app/AreaRows.h"
#include "basemaker/app/AreaSetArray.h"
#include "basemaker/app/BuilderStartup.h"
#include "basemaker/gui/AreaListCtrl.h"
#include "basemaker/gui/BuildDialog.h"

enum DatabaseDlgId : int {
  kIdSetList = 9024,
  kIdSetDescription = 9025,
  kIdSetAreaList = 9026,
  kIdSetProgress = 9027,
  kIdSetEnableAll = 9068,
};

class CDatabaseDlg : public CBuildDialog {
 public:
  // Reads the scenery sets of `folders.simRoot` and shows the first.
  CDatabaseDlg(wxWindow* parent, const BuilderFolders& folders, BuildStep step);
  ~CDatabaseDlg() override;

  wxListBox& Sets() { return *m_setList; }
  CAreaListCtrl& List() { return *m_list; }
  // Shows set `index` as if the user had picked it.
  void ChooseSet(int index);

 private:
  void BuildControls();
  void ShowDescription();
  void OnSelChange(wxCommandEvent&);
  void OnEnableAll(wxCommandEvent&);
  std::optional<CAreaList> ListToBuild() override;

  CAreaSetArray m_sets;
  std::unique_ptr<AreaRows> m_rows;
  wxListBox* m_setList = nullptr;
  wxStaticText* m_description = nullptr;
  wxString m_descriptionText;  // the selected set's, as the file has it
  int m_wrappedWidth = -1;  // the width it was broken into lines for
  CAreaListCtrl* m_list = nullptr;
};
