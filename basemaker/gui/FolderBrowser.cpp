#include "basemaker/gui/FolderBrowser.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "basemaker/app/AreaFolder.h"
#include "basemaker/app/ExcludeFlatten.h"
#include "basemaker/gui/BuilderBox.h"
#include "basemaker/gui/ExcludeFlattenDlg.h"

namespace fs = std::filesystem;

namespace {

// The folder a tree item stands for.
class FolderData : public wxTreeItemData {
 public:
  explicit FolderData(fs::path folder) : folder(std::move(folder)) {}
  fs::path folder;
  bool filled = false;
};

// Tells a folder's tree item that it may have subfolders, until it is opened.
const char kPlaceholder[] = "...";

wxString FolderName(const fs::path& folder) {
  return wxString::FromUTF8(folder.filename().string());
}

}  // namespace

CFolderBrowser::CFolderBrowser(wxWindow* parent, const fs::path& simRoot, const win::DriveTable& drives,
                               const win::DriveRoots* driveRoots)
    : wxDialog(parent, wxID_ANY, "Select scenery area folder", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_drives(drives),
      m_state(simRoot, drives, driveRoots) {
  BuildControls();
}

void CFolderBrowser::BuildControls() {
  m_tree = new wxTreeCtrl(this, kIdFolderTree, wxDefaultPosition, wxSize(380, 260),
                          wxTR_DEFAULT_STYLE | wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN);
  AddRoots();

  // The area panel.
  m_path = new wxTextCtrl(this, kIdAreaPath, "", wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
  m_path->DisableFocusFromKeyboard();
  m_title = new wxTextCtrl(this, kIdAreaTitle);
  m_cache = new wxRadioButton(this, kIdCacheRadio, "&Cache this scenery", wxDefaultPosition, wxDefaultSize,
                              wxRB_GROUP);
  m_direct = new wxRadioButton(this, kIdDirectRadio, "Use this scenery &directly");
  m_excludeFlatten = new wxButton(this, kIdExcludeFlatten, "E&xclude/Flatten...");

  auto* panel = new wxFlexGridSizer(2, 6, 8);
  panel->AddGrowableCol(1);
  panel->Add(new wxStaticText(this, wxID_ANY, "Scenery area path:"), 0, wxALIGN_CENTER_VERTICAL);
  panel->Add(m_path, 1, wxEXPAND);
  panel->Add(new wxStaticText(this, wxID_ANY, "Scenery area &title:"), 0, wxALIGN_CENTER_VERTICAL);
  panel->Add(m_title, 1, wxEXPAND);
  auto* choices = new wxBoxSizer(wxHORIZONTAL);
  choices->Add(m_cache, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 12);
  choices->Add(m_direct, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, 12);
  choices->AddStretchSpacer();
  choices->Add(m_excludeFlatten);
  panel->AddSpacer(0);
  panel->Add(choices, 1, wxEXPAND);

  m_ok = new wxButton(this, wxID_OK, "OK");
  m_ok->SetDefault();
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(m_ok, 0, wxRIGHT, 8);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, BuilderText(IDS_SELECT_FOLDER)), 0, wxLEFT | wxRIGHT | wxTOP, 10);
  column->Add(m_tree, 1, wxEXPAND | wxALL, 10);
  column->Add(panel, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
  column->Add(buttons, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);

  m_tree->Bind(wxEVT_TREE_ITEM_EXPANDING, &CFolderBrowser::OnExpanding, this);
  m_tree->Bind(wxEVT_TREE_SEL_CHANGED, &CFolderBrowser::OnSelChanged, this);
  m_title->Bind(wxEVT_TEXT, &CFolderBrowser::OnTitleChanged, this);
  m_cache->Bind(wxEVT_RADIOBUTTON, &CFolderBrowser::OnRadio, this);
  m_direct->Bind(wxEVT_RADIOBUTTON, &CFolderBrowser::OnRadio, this);
  m_excludeFlatten->Bind(wxEVT_BUTTON, &CFolderBrowser::OnExcludeFlatten, this);
  m_ok->Bind(wxEVT_BUTTON, &CFolderBrowser::OnOk, this);
}

void CFolderBrowser::AddRoots() {
  const wxTreeItemId root = m_tree->AddRoot("");
  for (const win::DriveInfo& drive : m_drives.Drives()) {
    wxString name = wxString::FromUTF8(drive.root.string());
    if (!drive.label.empty()) name = wxString::FromUTF8(drive.label) + " (" + name + ")";
    const wxTreeItemId item = m_tree->AppendItem(root, name, -1, -1, new FolderData(drive.root));
    m_tree->AppendItem(item, kPlaceholder);
  }
}

fs::path CFolderBrowser::PathOf(const wxTreeItemId& item) const {
  auto* data = item.IsOk() ? dynamic_cast<FolderData*>(m_tree->GetItemData(item)) : nullptr;
  return data ? data->folder : fs::path();
}

void CFolderBrowser::FillChildren(const wxTreeItemId& item) {
  auto* data = dynamic_cast<FolderData*>(m_tree->GetItemData(item));
  if (data == nullptr || data->filled) return;
  data->filled = true;
  m_tree->DeleteChildren(item);
  for (const fs::path& folder : BrowsableSubfolders(data->folder)) {
    const wxTreeItemId child = m_tree->AppendItem(item, FolderName(folder), -1, -1, new FolderData(folder));
    m_tree->AppendItem(child, kPlaceholder);
  }
}

bool CFolderBrowser::SelectFolder(const fs::path& folder) {
  // Where the user reached it, through its links, and else where the links lead.
  std::error_code ec;
  const fs::path reached = fs::absolute(folder, ec).lexically_normal();
  if (SelectInTree(ec ? folder : reached)) return true;
  const fs::path real = fs::weakly_canonical(folder, ec);
  return !ec && SelectInTree(real.lexically_normal());
}

bool CFolderBrowser::SelectInTree(const fs::path& target) {
  // The deepest volume holding the folder, then one component at a time below it.
  wxTreeItemId best;
  size_t bestLength = 0;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId item = m_tree->GetFirstChild(m_tree->GetRootItem(), cookie); item.IsOk();
       item = m_tree->GetNextChild(m_tree->GetRootItem(), cookie)) {
    const fs::path root = PathOf(item).lexically_normal();
    const auto rel = target.lexically_relative(root);
    if (rel.empty() || *rel.begin() == "..") continue;
    if (root.string().size() >= bestLength) {
      best = item;
      bestLength = root.string().size();
    }
  }
  if (!best.IsOk()) return false;
  wxTreeItemId at = best;
  for (const fs::path& part : target.lexically_relative(PathOf(best).lexically_normal())) {
    if (part == ".") continue;
    FillChildren(at);
    wxTreeItemId next;
    for (wxTreeItemId child = m_tree->GetFirstChild(at, cookie); child.IsOk(); child = m_tree->GetNextChild(at, cookie))
      if (PathOf(child).filename() == part) next = child;
    if (!next.IsOk()) return false;
    m_tree->Expand(at);
    at = next;
  }
  m_tree->SelectItem(at);
  m_tree->EnsureVisible(at);
  return true;
}

void CFolderBrowser::ShowState() {
  m_path->ChangeValue(ui::FromCp1252(m_state.PathText()));
  m_cache->SetValue(m_state.Cache());
  m_direct->SetValue(!m_state.Cache());
  m_ok->Enable(m_state.OkEnabled());
  m_excludeFlatten->Enable(m_state.OkEnabled());
}

void CFolderBrowser::Start() {
  m_title->ChangeValue(ui::FromCp1252(m_entry.title));
  const std::optional<fs::path> folder = m_state.Start(m_entry);
  ShowState();
  if (folder) SelectFolder(*folder);
}

int CFolderBrowser::Browse() {
  Start();
  return ui::ShowModalDialog(*this) == wxID_OK ? ui::kIdOk : ui::kIdCancel;
}

void CFolderBrowser::OnExpanding(wxTreeEvent& event) {
  FillChildren(event.GetItem());
}

void CFolderBrowser::OnSelChanged(wxTreeEvent& event) {
  const fs::path folder = PathOf(event.GetItem());
  if (folder.empty()) return;
  m_state.SelectFolder(folder);
  ShowState();
}

void CFolderBrowser::OnTitleChanged(wxCommandEvent&) {
  m_state.SetTitle(ui::ToCp1252(m_title->GetValue()));
  ShowState();
}

void CFolderBrowser::OnRadio(wxCommandEvent&) {
  m_state.SetCache(m_cache->GetValue());
}

void CFolderBrowser::OnExcludeFlatten(wxCommandEvent&) {
  CExcludeFlattenDlg dialog(this);
  dialog.SetTexts(ExcludeFlattenTextsOf(m_entry));
  if (ui::ShowModalDialog(dialog) == wxID_OK) StoreExcludeFlattenTexts(dialog.Texts(), m_entry);
}

void CFolderBrowser::OnOk(wxCommandEvent&) {
  if (!m_state.OkEnabled()) return;
  // A pasted line break would start a new line in the scenery configuration.
  m_state.Apply(WithoutLineBreaks(ui::ToCp1252(m_title->GetValue())), m_entry);
  EndModal(wxID_OK);
}
