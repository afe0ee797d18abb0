#pragma once

// For the window tests of modules whose export opens a dialog: the test queues a driver before
// the call, the driver runs once the module's dialog is modal (finds it, sets its controls by
// id, presses a button), and afterwards the test checks that the module left no window behind.
// Include from one test file per program; it starts wx for the program.

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/toplevel.h>

#include <functional>
#include <memory>

#include "platform/ui/ModalHook.h"
#include "platform/ui/tests/WxTestRuntime.h"

namespace flpxtest {

inline wxDialog* OpenModalDialog() {
  for (wxWindow* w : wxTopLevelWindows) {
    if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal()) return d;
  }
  return nullptr;
}

struct PendingDriver {
  std::function<void(wxDialog&)> drive;
  int attemptsLeft;
};

inline void TryDriver(const std::shared_ptr<PendingDriver>& pending) {
  if (wxDialog* dialog = OpenModalDialog()) {
    pending->drive(*dialog);
  } else if (pending->attemptsLeft-- > 0) {
    wxTheApp->CallAfter([pending] { TryDriver(pending); });
  }
}

// Runs `drive` on the first modal dialog once one is open; gives up after `attempts` turns of
// the event loop, so a dialog that never opens leaves nothing queued for long.
inline void WhenModal(std::function<void(wxDialog&)> drive, int attempts = 500) {
  auto pending = std::make_shared<PendingDriver>(PendingDriver{std::move(drive), attempts});
  wxTheApp->CallAfter([pending] { TryDriver(pending); });
}

// What is left once the events the call queued have run: top-level windows still open.
inline size_t WindowsLeft() {
  wxTheApp->ProcessPendingEvents();
  wxTheApp->ProcessIdle();
  return wxTopLevelWindows.size();
}

}  // namespace flpxtest
