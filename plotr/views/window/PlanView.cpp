#include "plotr/views/window/PlanView.h"

#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include <algorithm>
#include <mutex>

#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/views/window/PlanImages.h"

namespace {

// Text and background of the colour schemes: white, blue, black.
void SchemeColours(int scheme, wxColour& text, wxColour& back) {
  switch (scheme) {
    case 1: text = wxColour(0xC0, 0xC0, 0xC0); back = wxColour(0, 0, 0x40); break;
    case 2: text = wxColour(0xC0, 0xC0, 0xC0); back = wxColour(0, 0, 0); break;
    default: text = wxColour(0, 0, 0); back = wxColour(255, 255, 255); break;
  }
}

// Columns whose left edge shows each triangle bit.
constexpr int kTriangleColumn[] = {plantable::kColSpeed, plantable::kColAltitude, plantable::kColDistance};

// Pixels the strip takes at the list's left.
constexpr int kStripWidth = 2;

}  // namespace

CPlanView::CPlanView(wxWindow* parent, IPlotrDocument& document)
    : CPlanListView(parent, cmd::kPlanViewId, document) {
  const plantable::TableOptions options = plantable::TableOptions::FromSettings();
  for (int c = 0; c < plantable::kColumnCount; ++c) {
    const int width = GetTextExtent(plantable::ColumnWidthSample(c)).x;
    InsertColumn(c, wxString::FromUTF8(plantable::ColumnHeader(c, options)),
                 plantable::IsColumnCentred(c) ? wxLIST_FORMAT_CENTRE : wxLIST_FORMAT_LEFT, width);
  }
}

void CPlanView::OnInitialUpdate() { OnPlanUpdate(UpdateHint{kHintInitial, nullptr}); }

void CPlanView::OnPlanUpdate(const UpdateHint& hint) {
  const uint32_t bits = hint.bits;
  if (bits == kHintInitial || (bits & kHintPeriodic) != 0) {
    const int scheme = g_Settings.GetColorScheme(false);
    if (scheme != m_scheme) ApplyScheme(scheme);
  }
  if ((bits & kHintSelectNewPoints) != 0) {
    SelectNewPoints();
  } else if ((bits & kHintGuidance) != 0) {
    UpdateCurrentRow();
  } else if (bits == kHintInitial || (bits & (kHintPlanContents | kHintRows)) != 0) {
    Refill(bits);
  }
}

void CPlanView::ApplyScheme(int scheme) {
  m_scheme = scheme;
  wxColour text, back;
  SchemeColours(scheme, text, back);
  SetColours(text, back);
}

void CPlanView::SetHeaders() {
  const plantable::TableOptions options = plantable::TableOptions::FromSettings();
  for (int c : {plantable::kColSpeed, plantable::kColFuel}) {
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT);
    column.SetText(wxString::FromUTF8(plantable::ColumnHeader(c, options)));
    SetColumn(c, column);
  }
}

PlanListLine CPlanView::LineOf(const plantable::TableRow& row) const {
  PlanListLine line;
  line.texts.assign(row.texts.begin(), row.texts.end());
  line.image = planimages::ComposedIndex(row.image, row.overlay, row.procedure);
  for (size_t bit = 0; bit < std::size(kTriangleColumn); ++bit) {
    if ((row.triangles & (1u << bit)) != 0) line.triangleColumns |= 1u << kTriangleColumn[bit];
  }
  return line;
}

void CPlanView::Refill(uint32_t bits) {
  ++m_refills;
  std::vector<int> noted;
  if ((bits & kHintRows) != 0 || bits == kHintInitial) noted = SelectedLines();
  const long top = GetTopItem();
  if ((bits & kHintDisplayOptions) != 0) SetHeaders();
  {
    DatabaseLease lease;
    const CFlightPlanCore& plan = Document().GetPlan();
    m_rows = plantable::BuildTableRows(plan, lease.Database(), plantable::TableOptions::FromSettings(), m_currentRow);
  }
  Freeze();
  std::vector<PlanListLine> lines;
  lines.reserve(m_rows.size());
  for (size_t i = 0; i < m_rows.size(); ++i) {
    lines.push_back(LineOf(m_rows[i]));
    if (m_rows[i].isNew) noted.push_back(static_cast<int>(i));
  }
  SetLines(std::move(lines));
  const int count = GetItemCount();
  std::sort(noted.begin(), noted.end());
  noted.erase(std::unique(noted.begin(), noted.end()), noted.end());
  std::erase_if(noted, [count](int line) { return line >= count; });
  if (count > 0) {
    EnsureVisible(count - 1);
    if (top >= 0 && top < count) EnsureVisible(top);
  }
  if (noted.empty()) {
    if (count > 0) {
      SelectLine(0, true);
      EnsureVisible(0);
    }
  } else {
    for (int line : noted) SelectLine(line, true);
    EnsureVisible(noted.back());
  }
  if (ListHasFocus() && count > 0) FocusLine(noted.empty() ? 0 : noted.front());
  Thaw();
  Refresh();
}

void CPlanView::SelectNewPoints() {
  std::vector<int> fresh;
  {
    DatabaseLease lease;
    const CFlightPlanCore& plan = Document().GetPlan();
    for (size_t i = 0; i < plan.m_rows.size(); ++i) {
      const PlanPoint* point = plan.GetRowPoint(static_cast<int>(i));
      if (point != nullptr && point->isNew) fresh.push_back(static_cast<int>(i));
    }
  }
  SelectNone();
  for (int line : fresh) SelectLine(line, true);
  if (!fresh.empty()) EnsureVisible(fresh.back());
}

void CPlanView::UpdateCurrentRow() {
  const int old = m_currentRow;
  int marker = -1;
  {
    DatabaseLease lease;
    const CFlightPlanCore& plan = Document().GetPlan();
    if ((plan.m_guidanceFlags & kGuidanceFlyingPlan) != 0) marker = plan.m_currentRow;
  }
  if (marker >= static_cast<int>(m_rows.size()) || (marker >= 0 && m_rows[static_cast<size_t>(marker)].total)) marker = -1;
  m_currentRow = marker;
  if (old >= 0 && static_cast<size_t>(old) < m_rows.size()) {
    plantable::TableRow& row = m_rows[static_cast<size_t>(old)];
    if (row.overlay == plantable::kOverlayCurrent) row.overlay = plantable::kOverlayNone;
    SetLineImage(old, planimages::ComposedIndex(row.image, row.overlay, row.procedure));
  }
  if (marker >= 0) {
    plantable::TableRow& row = m_rows[static_cast<size_t>(marker)];
    row.overlay = plantable::kOverlayCurrent;
    SetLineImage(marker, planimages::ComposedIndex(row.image, row.overlay, row.procedure));
    EnsureVisible(marker);
  }
}

CPlanPane::CPlanPane(wxWindow* parent, IPlotrDocument& document) : wxPanel(parent, wxID_ANY) {
  SetName("Flightplan");
  m_strip = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxSize(kStripWidth, -1));
  m_view = new CPlanView(this, document);
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(m_strip, 0, wxEXPAND);
  sizer->Add(m_view, 1, wxEXPAND);
  SetSizer(sizer);
  SetActive(false);
  // The strip shows whether the table is the pane the user works in.
  m_view->Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) { e.Skip(); SetActive(true); });
  m_view->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) { e.Skip(); SetActive(false); });
  if (wxWindow* inner = m_view->Inner(); inner != m_view) {
    inner->Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) { e.Skip(); SetActive(true); });
    inner->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) { e.Skip(); SetActive(false); });
  }
  // Commands routed to the pane reach the table.
  const auto forward = [this](wxEvent& e) {
    if (!m_view->GetEventHandler()->ProcessEventLocally(e)) e.Skip();
  };
  Bind(wxEVT_MENU, forward);
  Bind(wxEVT_UPDATE_UI, forward);
}

void CPlanPane::SetActive(bool active) {
  m_active = active;
  m_strip->SetBackgroundColour(
      wxSystemSettings::GetColour(active ? wxSYS_COLOUR_ACTIVECAPTION : wxSYS_COLOUR_INACTIVECAPTION));
  m_strip->Refresh();
}

void RegisterPlanPane() {
  RegisterPane(PaneSlot::PlanTable, [](wxWindow* parent, IPlotrDocument& document) -> wxWindow* {
    return new CPlanPane(parent, document);
  });
}
