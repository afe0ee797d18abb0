#include "plotr/views/window/SidStarListView.h"

#include <mutex>

#include "platform/ui/StringTable.h"
#include "platform/ui/WxText.h"
#include "plotr/core/CommandIds.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/views/PlanTableRows.h"
#include "plotr/views/window/PlanImages.h"

namespace {

constexpr int kLegListId = 161;

wxColour FromColorRef(uint32_t bgr) { return wxColour(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

}  // namespace

CSidStarListView::CSidStarListView(wxWindow* parent, CSidStarPage& page)
    : CPlanListView(parent, kLegListId, page.Document()), m_page(page) {
  ui::AddStrings({{plantable::kIdsColumnLocation, "Location"}, {plantable::kIdsColumnId, "Id"}});
  SetName("SidStarLegs");
  SetSingleStyle(wxLC_SINGLE_SEL, true);
  InsertColumn(0, ui::FromCp1252(ui::LoadString(plantable::kIdsColumnId)), wxLIST_FORMAT_LEFT, GetTextExtent("XXXXXXXXXXX").x);
  InsertColumn(1, ui::FromCp1252(ui::LoadString(plantable::kIdsColumnLocation)), wxLIST_FORMAT_LEFT,
               GetTextExtent("XXXXXXXXXXXXX_XXXXXXXXXXXXX").x);
  const auto report = [this](wxEvent& e) {
    e.Skip();
    ReportSelection();
  };
  Bind(wxEVT_LIST_ITEM_SELECTED, report);
  Bind(wxEVT_LIST_ITEM_DESELECTED, report);
  // Deselections GTK keeps to itself show at the next idle time.
  Bind(wxEVT_IDLE, report);
  Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& e) { e.Enable(false); }, cmd::kEditSelectAll);
  Bind(wxEVT_MENU, [](wxCommandEvent&) {}, cmd::kEditSelectAll);
  const auto activate = [this](wxFocusEvent& e) {
    e.Skip();
    m_page.RepaintOwner();
  };
  Bind(wxEVT_SET_FOCUS, activate);
  if (Inner() != this) Inner()->Bind(wxEVT_SET_FOCUS, activate);
}

void CSidStarListView::OnSidStarUpdate(const UpdateHint& hint) {
  const uint32_t bits = hint.bits;
  if (bits == kHintInitial || (bits & kHintPeriodic) != 0) CheckScheme();
  if ((bits & kHintSelectNewPoints) != 0) {
    SelectNewPoints();
  } else if ((bits & kHintGuidance) != 0) {
    MoveActiveMark();
  } else if (bits == kHintInitial || (bits & (kHintPlanContents | kHintRows)) != 0) {
    Rebuild();
  }
}

void CSidStarListView::CheckScheme() {
  const int scheme = g_Settings.GetColorScheme(false);
  if (scheme == m_scheme) return;
  m_scheme = scheme;
  SetColours(FromColorRef(scheme == 0 ? 0x000000 : 0xC0C0C0),
             FromColorRef(scheme == 0 ? 0xFFFFFF : scheme == 1 ? 0x400000 : 0x000000));
  Refresh();
}

int CSidStarListView::SelectedRow() const {
  const std::vector<int> selected = SelectedLines();
  return selected.empty() ? -1 : selected.front();
}

void CSidStarListView::ReportSelection() {
  if (m_filling) return;
  const int row = SelectedRow();
  if (row != m_reported) SendRow(row);
}

void CSidStarListView::SendRow(int row) {
  m_reported = row;
  CSidStarRowHint hint{row};
  m_page.Broadcast(this, kHintSidStarRow, &hint);
}

PlanListLine CSidStarListView::LineOf(const sidstar::LegRow& row) const {
  PlanListLine line;
  line.texts = {row.id, row.location};
  line.image = planimages::ComposedIndex(row.image, row.overlay, row.procedure);
  return line;
}

void CSidStarListView::Rebuild() {
  m_filling = true;
  const int remembered = std::max(SelectedRow(), 0);
  {
    DatabaseLease lease;
    m_rows = sidstar::BuildLegRows(m_page.Document().GetPlan(), lease.Database(), g_Settings.GetMapBcIls(false),
                                   m_activeRow);
  }
  Freeze();
  std::vector<PlanListLine> lines;
  lines.reserve(m_rows.size());
  for (const sidstar::LegRow& row : m_rows) lines.push_back(LineOf(row));
  SetLines(std::move(lines));
  const int count = GetItemCount();
  if (count > 0) {
    // The same line as before, or the last one when the plan got shorter.
    const int line = std::min(remembered, count - 1);
    EnsureVisible(count - 1);
    EnsureVisible(line);
    SelectLine(line, true);
    if (ListHasFocus()) FocusLine(line);
  }
  Thaw();
  Refresh();
  m_filling = false;
  SendRow(SelectedRow());
}

void CSidStarListView::SelectNewPoints() {
  std::vector<int> fresh;
  {
    DatabaseLease lease;
    const CFlightPlanCore& plan = m_page.Document().GetPlan();
    for (size_t i = 0; i < plan.m_rows.size() && i < m_rows.size(); ++i) {
      const PlanPoint* point = plan.GetRowPoint(static_cast<int>(i));
      if (point != nullptr && point->isNew) fresh.push_back(static_cast<int>(i));
    }
  }
  SelectNone();
  // One line at a time: the last new one.
  if (!fresh.empty()) {
    SelectLine(fresh.back(), true);
    EnsureVisible(fresh.back());
  }
  ReportSelection();
}

void CSidStarListView::MoveActiveMark() {
  const int count = static_cast<int>(m_rows.size());
  if (m_activeRow >= 0 && m_activeRow < count) {
    sidstar::LegRow& row = m_rows[static_cast<size_t>(m_activeRow)];
    if (row.overlay == 1) row.overlay = 0;
    SetLineImage(m_activeRow, LineOf(row).image);
  }
  int active = -1;
  {
    DatabaseLease lease;
    const CFlightPlanCore& plan = m_page.Document().GetPlan();
    if ((plan.m_guidanceFlags & kGuidanceFlyingPlan) != 0) active = plan.m_currentRow;
  }
  m_activeRow = active >= 0 && active < count ? active : -1;
  if (m_activeRow < 0) return;
  sidstar::LegRow& row = m_rows[static_cast<size_t>(m_activeRow)];
  row.overlay = 1;
  SetLineImage(m_activeRow, LineOf(row).image);
  EnsureVisible(m_activeRow);
}
