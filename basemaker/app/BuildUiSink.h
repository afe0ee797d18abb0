#pragma once

// What the build worker needs of the window that owns it: a queue for its messages and a modal
// message box for the two prompts. The main dialogs implement it; tests record it.

#include <cstdint>
#include <string>

#include "platform/ui/MessageBox.h"

// Messages from the build to the main window (private window messages from WM_APP).
inline constexpr uint32_t WM_BUILD_DONE = 0x8000;      // wParam: result string id, lParam: box style
inline constexpr uint32_t WM_BUILD_PROGRESS = 0x8001;  // fetch GetProgressText
inline constexpr uint32_t WM_BUILD_STATE = 0x8002;     // wParam: caption string id of Create/Abort
inline constexpr uint32_t WM_BUILD_ASK_CD = 0x8003;    // call AskInsertCd
inline constexpr uint32_t WM_BUILD_ASK_MISSING = 0x8004;  // call AskAreaMissing

class IBuildUiSink {
 public:
  virtual ~IBuildUiSink() = default;
  // Called on the build thread (and on the window's own thread when a build cannot start):
  // queue the message for the window's thread and return at once, never waiting for it.
  virtual void PostBuildMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  // Called on the window's thread: a modal box with cp1252 `text` and a ui::kMb* style; returns
  // the ui::kId* answer.
  virtual int ShowMessageBox(const std::string& text, uint32_t style) = 0;
};
