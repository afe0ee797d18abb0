#include "plotr/tools/window/SmallControls.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "platform/ui/KeyForward.h"
#include "platform/ui/ModalHook.h"
#include "plotr/core/FrameServices.h"

CDlgWarning::CDlgWarning(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Warning") {
  auto* text = new wxStaticText(
      this, wxID_ANY,
      "If you have to make your Dial-Up Networking connection to an Internet service provider (ISP), be sure "
      "Flight Simulator is in WINDOW MODE first !!\n\nContinue ?");
  text->Wrap(360);
  auto* hintText = new wxStaticText(this, wxID_ANY, "(use ALT + Enter to toggle between Window - Full screen)");
  m_check = new wxCheckBox(this, kDoNotShowId, "&Do not show again");
  auto* yes = new wxButton(this, wxID_OK, "Yes");
  auto* no = new wxButton(this, wxID_CANCEL, "No");
  yes->SetDefault();
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(yes, 0, wxRIGHT, 8);
  buttons->Add(no);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(text, 0, wxALL, 10);
  sizer->Add(hintText, 0, wxLEFT | wxRIGHT, 10);
  sizer->Add(m_check, 0, wxALL, 10);
  sizer->Add(buttons, 0, wxALIGN_CENTER | wxBOTTOM, 10);
  SetSizerAndFit(sizer);
  Bind(wxEVT_BUTTON, &CDlgWarning::OnButton, this, wxID_OK);
  Bind(wxEVT_BUTTON, &CDlgWarning::OnButton, this, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) {
    m_doNotShow = m_check->GetValue();
    EndModal(wxID_CANCEL);
  });
}

void CDlgWarning::OnButton(wxCommandEvent& event) {
  m_doNotShow = m_check->GetValue();
  EndModal(event.GetId() == wxID_OK ? wxID_OK : wxID_CANCEL);
}

bool RunOnlineWarning(CSettings& settings, bool (CSettings::*get)(bool, bool), void (CSettings::*set)(bool)) {
  if ((settings.*get)(false, false)) return true;
  CDlgWarning dialog(nullptr);
  const int result = ui::ShowModalDialog(dialog);
  if (dialog.DoNotShowAgain()) (settings.*set)(true);
  return result == wxID_OK;
}

bool CNameEdit::IsRefused(int c) { return c == '#' || c == '%' || c == '/' || c == ':' || c == ';' || c == '\\'; }

CNameEdit::CNameEdit(wxWindow* parent, wxWindowID id, long style) : wxTextCtrl(parent, id, "", wxDefaultPosition,
                                                                                  wxDefaultSize, style) {
  Bind(wxEVT_CHAR, [](wxKeyEvent& event) {
    if (IsRefused(event.GetUnicodeKey())) {
      wxBell();
      return;
    }
    event.Skip();
  });
  Bind(wxEVT_CONTEXT_MENU, [](wxContextMenuEvent&) {});
}

KeyRoute RouteControlKey(int keyCode, bool docked, bool isChar) {
  if (keyCode == WXK_SPACE) return KeyRoute::Own;
  if (keyCode == WXK_CANCEL) return KeyRoute::HostOnly;
  if (!isChar) {
    switch (keyCode) {
      case WXK_LEFT: case WXK_RIGHT: case WXK_UP: case WXK_DOWN:
      case WXK_PAGEUP: case WXK_PAGEDOWN: case WXK_HOME: case WXK_END:
      case WXK_BACK: case WXK_RETURN: case WXK_NUMPAD_ENTER:
        return docked ? KeyRoute::Own : KeyRoute::HostOnly;
      case WXK_TAB:
        return KeyRoute::Own;
      default:
        break;
    }
  }
  return KeyRoute::HostThenOwn;
}

void ForwardControlKeys(wxWindow* control) {
  auto handler = [control](wxKeyEvent& event, bool isChar) {
    ui::ActivateHostOnAlt(control, event);
    const IFrameServices* frame = GetFrameServices();
    const bool docked = frame != nullptr && frame->IsDocked();
    switch (RouteControlKey(event.GetKeyCode(), docked, isChar)) {
      case KeyRoute::Own:
        event.Skip();
        break;
      case KeyRoute::HostOnly:
        ui::ForwardKeyToHost(control, event);
        break;
      case KeyRoute::HostThenOwn:
        ui::ForwardKeyToHost(control, event);
        event.Skip();
        break;
    }
  };
  control->Bind(wxEVT_KEY_DOWN, [handler](wxKeyEvent& e) { handler(e, false); });
  control->Bind(wxEVT_KEY_UP, [handler](wxKeyEvent& e) { handler(e, false); });
  control->Bind(wxEVT_CHAR, [handler](wxKeyEvent& e) { handler(e, true); });
}

CKeyForwardButton::CKeyForwardButton(wxWindow* parent, wxWindowID id, const wxString& label)
    : wxButton(parent, id, label) {
  ForwardControlKeys(this);
}

CKeyForwardComboBox::CKeyForwardComboBox(wxWindow* parent, wxWindowID id)
    : wxComboBox(parent, id, "", wxDefaultPosition, wxDefaultSize, 0, nullptr, wxCB_READONLY) {
  ForwardControlKeys(this);
}
