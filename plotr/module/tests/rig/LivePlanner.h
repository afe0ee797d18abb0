#pragma once
// The planner as a pilot meets it: the stand-in simulator's main window with the module started
// as the simulator starts it, over a fresh copy of the Swiss sample installation (its database
// built once per test program), shown with F9 pressed as a key. Tests drive it only with real
// input (LiveInput.h) and look at the document or the screen; a failed test leaves a screenshot
// in the build's screens folder. Needs a display.

#include <gtest/gtest.h>
#include <wx/window.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ModalHook.h"
#include "plotr/plan/PlanPoint.h"
#include "plotr/module/tests/rig/LiveInput.h"
#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/PlotrDoc.h"
#include "simhost/HostCore.h"
#include "simhost/app/MainFrame.h"

namespace live {

// A plan point's name as the plan table shows it: identifier, "RW" and designator for runways,
// a user fix's own name.
std::string PointName(const PlanPoint& point);

// The sample installation with its built database, made once per test program; empty with the
// reason in `error` when it could not be made.
std::filesystem::path SampleInstallation(std::string& error);

class Watchdog;

class LivePlanner : public ::testing::Test {
 protected:
  LivePlanner();
  ~LivePlanner() override;
  void SetUp() override;
  void TearDown() override;

  // Before SetUp: the simulator window's client size, and how many times faster than the wall
  // clock the stand-in simulator runs.
  wxSize simulatorSize{1024, 768};
  double timeScale = 1.0;
  // The simulator program copied into the installation (empty: the newest generation); its file
  // version tells the module which simulator generation hosts it.
  std::filesystem::path simulatorProgram;
  // A test still running after this long is stuck behind a window no one answers: the screen is
  // saved and the program ends, rather than waiting for the test runner's time-out.
  int deadlineSeconds = 150;

  // Runs in SetUp once the installation is copied into `root`, before the simulator starts the
  // module: a test changes the files the module meets at its start here.
  virtual void PrepareInstallation() {}

  CPlotrDoc& Document() { return *main->GetDocument(); }
  CFlightPlanCore& Plan() { return Document().GetPlan(); }
  // The window of a pane of the main frame.
  wxWindow* Pane(PaneSlot slot) const;
  // The identifiers of the plan's waypoints in order (code page 1252).
  std::vector<std::string> PlanIdents();
  // F9 as the pilot presses it over the simulator's window.
  void PressHotKey(int keyCode, int modifiers = 0);

  // Boxes the module shows are recorded here and answered from its queue; dialogs are shown for
  // real and driven by the queued drivers, which use real input too.
  ui::ModalScript modals;

  std::filesystem::path root;
  std::unique_ptr<simhost::HostCore> host;
  simhost::MainFrame* frame = nullptr;
  CMainFrm* main = nullptr;

 private:
  std::unique_ptr<ui::ScopedModalHook> m_hook;
  std::unique_ptr<Watchdog> m_watchdog;
  std::filesystem::path m_previousFolder;
};

}  // namespace live
