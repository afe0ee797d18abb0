#include "plotr/views/SidStarLegRows.h"

#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/LatLonText.h"
#include "plotr/views/PlanTableRows.h"

namespace sidstar {

std::vector<LegRow> BuildLegRows(const CFlightPlanCore& plan, const CSceneryDatabase& db, bool mapBcIls, int activeRow) {
  plantable::TableOptions options;
  options.mapBcIls = mapBcIls;
  // A mark kept from a longer plan marks nothing.
  const int active = activeRow >= 0 && static_cast<size_t>(activeRow) < plan.m_rows.size() ? activeRow : -1;
  const std::vector<plantable::TableRow> table = plantable::BuildTableRows(plan, db, options, active);
  std::vector<LegRow> rows;
  for (size_t i = 0; i < table.size() && i < plan.m_rows.size(); ++i) {
    const plantable::TableRow& t = table[i];
    if (t.total) continue;
    LegRow row{t.texts[plantable::kColId], t.texts[plantable::kColLocation], t.image, t.overlay, t.procedure};
    const PlanRow& planRow = plan.m_rows[i];
    // The leg list is narrow: an automatic fix name says nothing, its place in signed degrees
    // and minutes does.
    if (!planRow.IsPseudo() && planRow.kind == kKindUserPoint && row.id.starts_with("Fix"))
      row.location = FormatLatLon(planRow.latitude, true, false, true) + ", " + FormatLatLon(planRow.longitude, false, false, true);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace sidstar
