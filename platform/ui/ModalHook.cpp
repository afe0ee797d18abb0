#include "platform/ui/ModalHook.h"

#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <chrono>
#include <thread>

#include "platform/ui/WxText.h"

namespace ui {
namespace {

IModalHook* g_hook = nullptr;

int WxIdOf(int answer) {
  switch (answer) {
    case kIdOk: return wxID_OK;
    case kIdCancel: return wxID_CANCEL;
    case kIdAbort: return wxID_ABORT;
    case kIdRetry: return wxID_RETRY;
    case kIdIgnore: return wxID_IGNORE;
    case kIdYes: return wxID_YES;
    case kIdNo: return wxID_NO;
    default: return wxID_NONE;
  }
}

wxArtID IconOf(uint32_t style) {
  switch (style & kMbIconMask) {
    case kMbIconStop: return wxART_ERROR;
    case kMbIconQuestion: return wxART_QUESTION;
    case kMbIconExclamation: return wxART_WARNING;
    case kMbIconInformation: return wxART_INFORMATION;
    default: return wxArtID();
  }
}

// wxMessageDialog offers no Abort/Retry/Ignore and lets the close box answer a button of its
// own choosing; this one shows any button set and answers Escape as MessageBoxEscapeAnswer.
class MessageBoxDialog : public wxDialog {
 public:
  MessageBoxDialog(wxWindow* parent, const MessageBoxRequest& request)
      : wxDialog(parent, wxID_ANY, FromCp1252(request.caption)) {
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    const wxArtID icon = IconOf(request.style);
    if (!icon.empty())
      top->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(icon, wxART_MESSAGE_BOX)), 0,
               wxALL, 12);
    top->Add(new wxStaticText(this, wxID_ANY, FromCp1252(request.text)), 1, wxALL | wxALIGN_CENTER_VERTICAL,
             12);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    const int defaultAnswer = MessageBoxDefaultAnswer(request.style);
    for (int answer : MessageBoxButtons(request.style)) {
      auto* button = new wxButton(this, WxIdOf(answer), MessageBoxButtonLabel(answer));
      m_answers.push_back({button->GetId(), answer});
      buttons->Add(button, 0, wxLEFT, 6);
      if (answer == defaultAnswer) {
        button->SetDefault();
        button->SetFocus();
      }
    }
    buttons->AddStretchSpacer();
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(top, 1, wxEXPAND);
    column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizerAndFit(column);
    SetEscapeId(WxIdOf(MessageBoxEscapeAnswer(request.style)));
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) { EndModal(e.GetId()); });
    CentreOnParent();
  }

  int AnswerOf(int wxId) const {
    for (const auto& [id, answer] : m_answers)
      if (id == wxId) return answer;
    return kIdCancel;
  }

 private:
  std::vector<std::pair<int, int>> m_answers;
};

}  // namespace

void SetModalHook(IModalHook* hook) {
  g_hook = hook;
}

IModalHook* GetModalHook() {
  return g_hook;
}

int ShowMessageBox(wxWindow* parent, const std::string& text, const std::string& caption, uint32_t style) {
  const MessageBoxRequest request{text, caption, style};
  if (g_hook) return g_hook->AnswerMessageBox(request);
  if (parent == nullptr && wxTheApp) parent = wxTheApp->GetTopWindow();
  MessageBoxDialog box(parent, request);
  const int answer = box.AnswerOf(box.ShowModal());
  return answer;
}

int ShowModalDialog(wxDialog& dialog) {
  IModalHook* hook = g_hook;
  if (!hook) return dialog.ShowModal();
  dialog.CallAfter([&dialog, hook] {
    hook->DriveDialog(dialog);
    if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
  });
  return dialog.ShowModal();
}

bool PressButton(wxWindow& window, int id) {
  auto* button = dynamic_cast<wxButton*>(window.FindWindow(id));
  if (button == nullptr || !button->IsThisEnabled() || !button->IsShown()) return false;
  wxCommandEvent event(wxEVT_BUTTON, id);
  event.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(event);
  return true;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    if (wxTheApp) {
      wxTheApp->ProcessPendingEvents();
      wxTheApp->Yield(true);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<std::string> ModalScript::BoxTexts() const {
  std::vector<std::string> texts;
  for (const MessageBoxRequest& box : m_boxes) texts.push_back(box.text);
  return texts;
}

int ModalScript::AnswerMessageBox(const MessageBoxRequest& request) {
  m_boxes.push_back(request);
  if (m_answers.empty()) return MessageBoxEscapeAnswer(request.style);
  const int answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

void ModalScript::DriveDialog(wxDialog& dialog) {
  if (m_drivers.empty()) {
    ++m_undriven;
    dialog.EndModal(wxID_CANCEL);
    return;
  }
  Driver driver = std::move(m_drivers.front());
  m_drivers.pop_front();
  driver(dialog);
}

}  // namespace ui
