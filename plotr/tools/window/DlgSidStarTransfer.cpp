#include "plotr/tools/window/DlgSidStarTransfer.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <algorithm>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/tools/SaveSidStarForm.h"
#include "plotr/tools/window/ShellStrings.h"

namespace {

wxString FromCp1252(std::string_view text) { return wxString::FromUTF8(win::Cp1252ToUtf8(text)); }

}  // namespace

CDlgSidStarTransfer::CDlgSidStarTransfer(wxWindow* parent, CSidStarTransfer::Kind kind, CSidStarStore& store,
                                         const SidStarServerOptions& options)
    : wxDialog(parent, kind == CSidStarTransfer::kDownload ? 205 : 206,
               kind == CSidStarTransfer::kDownload ? "Download SID/STARs" : "Upload SID/STARs"),
      m_kind(kind),
      m_target(this) {
  // The column titles come from the save dialog's table.
  SaveSidStarForm::AddStrings();
  const bool upload = kind == CSidStarTransfer::kUpload;
  auto* top = new wxBoxSizer(wxVERTICAL);
  if (upload) {
    top->Add(new wxStaticText(this, wxID_ANY, ">>>>>>>>>>   Upload only complete Airports !   <<<<<<<<<<"), 0,
             wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT | wxTOP, 8);
  }
  top->Add(new wxStaticText(this, wxID_ANY, "&New or updated Airports:"), 0, wxLEFT | wxRIGHT | wxTOP, 8);
  m_list = new wxListCtrl(this, upload ? kIdUploadList : kIdDownloadList, wxDefaultPosition, wxSize(380, 200),
                          wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
  if (upload) m_list->EnableCheckBoxes(true);
  m_list->AppendColumn(FromCp1252(ui::LoadString(SaveSidStarForm::kIdsColumnIdentification)), wxLIST_FORMAT_LEFT,
                       m_list->GetTextExtent("XXXXXXXXXXXX").x);
  m_list->AppendColumn(FromCp1252(ui::LoadString(SaveSidStarForm::kIdsColumnDescription)));
  top->Add(m_list, 1, wxEXPAND | wxALL, 8);
  if (!upload) {
    m_progress = new wxGauge(this, kIdDownloadProgress, 1, wxDefaultPosition, wxSize(-1, 16));
    top->Add(m_progress, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  }
  m_status = new wxStaticText(this, upload ? kIdUploadStatus : kIdDownloadStatus, "", wxDefaultPosition,
                              wxDefaultSize, wxST_NO_AUTORESIZE);
  top->Add(m_status, 0, wxEXPAND | wxALL, 8);
  // The Help button stays out while the module has no help.
  m_start = new wxButton(this, wxID_OK, upload ? "&Start Upload" : "&Start Download");
  m_start->SetDefault();
  m_exit = new wxButton(this, wxID_CANCEL, "Exit");
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(m_start, 0, wxRIGHT, 8);
  buttons->Add(m_exit);
  buttons->AddStretchSpacer();
  top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  SetSizerAndFit(top);
  m_list->SetColumnWidth(1, std::max(10, m_list->GetClientSize().x - m_list->GetColumnWidth(0)));
  CentreOnParent();

  Bind(wxEVT_BUTTON, &CDlgSidStarTransfer::OnStart, this, wxID_OK);
  Bind(wxEVT_BUTTON, &CDlgSidStarTransfer::OnExit, this, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, &CDlgSidStarTransfer::OnClose, this);
  Bind(ui::EVT_APP_MESSAGE, &CDlgSidStarTransfer::OnAppMessage, this);

  m_transfer = std::make_unique<CSidStarTransfer>(kind, store, static_cast<ISidStarTransferView&>(*this), m_target,
                                                  options);
  m_transfer->OnInitDialog();
  NumberRows();
}

CDlgSidStarTransfer::~CDlgSidStarTransfer() {
  // The worker may still queue calls to this window; it ends before the window goes.
  m_transfer.reset();
}

void CDlgSidStarTransfer::OnUiThread(std::function<void()> call) {
  if (wxThread::IsMain()) {
    call();
  } else {
    CallAfter(std::move(call));
  }
}

void CDlgSidStarTransfer::SetStatus(const std::string& text) {
  OnUiThread([this, text] { m_status->SetLabel(FromCp1252(text)); });
}

void CDlgSidStarTransfer::AddRow(const std::string& id, const std::string& name) {
  OnUiThread([this, id, name] {
    const long item = m_list->InsertItem(m_list->GetItemCount(), FromCp1252(id));
    if (item >= 0) m_list->SetItem(item, 1, FromCp1252(name));
  });
}

void CDlgSidStarTransfer::RemoveRow(int row) {
  OnUiThread([this, row] {
    if (row >= 0 && row < m_list->GetItemCount()) m_list->DeleteItem(row);
  });
}

void CDlgSidStarTransfer::SelectFirstRow() {
  OnUiThread([this] {
    if (m_list->GetItemCount() > 0) {
      m_list->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
  });
}

void CDlgSidStarTransfer::SetProgress(int position, int range) {
  OnUiThread([this, position, range] {
    if (!m_progress) return;
    m_progress->SetRange(std::max(1, range));
    m_progress->SetValue(std::clamp(position, 0, std::max(1, range)));
  });
}

void CDlgSidStarTransfer::EnableStart(bool enable) {
  OnUiThread([this, enable] { m_start->Enable(enable); });
}

void CDlgSidStarTransfer::EnableExit(bool enable) {
  OnUiThread([this, enable] { m_exit->Enable(enable); });
}

void CDlgSidStarTransfer::EndDialog() {
  OnUiThread([this] {
    if (IsModal()) {
      EndModal(wxID_CANCEL);
    } else {
      Hide();
    }
  });
}

int CDlgSidStarTransfer::MessageBox(const std::string& text, uint32_t style) {
  AddShellStrings();
  return ui::ShowMessageBox(this, text, ui::LoadString(shellstr::kAppTitle), style);
}

std::vector<bool> CDlgSidStarTransfer::CheckedRows() {
  std::vector<bool> checked;
  for (long i = 0; i < m_list->GetItemCount(); ++i) checked.push_back(m_list->IsItemChecked(i));
  return checked;
}

void CDlgSidStarTransfer::NumberRows() {
  if (m_kind != CSidStarTransfer::kUpload) return;
  const std::vector<int>& airports = m_transfer->RowAirports();
  for (long i = 0; i < m_list->GetItemCount() && static_cast<size_t>(i) < airports.size(); ++i) {
    m_list->SetItemData(i, airports[static_cast<size_t>(i)]);
  }
}

void CDlgSidStarTransfer::OnStart(wxCommandEvent&) {
  wxBusyCursor wait;
  m_transfer->OnOK();
}

void CDlgSidStarTransfer::OnExit(wxCommandEvent&) { m_transfer->OnCancel(); }

void CDlgSidStarTransfer::OnClose(wxCloseEvent& event) {
  // Once Exit has aborted a transfer, the window waits for the worker's end.
  if (!m_exit->IsEnabled() && event.CanVeto()) {
    event.Veto();
    return;
  }
  m_transfer->OnCancel();
}

void CDlgSidStarTransfer::OnAppMessage(wxThreadEvent& event) {
  const ui::Message message = ui::MessageFromEvent(event);
  if (message.code != kWmAppTransferProgress) return;
  m_transfer->OnTransferMessage(message.wParam);
  NumberRows();
}
