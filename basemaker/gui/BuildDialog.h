#pragma once

// What both main dialogs share: the build worker, its messages turned into the progress text,
// the Create/Abort caption, the result box and the two prompts, and leaving only after the
// worker has ended.

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/stattext.h>

#include "basemaker/app/BuildWorker.h"
#include "platform/ui/WxMessages.h"

class CBuildDialog : public wxDialog {
 public:
  CBuildDialog(wxWindow* parent, const wxString& title, BuildStep step);
  ~CBuildDialog() override;

  CBuildWorker& Worker() { return m_worker; }
  // Aborts a running build and waits for its thread; nothing when idle.
  void StopBuild() { m_worker.AbortBuild(); }

 protected:
  // The two controls the build drives; set once by the derived dialog while it builds itself.
  void SetBuildControls(wxStaticText* progress, wxButton* createButton);
  // Create (when idle): the list to build, confirmed with the user; then the build starts.
  void ConfirmAndStart(const CAreaList& areas);
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
  void OnCancel(wxCommandEvent& event);

  Sink m_sink;
  CBuildWorker m_worker;
  wxStaticText* m_progress = nullptr;
  wxButton* m_createButton = nullptr;
};
