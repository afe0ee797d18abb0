// Basemaker: builds Plotr's navigation database from the simulator's scenery. It lies in the
// product's Bin folder of the simulator root, from which it finds everything else.
#include <wx/app.h>

#include <filesystem>
#include <system_error>

#include "basemaker/gui/BuilderApp.h"

class CBuilderApp : public wxApp {
 public:
  bool OnInit() override { return true; }
  // The program is its main dialog: it ends when the dialog closes.
  int OnRun() override {
    const BuilderStartup startup = StartBuilder();
    // Relative area paths (".\Scenery\...") are the simulator root's.
    std::error_code ec;
    if (startup.mode != BuilderMode::InstallationError) std::filesystem::current_path(startup.folders.simRoot, ec);
    return RunBuilder(startup, win::SystemDriveTable());
  }
};

wxIMPLEMENT_APP(CBuilderApp);
