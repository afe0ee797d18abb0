#pragma once
// Message boxes and modal dialogs, shown to the user or, when a hook is installed, answered and
// driven by it: tests install one so that every box and dialog a window opens is answered
// without a person, and what was asked is recorded. UI thread only.

#include <wx/dialog.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/MessageBox.h"

namespace ui {

class IModalHook {
 public:
  virtual ~IModalHook() = default;
  // Answers in place of the user: one of the request's buttons (MessageBoxButtons).
  virtual int AnswerMessageBox(const MessageBoxRequest& request) = 0;
  // Called once `dialog` runs its modal loop. Fills and presses its controls (PressButton runs
  // the real handlers, so validation keeps a dialog open as it would for a user) and ends it;
  // may pump events while it waits for work the dialog started. A dialog still open when this
  // returns is ended with wxID_CANCEL, so a test never hangs on it.
  virtual void DriveDialog(wxDialog& dialog) = 0;
};

// Installs `hook` (not owned); nullptr gives the boxes and dialogs back to the user.
void SetModalHook(IModalHook* hook);
IModalHook* GetModalHook();

class ScopedModalHook {
 public:
  explicit ScopedModalHook(IModalHook& hook) : m_previous(GetModalHook()) { SetModalHook(&hook); }
  ~ScopedModalHook() { SetModalHook(m_previous); }
  ScopedModalHook(const ScopedModalHook&) = delete;
  ScopedModalHook& operator=(const ScopedModalHook&) = delete;

 private:
  IModalHook* m_previous;
};

// A modal box over `parent` (null: the application's top window) with code page 1252 texts;
// returns the kId* answer. Escape and the close box give MessageBoxEscapeAnswer.
int ShowMessageBox(wxWindow* parent, const std::string& text, const std::string& caption, uint32_t style);

// dialog.ShowModal(), driven by the hook when one is installed.
int ShowModalDialog(wxDialog& dialog);

// Presses the button `id` inside `window` as a click would: its wxEVT_BUTTON handlers run.
// False when there is no such button or it is disabled or hidden (a user could not press it).
bool PressButton(wxWindow& window, int id);

// Pumps the UI thread's events until `done` holds or `timeoutMs` passes; returns `done()`.
// For hooks waiting on work a dialog started on another thread.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// A hook answering from queues, for tests: boxes get the queued answers in order (then their
// escape answer), dialogs the queued drivers in the order they open (then Cancel). Every box is
// recorded; a dialog opened from a driver takes the next driver, so nested dialogs are scripted
// in the order a user would meet them.
class ModalScript : public IModalHook {
 public:
  using Driver = std::function<void(wxDialog&)>;

  void QueueAnswer(int answer) { m_answers.push_back(answer); }
  void QueueDriver(Driver driver) { m_drivers.push_back(std::move(driver)); }

  const std::vector<MessageBoxRequest>& Boxes() const { return m_boxes; }
  std::vector<std::string> BoxTexts() const;
  // Dialogs that found no driver and were cancelled.
  int UndrivenDialogs() const { return m_undriven; }

  int AnswerMessageBox(const MessageBoxRequest& request) override;
  void DriveDialog(wxDialog& dialog) override;

 private:
  std::deque<int> m_answers;
  std::deque<Driver> m_drivers;
  std::vector<MessageBoxRequest> m_boxes;
  int m_undriven = 0;
};

}  // namespace ui
