#include "plotr/module/tests/rig/LivePlanner.h"

#include <unistd.h>
#include <wx/app.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "basemaker/app/BuilderStrings.h"
#include "platform/simapi/SimApi.h"
#include "plotr/core/Settings.h"
#include "plotr/module/ModuleComposition.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/shell/ModuleApp.h"
#include "plotr/shell/window/HostFrameWnd.h"
#include "plotr/sim/SimBlock.h"
#include "tools/sample-simroot/SampleSimRoot.h"
#include "tools/sample-simroot/SimRootBuild.h"

namespace fs = std::filesystem;

namespace live {
namespace {

struct Installation {
  fs::path root;
  std::string error;
  bool tried = false;
  ~Installation() {
    std::error_code ignored;
    if (!root.empty()) fs::remove_all(root, ignored);
  }
};

// The module finds the services through this table, as the simulator's loader fills the one the
// module library exports.
simapi::ImportTable g_importTable;

std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return info ? std::string(info->test_suite_name()) + "." + info->name() : "live";
}

}  // namespace

// Runs beside the UI thread, which may be the one stuck: it takes the screen with the X server's
// own tool, not through wx.
class Watchdog {
 public:
  Watchdog(int seconds, std::string name) : m_name(std::move(name)) {
    m_thread = std::thread([this, seconds] {
      std::unique_lock lock(m_mutex);
      if (m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_stop; })) return;
      const std::string shot = std::string(CW_SCREENS_DIR) + "/" + m_name + "-stuck.png";
      const std::string command = "mkdir -p '" CW_SCREENS_DIR "' && import -window root '" + shot + "' 2>/dev/null";
      const int taken = std::system(command.c_str());
      std::fprintf(stderr, "%s: stuck after %d s; screen %s\n", m_name.c_str(), seconds,
                   taken == 0 ? shot.c_str() : "not taken");
      std::abort();
    });
  }
  ~Watchdog() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_done.notify_all();
    m_thread.join();
  }

 private:
  std::string m_name;
  std::mutex m_mutex;
  std::condition_variable m_done;
  bool m_stop = false;
  std::thread m_thread;
};

std::string PointName(const PlanPoint& p) {
  const CSceneryDatabase& db = DatabaseLease::HeldDatabase();
  const NavPoint& n = p.ref.point;
  switch (p.Kind() & ~kKindLevelMask) {
    case kKindVor: return db.GetVor(n) ? std::string(db.GetVor(n)->Ident()) : "?";
    case kKindNdb: return db.GetNdb(n) ? std::string(db.GetNdb(n)->Ident()) : "?";
    case kKindIntersection: return db.GetIntersection(n) ? std::string(db.GetIntersection(n)->Ident()) : "?";
    case kKindAirport: return db.GetAirport(n) ? std::string(db.GetAirport(n)->Ident()) : "?";
    case kKindRunway: return db.GetRunway(n) ? "RW" + std::string(db.GetRunway(n)->Designator()) : "?";
    default: return p.IsUserPoint() ? std::string(p.UserName()) : "kind " + std::to_string(p.Kind());
  }
}

fs::path SampleInstallation(std::string& error) {
  static Installation sample;
  if (!sample.tried) {
    sample.tried = true;
    const fs::path root = fs::temp_directory_path() / ("cw-live-sample-" + std::to_string(::getpid()));
    fs::remove_all(root);
    if (!sampleroot::WriteSampleSimRoot(root, sample.error)) {
      fs::remove_all(root);
    } else if (sampleroot::BuildSimRoot(root) != IDS_BUILD_READY) {
      sample.error = "the sample database was not built";
      fs::remove_all(root);
    } else {
      sample.root = root;
    }
  }
  error = sample.error;
  return sample.root;
}

LivePlanner::LivePlanner() = default;
LivePlanner::~LivePlanner() = default;

void LivePlanner::SetUp() {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  m_watchdog = std::make_unique<Watchdog>(deadlineSeconds, TestName());
  std::string error;
  const fs::path sample = SampleInstallation(error);
  ASSERT_FALSE(sample.empty()) << error;
  static std::atomic<int> serial{0};
  root = fs::temp_directory_path() / ("cw-live-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
  fs::remove_all(root);
  fs::copy(sample, root, fs::copy_options::recursive);
  fs::copy_file(simulatorProgram.empty() ? fs::path(CW_SIMHOST_EXE) : simulatorProgram, root / "simhost");
  // The export plug-ins the pilot finds in the product folder, as the installation lays them out.
  const fs::path plugins = root / "Modules" / "Chartwright" / "FlpExport";
  fs::create_directories(plugins);
  for (const fs::path& plugin : {fs::path(CW_EXPORT_PLUGINS)}) fs::copy_file(plugin, plugins / plugin.filename());
  PrepareInstallation();
  if (HasFatalFailure()) return;

  // The simulator runs from its own folder; dialogs that start in the working folder start there.
  m_previousFolder = fs::current_path();
  fs::current_path(root);
  m_hook = std::make_unique<ui::ScopedModalHook>(modals);
  ASSERT_TRUE(g_App.InitInstance((root / "simhost").string()));
  host = std::make_unique<simhost::HostCore>(g_Settings.GetSimVer(), simhost::AircraftStart{}, timeScale);
  g_importTable.services = host->GetServices();
  g_SimBlock.SetImportTable(&g_importTable);

  frame = new simhost::MainFrame(*host, simhost::AircraftStart{});
  frame->SetClientSize(simulatorSize);
  frame->Move(0, 0);
  frame->Show();
  frame->Raise();
  ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  Pump(100);
  ASSERT_TRUE(StartModule(frame));
  main = GetMainFrame();
  ASSERT_NE(main, nullptr);
  // The pilot's first act: the switch key over the simulator's window.
  PressHotKey(WXK_F9);
  ASSERT_TRUE(PumpUntil([&] { return main->IsShownOnScreen(); })) << "F9 did not show the planner";
  // Tests take points of the panes from their places: those must be the places the pointer meets.
  ASSERT_TRUE(WaitUntilLaidOut(wxGetTopLevelParent(main))) << "the planner's layout did not settle";
}

void LivePlanner::TearDown() {
  if (HasFailure()) {
    const std::string shot = SaveScreenshot(TestName());
    if (!shot.empty()) std::fprintf(stderr, "screenshot: %s\n", shot.c_str());
  }
  if (frame != nullptr) {
    frame->Close(true);
    Pump(100);
  }
  g_SimBlock.SetImportTable(nullptr);
  m_hook.reset();
  m_watchdog.reset();
  std::error_code ignored;
  if (!m_previousFolder.empty()) fs::current_path(m_previousFolder, ignored);
  fs::remove_all(root, ignored);
}

wxWindow* LivePlanner::Pane(PaneSlot slot) const {
  const CPaneView* view = main->GetPaneView(slot);
  return view != nullptr ? view->GetWindow() : nullptr;
}

std::vector<std::string> LivePlanner::PlanIdents() {
  std::vector<std::string> idents;
  DatabaseLease lease;
  const CRoute* route = Plan().GetCurrent();
  for (int i = 0; route != nullptr && i < route->GetCount(); ++i) idents.push_back(PointName((*route)[i]));
  return idents;
}

void LivePlanner::PressHotKey(int keyCode, int modifiers) {
  // Keys go where the pointer is on a server without a window manager: over the simulator's
  // client area, clear of the module's windows when they are hidden.
  MoveTo(frame, wxPoint(8, frame->GetClientSize().y - 8));
  Key(keyCode, modifiers);
}

}  // namespace live
