#include "plotr/views/window/PlanListCtrl.h"

#include <wx/imaglist.h>
#include <wx/settings.h>

#include "platform/ui/KeyForward.h"
#include "platform/win/Codepage.h"
#include "plotr/views/window/PlanImages.h"
#include "plotr/views/window/WxKeys.h"

PlanListCtrl::PlanListCtrl(wxWindow* parent, wxWindowID id)
    : wxListCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_EDIT_LABELS | wxLC_HRULES | wxBORDER_THEME) {
  m_images.reset(planimages::BuildImageList(GetForegroundColour(),
                                            wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)));
  SetImageList(m_images.get(), wxIMAGE_LIST_SMALL);
  SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  m_dropAttr.SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
  m_dropAttr.SetTextColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
  Bind(wxEVT_KEY_DOWN, &PlanListCtrl::OnKeyDown, this);
  Bind(wxEVT_KEY_UP, &PlanListCtrl::OnKeyUp, this);
  Bind(wxEVT_CHAR, &PlanListCtrl::OnChar, this);
  // Selected lines draw their triangles in the highlight colour only while the list has the focus.
  Bind(wxEVT_SET_FOCUS, &PlanListCtrl::OnFocus, this);
  Bind(wxEVT_KILL_FOCUS, &PlanListCtrl::OnFocus, this);
}

PlanListCtrl::~PlanListCtrl() { SetImageList(nullptr, wxIMAGE_LIST_SMALL); }

void PlanListCtrl::SetLines(std::vector<PlanListLine> lines) {
  m_lines = std::move(lines);
  m_dropLine = -1;
  SetItemCount(static_cast<long>(m_lines.size()));
  SelectNone();
  Refresh();
}

void PlanListCtrl::SetLineImage(int line, int image) {
  if (line < 0 || static_cast<size_t>(line) >= m_lines.size()) return;
  m_lines[static_cast<size_t>(line)].image = image;
  RefreshItem(line);
}

std::vector<int> PlanListCtrl::SelectedLines() const {
  std::vector<int> out;
  for (long i = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
       i = GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
    out.push_back(static_cast<int>(i));
  }
  return out;
}

int PlanListCtrl::FocusedLine() const {
  return static_cast<int>(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED));
}

void PlanListCtrl::SelectLine(int line, bool select) {
  if (line < 0 || line >= GetItemCount()) return;
  SetItemState(line, select ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
}

void PlanListCtrl::SelectNone() {
  for (int line : SelectedLines()) SelectLine(line, false);
}

void PlanListCtrl::FocusLine(int line) {
  if (line < 0 || line >= GetItemCount()) return;
  SetItemState(line, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
}

wxWindow* PlanListCtrl::Inner() const {
  // The lines live in the list's inner window, below the header.
  wxWindow* inner = nullptr;
  for (wxWindow* child : GetChildren()) {
    if (inner == nullptr || child->GetPosition().y >= inner->GetPosition().y) inner = child;
  }
  return inner != nullptr ? inner : const_cast<PlanListCtrl*>(this);
}

bool PlanListCtrl::ListHasFocus() const { return HasFocus() || Inner()->HasFocus(); }

int PlanListCtrl::LineAt(const wxPoint& point) const {
  int flags = 0;
  const long line = HitTest(point, flags);
  return line >= 0 ? static_cast<int>(line) : GetItemCount();
}

void PlanListCtrl::SetDropLine(int line) {
  if (line == m_dropLine) return;
  const int old = m_dropLine;
  m_dropLine = line;
  if (old >= 0 && old < GetItemCount()) RefreshItem(old);
  if (line >= 0 && line < GetItemCount()) RefreshItem(line);
}

void PlanListCtrl::SetColours(const wxColour& text, const wxColour& back) {
  SetBackgroundColour(back);
  SetTextColour(text);
  SetForegroundColour(text);
  planimages::SetTriangleColours(*m_images, text, wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
  Refresh();
}

wxString PlanListCtrl::OnGetItemText(long item, long column) const {
  if (item < 0 || static_cast<size_t>(item) >= m_lines.size()) return {};
  const std::vector<std::string>& texts = m_lines[static_cast<size_t>(item)].texts;
  if (column < 0 || static_cast<size_t>(column) >= texts.size()) return {};
  return wxString::FromUTF8(win::Cp1252ToUtf8(texts[static_cast<size_t>(column)]));
}

int PlanListCtrl::OnGetItemImage(long item) const { return OnGetItemColumnImage(item, 0); }

int PlanListCtrl::OnGetItemColumnImage(long item, long column) const {
  if (item < 0 || static_cast<size_t>(item) >= m_lines.size()) return -1;
  const PlanListLine& line = m_lines[static_cast<size_t>(item)];
  if (column == 0) return line.image;
  if (column >= 32 || (line.triangleColumns & (1u << column)) == 0) return -1;
  const bool selected = GetItemState(item, wxLIST_STATE_SELECTED) != 0;
  return planimages::TriangleIndex(selected && ListHasFocus());
}

wxListItemAttr* PlanListCtrl::OnGetItemAttr(long item) const {
  return item == m_dropLine ? &m_dropAttr : nullptr;
}

void PlanListCtrl::OnKeyDown(wxKeyEvent& event) {
  keys::RouteKeyEvent(this, event, keys::Control::kNavListBox);
}

void PlanListCtrl::OnKeyUp(wxKeyEvent& event) {
  keys::RouteKeyEvent(this, event, keys::Control::kNavListBox);
}

// The list moves through its lines on the navigation keys, which wx hands it as characters; they
// stay with the list. Every other character goes to the simulator: the list has no incremental
// search.
void PlanListCtrl::OnChar(wxKeyEvent& event) {
  if (keys::IsNavigationKey(event.GetKeyCode()))
    event.Skip();
  else
    ui::ForwardKeyToHost(this, event);
}

void PlanListCtrl::OnFocus(wxFocusEvent& event) {
  event.Skip();
  Refresh();
}
