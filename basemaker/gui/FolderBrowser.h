#pragma once

// Picks an area's folder in a tree of this machine's volumes, with the area panel below it:
// the folder as it will be stored, the title, cache or use directly, and Exclude/Flatten. OK
// only with a title and a folder that holds scenery.

#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <filesystem>

#include "basemaker/app/AreaPanel.h"
#include "platform/win/Drives.h"

enum FolderBrowserId : int {
  kIdAreaTitle = 9040,
  kIdCacheRadio = 9041,
  kIdDirectRadio = 9042,
  kIdAreaPath = 9043,
  kIdExcludeFlatten = 9044,
  kIdFolderTree = 9045,
};

class CFolderBrowser : public wxDialog {
 public:
  CFolderBrowser(wxWindow* parent, const std::filesystem::path& simRoot, const win::DriveTable& drives,
                 const win::DriveRoots* driveRoots = nullptr);

  // The browser's own copy: filled by the caller before Browse, read back after kIdOk.
  AreaEntry& Entry() { return m_entry; }
  // ui::kIdOk when the user confirmed, ui::kIdCancel otherwise.
  int Browse();

  // Selects `folder` in the tree, opening the folders above it; false when it is not there.
  bool SelectFolder(const std::filesystem::path& folder);
  wxTreeCtrl& Tree() { return *m_tree; }

 private:
  void BuildControls();
  void AddRoots();
  void FillChildren(const wxTreeItemId& item);
  std::filesystem::path PathOf(const wxTreeItemId& item) const;
  bool SelectInTree(const std::filesystem::path& target);
  void ShowState();
  void Start();

  void OnExpanding(wxTreeEvent& event);
  void OnSelChanged(wxTreeEvent& event);
  void OnTitleChanged(wxCommandEvent&);
  void OnRadio(wxCommandEvent&);
  void OnExcludeFlatten(wxCommandEvent&);
  void OnOk(wxCommandEvent&);

  const win::DriveTable& m_drives;
  AreaEntry m_entry;
  AreaPanelState m_state;
  wxTreeCtrl* m_tree = nullptr;
  wxTextCtrl* m_path = nullptr;
  wxTextCtrl* m_title = nullptr;
  wxRadioButton* m_cache = nullptr;
  wxRadioButton* m_direct = nullptr;
  wxButton* m_excludeFlatten = nullptr;
  wxButton* m_ok = nullptr;
};
