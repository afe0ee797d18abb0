#pragma once

// What both main dialogs share: the build worker, its messages turned into the progress text,
// the Create/Abort caption, the result box and the two prompts, and leaving only after the
// worker has ended.

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <optional>

#include "basemaker/app/BuildWorker.h"
#include "platform/ui/WxMessages.h"

// No window menu to extend here: the About box has a button of its own.
inline constexpr int kIdAbout = 0x0010;

class CBuildDialog : public wxDialog {
 public:
  CBuildDialog(wxWindow* parent, const wxString& title, BuildStep step);
  ~CBuildDialog() override;

  CBuildWorker& Worker() { return m_worker; }
  // Aborts a running build and waits for its thread; nothing when idle.
  void StopBuild() { m_worker.AbortBuild(); }

 protected:
  // Creates the progress text `progressId` in its frame and the row of Create/Abort (the default
  // button), Exit, About and Help, and returns that row for the derived dialog's layout.
  wxSizer* CreateBuildControls(int progressId);
  // The framed line of the progress text, for the derived dialog's layout.
  wxWindow* ProgressLine() { return m_progressFrame; }
  wxButton* CreateButton() { return m_createButton; }
  // The list Create builds, or nullopt when there is nothing to build.
  virtual std::optional<CAreaList> ListToBuild() = 0;
  // A box with Basemaker's caption over this dialog.
  int MessageBox(const std::string& text, uint32_t style);

 private:
  // The worker's window: a sink of its own, so the worker never calls into a dialog that is
  // being destroyed.
  class Sink : public IBuildUiSink {
   public:
    explicit Sink(CBuildDialog& dialog) : m_dialog(dialog), m_target(&dialog) {}
    void PostBuildMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
      m_target.Post({message, wParam, lParam});
    }
    int ShowMessageBox(const std::string& text, uint32_t style) override { return m_dialog.MessageBox(text, style); }

   private:
    CBuildDialog& m_dialog;
    ui::WxMessageTarget m_target;
  };

  void OnAppMessage(wxThreadEvent& event);
  void OnCreate(wxCommandEvent& event);
  void OnCancel(wxCommandEvent& event);
  void OnAbout(wxCommandEvent& event);

  Sink m_sink;
  CBuildWorker m_worker;
  wxWindow* m_progressFrame = nullptr;
  wxStaticText* m_progress = nullptr;
  wxButton* m_createButton = nullptr;
};
