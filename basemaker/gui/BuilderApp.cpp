#include "basemaker/gui/BuilderApp.h"

#include "basemaker/app/DatabaseBuild.h"
#include "basemaker/gui/AreasDlg.h"
#include "basemaker/gui/BuilderBox.h"
#include "basemaker/gui/DatabaseDlg.h"

int RunBuilder(const BuilderStartup& startup, const win::DriveTable& drives, BuildStep step) {
  if (!step) {
    BuildEnvironment env;
    env.folders = startup.folders;
    env.simVer = startup.simVer;
    env.drives = &drives;
    env.driveRoots = &startup.driveRoots;
    step = MakeDatabaseBuildStep(env);
  }
  switch (startup.mode) {
    case BuilderMode::Simple: {
      CDatabaseDlg dialog(nullptr, startup.folders, std::move(step));
      ui::ShowModalDialog(dialog);
      break;
    }
    case BuilderMode::Full: {
      CAreasDlg dialog(nullptr, startup.folders, startup.simVer, std::move(step), drives, &startup.driveRoots);
      ui::ShowModalDialog(dialog);
      break;
    }
    case BuilderMode::InstallationError:
      BuilderMessageBox(nullptr, IDS_INSTALLATION_ERROR, ui::kMbOk | ui::kMbIconStop);
      break;
  }
  return 0;
}
