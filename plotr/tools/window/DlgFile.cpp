#include "plotr/tools/window/DlgFile.h"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "platform/ui/ModalHook.h"
#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/tools/window/ShellStrings.h"
#include "plotr/tools/window/SmallControls.h"

namespace {

const win::DriveTable* g_drives = nullptr;

const win::DriveTable& Drives() { return g_drives != nullptr ? *g_drives : win::SystemDriveTable(); }

wxString U(const std::string& utf8) { return wxString::FromUTF8(utf8); }

// The nine list images, drawn: workplace, removable, fixed, CD, network, folder, open folder,
// file, plan file.
wxImageList* MakeImages() {
  auto* list = new wxImageList(16, 16, true, 9);
  for (int i = 0; i < 9; ++i) {
    wxBitmap bitmap(16, 16);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetPen(*wxBLACK_PEN);
    switch (i) {
      case 0:
        dc.SetBrush(wxBrush(wxColour(0x40, 0x80, 0xC0)));
        dc.DrawRectangle(2, 3, 12, 8);
        dc.DrawRectangle(5, 12, 6, 2);
        break;
      case 1: case 2: case 3: case 4:
        dc.SetBrush(wxBrush(i == 3 ? wxColour(0xE0, 0xE0, 0x60) : wxColour(0xB0, 0xB0, 0xB0)));
        if (i == 3) dc.DrawCircle(8, 8, 6); else dc.DrawRectangle(1, 5, 14, 7);
        if (i == 4) dc.DrawLine(8, 12, 8, 15);
        break;
      case 5: case 6:
        dc.SetBrush(wxBrush(wxColour(0xF0, 0xD0, 0x60)));
        dc.DrawRectangle(1, 4, 14, 10);
        dc.DrawRectangle(1, 2, 6, 3);
        break;
      default:
        dc.SetBrush(wxBrush(i == 8 ? wxColour(0x60, 0xA0, 0xE0) : *wxWHITE));
        dc.DrawRectangle(3, 1, 10, 14);
        if (i == 8) dc.DrawLine(5, 10, 11, 5);
        break;
    }
    dc.SelectObject(wxNullBitmap);
    list->Add(bitmap);
  }
  return list;
}

}  // namespace

void CDlgFile::SetDriveTable(const win::DriveTable* table) { g_drives = table; }

CDlgFile::CDlgFile(bool openMode, const std::string& defaultExt, const std::string& initialPath,
                   const std::string& filter, const std::string& initialFolder, wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "File Dialog", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxRESIZE_BORDER | wxCLOSE_BOX),
      m_openMode(openMode),
      m_defaultExt(defaultExt.substr(0, 3)),
      m_filter(filter),
      m_initialFolder(initialFolder) {
  AddShellStrings();
  if (!initialPath.empty()) {
    const size_t slash = initialPath.rfind('/');
    m_initialName = slash == std::string::npos ? initialPath : initialPath.substr(slash + 1);
    if (slash != std::string::npos) m_initialFolder = initialPath.substr(0, slash + 1);
  }
  SetTitle(U(ui::LoadString(openMode ? shellstr::kOpenCaption : shellstr::kSaveAsCaption)));
  BuildControls();
}

CDlgFile::~CDlgFile() = default;

void CDlgFile::BuildControls() {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(this, m_openMode ? 9000 : 9001, m_openMode ? "&Look in:" : "&Save in:"), 0,
           wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  m_folderCombo = new wxComboBox(this, 9002, "", wxDefaultPosition, wxSize(300, -1), 0, nullptr, wxCB_READONLY);
  row->Add(m_folderCombo, 1, wxALIGN_CENTER_VERTICAL);
  m_upButton = new wxButton(this, wxID_ANY, "Up", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  auto* workplace = new wxButton(this, wxID_ANY, "Workplace", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_deleteButton = new wxButton(this, wxID_ANY, "Delete", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_upButton->SetToolTip("Folder one level up");
  workplace->SetToolTip("Workplace Folder");
  m_deleteButton->SetToolTip("Delete");
  row->Add(m_upButton, 0, wxLEFT, 10);
  row->Add(workplace, 0, wxLEFT, 2);
  row->Add(m_deleteButton, 0, wxLEFT, 8);
  top->Add(row, 0, wxEXPAND | wxALL, 8);

  m_images.reset(MakeImages());
  m_list = new wxListCtrl(this, 9003, wxDefaultPosition, wxSize(560, 260),
                          wxLC_LIST | wxLC_SINGLE_SEL | wxLC_EDIT_LABELS | wxBORDER_SUNKEN);
  m_list->SetImageList(m_images.get(), wxIMAGE_LIST_SMALL);
  top->Add(m_list, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);

  auto* grid = new wxFlexGridSizer(2, 6, 6);
  grid->AddGrowableCol(1);
  grid->Add(new wxStaticText(this, wxID_ANY, "File &Name:"), 0, wxALIGN_CENTER_VERTICAL);
  m_nameEdit = new CNameEdit(this, 9004);
  m_nameEdit->SetMaxLength(259);
  grid->Add(m_nameEdit, 1, wxEXPAND);
  grid->Add(new wxStaticText(this, m_openMode ? 9006 : 9005, m_openMode ? "Files of &Type:" : "Save as &Type:"), 0,
            wxALIGN_CENTER_VERTICAL);
  m_typeCombo = new wxChoice(this, 9007);
  grid->Add(m_typeCombo, 1, wxEXPAND);
  top->Add(grid, 0, wxEXPAND | wxALL, 8);
  m_extraParent = this;
  m_extraSizer = new wxBoxSizer(wxVERTICAL);
  top->Add(m_extraSizer, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(this, wxID_OK, U(ui::LoadString(m_openMode ? shellstr::kOpenButton : shellstr::kSaveButton)));
  ok->SetDefault();
  buttons->Add(ok, 0, wxRIGHT, 6);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
  top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 8);
  SetSizer(top);

  for (const filedlg::FilterEntry& e : filedlg::ParseFilter(m_filter)) {
    m_typeCombo->Append(U(e.name));
    m_patterns.push_back(e.pattern);
  }
  if (!m_patterns.empty()) {
    m_typeCombo->SetSelection(0);
    m_pattern = m_patterns.front();
  }

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  m_upButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    const int sel = m_folderCombo->GetSelection();
    if (sel <= 0) return;
    const int indent = m_folderItems[static_cast<size_t>(sel)].indent;
    for (int i = sel - 1; i >= 0; --i)
      if (m_folderItems[static_cast<size_t>(i)].indent < indent) {
        ChangeFolder(m_folderItems[static_cast<size_t>(i)].path);
        return;
      }
  });
  workplace->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChangeFolder(""); });
  m_deleteButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { DeleteSelected(); });
  m_folderCombo->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) {
    const int sel = m_folderCombo->GetSelection();
    if (sel >= 0) ChangeFolder(m_folderItems[static_cast<size_t>(sel)].path);
  });
  m_typeCombo->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    const int sel = m_typeCombo->GetSelection();
    m_pattern = sel >= 0 && static_cast<size_t>(sel) < m_patterns.size() ? m_patterns[static_cast<size_t>(sel)] : "*.*";
    RefreshFileList();
  });
  m_nameEdit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
    OnFileSelected(m_folder + filedlg::CutName(m_nameEdit->GetValue().utf8_string()));
  });
  m_list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
    const auto& item = m_fileItems[static_cast<size_t>(event.GetData())];
    if (item.kind == 2) m_nameEdit->ChangeValue(U(item.name));
    if (item.kind == 2) OnFileSelected(m_folder + item.name);
    m_deleteButton->Enable(item.kind != 0);
  });
  m_list->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { m_deleteButton->Enable(false); });
  m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent& event) {
    Accept(m_fileItems[static_cast<size_t>(event.GetData())].name);
  });
  m_list->Bind(wxEVT_LIST_BEGIN_LABEL_EDIT, [this](wxListEvent& event) {
    if (m_fileItems[static_cast<size_t>(m_list->GetItemData(event.GetIndex()))].kind == 0) event.Veto();
  });
  m_list->Bind(wxEVT_LIST_END_LABEL_EDIT, [this](wxListEvent& event) {
    // The list's own edit is never kept: a successful rename re-reads the folder.
    event.Veto();
    if (event.IsEditCancelled()) return;
    const auto& item = m_fileItems[static_cast<size_t>(m_list->GetItemData(event.GetIndex()))];
    const std::string from = item.name, to = event.GetLabel().utf8_string();
    CallAfter([this, from, to] { RenameItem(from, to); });
  });
  m_list->Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& event) {
    if (event.GetKeyCode() == WXK_DELETE) DeleteSelected();
  });
}

void CDlgFile::Start() {
  Fit();
  SetMinSize(GetSize());
  std::string start = m_initialFolder;
  if (start.empty()) start = wxGetCwd().utf8_string() + "/";
  ChangeFolder(start);
  m_deleteButton->Enable(false);
  if (!m_initialName.empty()) {
    m_nameEdit->ChangeValue(U(m_initialName));
    m_nameEdit->SelectAll();
  }
  m_nameEdit->SetFocus();
}

void CDlgFile::ChangeFolder(const std::string& path) {
  wxBusyCursor wait;
  int selected = 0;
  const std::vector<win::DriveInfo> drives = Drives().Drives();
  m_folderItems = filedlg::BuildFolderItems(drives, path, selected);
  m_folder = m_folderItems[static_cast<size_t>(selected)].path;
  m_fileItems = filedlg::ListFolder(drives, m_folder, m_pattern);
  ShowFolderCombo(selected);
  ShowFileList();
  m_upButton->Enable(selected > 0);
  OnFileSelected(m_folder + filedlg::CutName(m_nameEdit->GetValue().utf8_string()));
}

void CDlgFile::RefreshFileList() {
  wxBusyCursor wait;
  m_fileItems = filedlg::ListFolder(Drives().Drives(), m_folder, m_pattern);
  ShowFileList();
}

void CDlgFile::ShowFolderCombo(int selected) {
  m_folderCombo->Clear();
  for (const filedlg::FolderComboItem& item : m_folderItems)
    m_folderCombo->Append(wxString(' ', static_cast<size_t>(item.indent) * 3) + U(item.text));
  m_folderCombo->SetSelection(selected);
}

void CDlgFile::ShowFileList() {
  m_list->Freeze();
  m_list->DeleteAllItems();
  for (size_t i = 0; i < m_fileItems.size(); ++i) {
    const long index = m_list->InsertItem(static_cast<long>(i), U(m_fileItems[i].text), m_fileItems[i].image);
    m_list->SetItemData(index, static_cast<long>(i));
  }
  m_list->Thaw();
  if (!m_fileItems.empty()) m_list->SetItemState(0, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
}

int CDlgFile::SelectedItem() const {
  const long index = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  return index < 0 ? -1 : static_cast<int>(m_list->GetItemData(index));
}

void CDlgFile::SetFileName(const std::string& name) { m_nameEdit->SetValue(U(name)); }

void CDlgFile::OnOK() {
  if (m_folder.empty()) return;
  const std::string name = filedlg::CutName(m_nameEdit->GetValue().utf8_string());
  m_nameEdit->ChangeValue(U(name));
  Accept(name);
  if (IsModal() || IsShown()) m_nameEdit->SelectAll();
}

void CDlgFile::Accept(const std::string& name) {
  const filedlg::AcceptResult r = filedlg::Accept(m_folder, name, m_openMode, m_defaultExt);
  switch (r.action) {
    case filedlg::AcceptAction::Refresh:
      RefreshFileList();
      return;
    case filedlg::AcceptAction::SetPattern:
      m_pattern = name;
      RefreshFileList();
      return;
    case filedlg::AcceptAction::ChangeFolder:
      ChangeFolder(r.path);
      return;
    case filedlg::AcceptAction::Error:
      ui::ShowMessageBox(this, r.message, ui::LoadString(shellstr::kAppTitle), ui::kMbIconExclamation);
      return;
    case filedlg::AcceptAction::AskOverwrite:
      if (ui::ShowMessageBox(this, r.message, ui::LoadString(shellstr::kAppTitle),
                             ui::kMbYesNo | ui::kMbIconQuestion | ui::kMbDefButton2) != ui::kIdYes)
        return;
      break;
    case filedlg::AcceptAction::Done:
      break;
  }
  m_pathName = r.path;
  EndModal(wxID_OK);
}

bool CDlgFile::RenameItem(const std::string& from, const std::string& to) {
  const std::string error = filedlg::RenameEntry(m_folder, from, to);
  if (!error.empty()) {
    ui::ShowMessageBox(this, error, ui::LoadString(shellstr::kAppTitle), ui::kMbIconExclamation);
    return false;
  }
  RefreshFileList();
  return true;
}

void CDlgFile::DeleteSelected() {
  const int selected = SelectedItem();
  if (selected < 0 || m_folder.empty()) return;
  const filedlg::FileListItem item = m_fileItems[static_cast<size_t>(selected)];
  if (item.kind == 0) return;
  const std::string question = "Are you sure you want to delete '" + item.name + "'" +
                               (item.kind == 1 ? " and all of its contents?" : "?");
  if (ui::ShowMessageBox(this, question, "Confirm Delete", ui::kMbYesNo | ui::kMbIconExclamation) != ui::kIdYes)
    return;
  const std::string error = filedlg::DeleteEntry(m_folder, item.name);
  if (!error.empty()) ui::ShowMessageBox(this, error, ui::LoadString(shellstr::kAppTitle), ui::kMbIconExclamation);
  RefreshFileList();
}

void CDlgFile::OnFileSelected(const std::string&) {}

CDlgFileOpen::CDlgFileOpen(const std::string& defaultExt, const std::string& initialPath, const std::string& filter,
                           const std::string& initialFolder, wxWindow* parent)
    : CDlgFile(true, defaultExt, initialPath, filter, initialFolder, parent) {
  m_preview = new wxTextCtrl(ExtraRow(), 9008, "", wxDefaultPosition, wxSize(-1, 44), wxTE_READONLY | wxTE_MULTILINE);
  m_extraSizer->Add(m_preview, 0, wxEXPAND);
  Start();
}

wxString CDlgFileOpen::GetPreview() const { return m_preview->GetValue(); }

void CDlgFileOpen::OnFileSelected(const std::string& path) {
  if (m_preview == nullptr) return;
  const std::string title = path.empty() ? std::string() : filedlg::PlanPreviewOfFile(path);
  m_preview->ChangeValue(wxString::FromUTF8(win::Cp1252ToUtf8(title)));
}

CDlgFileSave::CDlgFileSave(const std::string& defaultExt, const std::string& initialPath, const std::string& filter,
                           const std::string& initialFolder, wxWindow* parent)
    : CDlgFile(false, defaultExt, initialPath, filter, initialFolder, parent) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(ExtraRow(), wxID_ANY, "Fliightplan &format:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  m_format = new wxChoice(ExtraRow(), 9009);
  m_format->Append("Chartwright 4");
  m_format->Append("Chartwright 3");
  row->Add(m_format, 1);
  m_extraSizer->Add(row, 0, wxEXPAND);
  m_format->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { formatIndex = m_format->GetSelection(); });
  Bind(wxEVT_INIT_DIALOG, [this](wxInitDialogEvent& event) {
    m_format->SetSelection(formatIndex == 1 ? 1 : 0);
    event.Skip();
  });
  Start();
}
