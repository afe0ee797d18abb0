#include "basemaker/gui/BuildDialog.h"

#include <wx/artprov.h>

#include "basemaker/gui/BuilderBox.h"

CBuildDialog::CBuildDialog(wxWindow* parent, const wxString& title, BuildStep step)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMINIMIZE_BOX),
      m_sink(*this),
      m_worker(m_sink, std::move(step)) {
  SetIcon(wxArtProvider::GetIcon(wxART_HARDDISK, wxART_FRAME_ICON));
  Bind(ui::EVT_APP_MESSAGE, &CBuildDialog::OnAppMessage, this);
  // Exit, Escape and the close box all arrive here.
  Bind(wxEVT_BUTTON, &CBuildDialog::OnCancel, this, wxID_CANCEL);
}

CBuildDialog::~CBuildDialog() {
  StopBuild();
}

void CBuildDialog::SetBuildControls(wxStaticText* progress, wxButton* createButton) {
  m_progress = progress;
  m_createButton = createButton;
  // Empty at the start, and it must not collapse to nothing.
  m_progress->SetMinSize(wxSize(-1, m_progress->GetCharHeight() + 10));
}

int CBuildDialog::MessageBox(const std::string& text, uint32_t style) {
  return BuilderMessageBox(this, text, style);
}

void CBuildDialog::ConfirmAndStart(const CAreaList& areas) {
  if (BuilderMessageBox(this, IDS_CONFIRM_BUILD, ui::kMbOkCancel | ui::kMbIconQuestion) != ui::kIdOk) return;
  m_worker.StartBuild(areas);
}

void CBuildDialog::OnAppMessage(wxThreadEvent& event) {
  const ui::Message message = ui::MessageFromEvent(event);
  switch (message.code) {
    case WM_BUILD_DONE: {
      BuilderMessageBox(this, static_cast<int>(message.wParam), static_cast<uint32_t>(message.lParam));
      break;
    }
    case WM_BUILD_PROGRESS: {
      std::string text;
      m_worker.GetProgressText(text);
      if (m_progress) m_progress->SetLabel(ui::FromCp1252(text));
      break;
    }
    case WM_BUILD_STATE:
      if (m_createButton) m_createButton->SetLabel(BuilderText(static_cast<int>(message.wParam)));
      break;
    case WM_BUILD_ASK_CD: m_worker.AskInsertCd(); break;
    case WM_BUILD_ASK_MISSING: m_worker.AskAreaMissing(); break;
    default: event.Skip(); break;
  }
}

void CBuildDialog::OnCancel(wxCommandEvent&) {
  StopBuild();
  if (IsModal())
    EndModal(wxID_CANCEL);
  else
    Hide();
}
