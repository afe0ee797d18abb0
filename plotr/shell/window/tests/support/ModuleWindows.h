#pragma once

// The module's windows in process over the stand-in simulator's main window, on a temporary
// simulator root with the plan tests' database, shown docked. Needs a display.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "plotr/shell/window/MainFrm.h"
#include "plotr/shell/window/PlotrDoc.h"
#include "simhost/app/MainFrame.h"

namespace shelltest {

// Runs the event loop for about `ms` milliseconds.
void Pump(int ms);
// A fresh simulator root named after `tag` in the temporary folder: the stand-in simulator's
// executable and the product's folders with the plan tests' database. Empty when it could not
// be made.
std::filesystem::path MakeSimulatorRoot(const std::string& tag);
// Pumps until `pred` holds or `ms` pass; the last answer of `pred`.
template <class Pred>
bool PumpUntil(Pred pred, int ms = 5000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (pred()) return true;
    Pump(10);
  }
  return pred();
}

class ModuleWindowsTest : public ::testing::Test {
 protected:
  // Panes the test wants are registered before this runs.
  void SetUp() override;
  void TearDown() override;
  CPlotrDoc& Document() { return *main->GetDocument(); }

  std::filesystem::path root;
  std::unique_ptr<simhost::HostCore> host;
  simhost::MainFrame* frame = nullptr;
  CMainFrm* main = nullptr;
};

}  // namespace shelltest
