#pragma once
// The module's own file dialog: a folder combo with the path as a breadcrumb under
// "Workplace", the folder's sub-folders and matching files, the file-type list, folder up,
// Workplace and delete buttons, in-place rename and an overwrite prompt. The open variant
// previews a plan file's title; the save variant chooses the plan format.

#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win/Drives.h"
#include "plotr/tools/FileDialogModel.h"

class CNameEdit;
class wxButton;

class CDlgFile : public wxDialog {
 public:
  // Strings may be empty. Paths are UTF-8.
  CDlgFile(bool openMode, const std::string& defaultExt, const std::string& initialPath, const std::string& filter,
           const std::string& initialFolder, wxWindow* parent);
  ~CDlgFile() override;

  std::string GetPathName() const { return m_pathName; }
  const std::string& GetFolder() const { return m_folder; }
  const std::vector<filedlg::FileListItem>& GetFileItems() const { return m_fileItems; }
  const std::vector<filedlg::FolderComboItem>& GetFolderItems() const { return m_folderItems; }
  // The drives come from here; tests give a fake.
  static void SetDriveTable(const win::DriveTable* table);

  void ChangeFolder(const std::string& path);
  void RefreshFileList();
  // The OK button: the typed name cut and accepted.
  void OnOK();
  void Accept(const std::string& name);
  void SetFileName(const std::string& name);
  bool RenameItem(const std::string& from, const std::string& to);
  void DeleteSelected();

 protected:
  // The derived dialogs call it once their own controls exist: the start folder is shown.
  void Start();
  virtual void OnFileSelected(const std::string& path);
  wxWindow* ExtraRow() const { return m_extraParent; }
  wxSizer* m_extraSizer = nullptr;

 private:
  void BuildControls();
  void ShowFolderCombo(int selected);
  void ShowFileList();
  int SelectedItem() const;

  bool m_openMode;
  std::string m_defaultExt;
  std::string m_filter;
  std::string m_initialFolder;
  std::string m_initialName;
  std::vector<std::string> m_patterns;
  std::string m_pattern = "*.*";
  std::string m_folder;
  std::string m_pathName;
  std::vector<filedlg::FolderComboItem> m_folderItems;
  std::vector<filedlg::FileListItem> m_fileItems;

  wxComboBox* m_folderCombo = nullptr;
  wxListCtrl* m_list = nullptr;
  CNameEdit* m_nameEdit = nullptr;
  wxChoice* m_typeCombo = nullptr;
  wxButton* m_upButton = nullptr;
  wxButton* m_deleteButton = nullptr;
  wxWindow* m_extraParent = nullptr;
  std::unique_ptr<wxImageList> m_images;
};

class CDlgFileOpen : public CDlgFile {
 public:
  CDlgFileOpen(const std::string& defaultExt, const std::string& initialPath, const std::string& filter,
               const std::string& initialFolder, wxWindow* parent);
  wxString GetPreview() const;

 protected:
  void OnFileSelected(const std::string& path) override;

 private:
  wxTextCtrl* m_preview = nullptr;
};

class CDlgFileSave : public CDlgFile {
 public:
  CDlgFileSave(const std::string& defaultExt, const std::string& initialPath, const std::string& filter,
               const std::string& initialFolder, wxWindow* parent);
  int formatIndex = 0;

 private:
  wxChoice* m_format = nullptr;
};
