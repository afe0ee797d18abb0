#include "basemaker/gui/BuildDialog.h"

#include <wx/artprov.h>
#include <wx/panel.h>

#include "basemaker/gui/AboutDlg.h"
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

wxSizer* CBuildDialog::CreateBuildControls(int progressId) {
  // A GTK label draws no frame of its own: the sunken frame is a panel around it, so the line
  // can be seen while it is empty.
  m_progressFrame = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN);
  m_progress = new wxStaticText(m_progressFrame, progressId, "", wxDefaultPosition, wxDefaultSize,
                                wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
  // Empty at the start, and it must not collapse to nothing.
  m_progress->SetMinSize(wxSize(-1, m_progress->GetCharHeight()));
  auto* line = new wxBoxSizer(wxVERTICAL);
  line->Add(m_progress, 0, wxEXPAND | wxALL, 3);
  m_progressFrame->SetSizer(line);
  m_createButton = new wxButton(this, wxID_OK, BuilderText(IDS_CREATE_DATABASE));
  m_createButton->SetDefault();
  // No help viewer exists here: Help is off.
  auto* help = new wxButton(this, wxID_HELP, "Help");
  help->Disable();
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(m_createButton, 0, wxRIGHT, 8);
  row->Add(new wxButton(this, wxID_CANCEL, "Exit"), 0, wxRIGHT, 8);
  row->AddStretchSpacer();
  row->Add(new wxButton(this, kIdAbout, "&About..."), 0, wxRIGHT, 8);
  row->Add(help);
  Bind(wxEVT_BUTTON, &CBuildDialog::OnCreate, this, wxID_OK);
  Bind(wxEVT_BUTTON, &CBuildDialog::OnAbout, this, kIdAbout);
  return row;
}

int CBuildDialog::MessageBox(const std::string& text, uint32_t style) {
  return BuilderMessageBox(this, text, style);
}

void CBuildDialog::OnCreate(wxCommandEvent&) {
  // While building the button reads Abort.
  if (m_worker.IsBuilding()) {
    StopBuild();
    return;
  }
  const std::optional<CAreaList> areas = ListToBuild();
  if (!areas) return;
  if (BuilderMessageBox(this, IDS_CONFIRM_BUILD, ui::kMbOkCancel | ui::kMbIconQuestion) != ui::kIdOk) return;
  m_worker.StartBuild(*areas);
}

void CBuildDialog::OnAppMessage(wxThreadEvent& event) {
  const ui::Message message = ui::MessageFromEvent(event);
  switch (message.code) {
    case WM_BUILD_DONE: {
      // The worker's last text and the signs of life queued before it alternate with "Please
      // wait"; whichever came last, the build is over and the line is empty again.
      if (m_progress) m_progress->SetLabel("");
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

void CBuildDialog::OnAbout(wxCommandEvent&) {
  CAboutDlg about(this);
  ui::ShowModalDialog(about);
}
