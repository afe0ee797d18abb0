#pragma once
// What a pane asks of the frame it sits in: the status bar's text while it hovers or drags,
// whether the planner is docked in the simulator's window (keys then go on to the simulator),
// the modal state around a wait the user must not interrupt, and the settings of the FMS page. The shell's main frame serves
// it for as long as it lives; a pane on its own, as in its window test, finds none.

#include <string>

class wxWindow;

class IFrameServices {
 public:
  virtual ~IFrameServices() = default;

  virtual void ShowStatusText(const std::string& text) = 0;
  // The status bar back to its idle prompt.
  virtual void ShowIdleStatus() = 0;
  virtual bool IsDocked() const = 0;
  virtual void BeginModalState() = 0;
  virtual void EndModalState() = 0;
  // The options sheet with the FMS page alone, modal over `parent`.
  virtual void RunFmsSettings(wxWindow* parent) = 0;
  // The planner's own window, where a window of the planner such as a print preview belongs.
  virtual wxWindow* PlannerWindow() = 0;
};

// The frame now serving the panes, or nullptr.
IFrameServices* GetFrameServices();
// The main frame registers itself on creation and clears the slot (nullptr) when it goes.
void SetFrameServices(IFrameServices* frame);
