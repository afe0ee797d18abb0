#pragma once

// The main window for the simulators with a scenery configuration file: the area list to
// enable, order, edit, add and delete, saving it back to the simulator, and the build.

#include <memory>

#include "basemaker/app/AreaRows.h"
#include "basemaker/app/BuilderStartup.h"
#include "basemaker/gui/AreaListCtrl.h"
#include "basemaker/gui/BuildDialog.h"
#include "platform/win/Drives.h"

// Control ids, kept as the numbers the dialog has always had.
enum AreasDlgId : int {
  kIdAreaList = 9008,
  kIdAreaProgress = 9009,
  kIdMoveUp = 9010,
  kIdMoveDown = 9011,
  kIdEditArea = 9012,
  kIdAddArea = 9013,
  kIdDeleteArea = 9014,
  kIdSaveToSim = 9015,
  kIdEnableAll = 9067,
};

class CAreasDlg : public CBuildDialog {
 public:
  // Reads the scenery configuration of `folders.simRoot`; whatever was read is shown.
  // `driveRoots` (may be null) places the drive letters of stored folders.
  CAreasDlg(wxWindow* parent, const BuilderFolders& folders, int simVer, BuildStep step,
            const win::DriveTable& drives, const win::DriveRoots* driveRoots = nullptr);
  ~CAreasDlg() override;

  const AreaRows& Rows() const { return *m_rows; }
  CAreaListCtrl& List() { return *m_list; }

 private:
  void BuildControls();
  void ShowRefusal(int row, int messageId);

  void OnEnableAll(wxCommandEvent&);
  void OnMove(wxCommandEvent& event);
  void OnEditArea(wxCommandEvent&);
  void OnAddArea(wxCommandEvent&);
  void OnDeleteArea(wxCommandEvent&);
  void OnSaveToSim(wxCommandEvent&);
  std::optional<CAreaList> ListToBuild() override;

  BuilderFolders m_folders;
  int m_simVer;
  const win::DriveTable& m_drives;
  const win::DriveRoots* m_driveRoots;
  CAreaList m_areas;
  std::unique_ptr<AreaRows> m_rows;
  CAreaListCtrl* m_list = nullptr;
};
