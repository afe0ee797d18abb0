#include "plotr/shell/window/tests/support/ModuleWindows.h"

#include <unistd.h>
#include <wx/app.h>
#include <wx/utils.h>

#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/HostFrameWnd.h"

namespace shelltest {

namespace fs = std::filesystem;

void Pump(int ms) {
  for (int i = 0; i < ms / 10; ++i) {
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
  // Windows closed on the way are deleted here, before what they point to goes.
  wxTheApp->ProcessIdle();
}

fs::path MakeSimulatorRoot(const std::string& tag) {
  const fs::path root = fs::temp_directory_path() / (tag + "-" + std::to_string(::getpid()));
  fs::remove_all(root);
  const fs::path product = root / "Modules" / "Chartwright";
  for (const char* sub : {"Bin", "Plan", "SidStar", "FlpExport"}) fs::create_directories(product / sub);
  fs::copy_file(FIXTURE_EXE_V90, root / "simhost");
  if (!plantest::WritePlanDatabase(product.string(), "Sample", "Sample", "Switzerland")) return {};
  return root;
}

void ModuleWindowsTest::SetUp() {
  root = MakeSimulatorRoot("cw-module");
  ASSERT_FALSE(root.empty());
  ASSERT_TRUE(g_App.InitInstance((root / "simhost").string()));
  host = std::make_unique<simhost::HostCore>(90);
  frame = new simhost::MainFrame(*host, simhost::AircraftStart{});
  frame->Show();
  Pump(50);
  ASSERT_TRUE(InitModuleWindows(frame));
  main = GetMainFrame();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(main->ToggleShowWindow());
  Pump(100);
}

void ModuleWindowsTest::TearDown() {
  if (frame != nullptr) {
    frame->Close(true);
    Pump(100);
  }
  fs::remove_all(root);
}

}  // namespace shelltest
