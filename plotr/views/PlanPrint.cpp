#include "plotr/views/PlanPrint.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "navdb/NavPoint.h"
#include "navdb/Payloads.h"
#include "navdb/SceneryDatabase.h"
#include "platform/ui/StringTable.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/Route.h"
#include "plotr/plan/Units.h"

namespace planprint {
namespace {

// The header's texts. The four speed columns follow kIdsAircraft in order, and the four fuel-flow
// labels follow kIdsFuelFlow in the order of the fuel units.
enum : unsigned {
  kIdsType = 6018,
  kIdsAircraft = 6049,
  kIdsCruise = 6050,
  kIdsClimb = 6051,
  kIdsDescent = 6052,
  kIdsTouchDown = 6053,
  kIdsAltitude = 6054,
  kIdsIas = 6055,
  kIdsTas = 6056,
  kIdsRate = 6057,
  kIdsFuelFlow = 6058,
};

void AddPlanPrintStrings() {
  static std::once_flag once;
  std::call_once(once, [] {
    ui::AddStrings({{kIdsType, "Type"},
                    {kIdsAircraft, "Aircraft: "},
                    {kIdsCruise, "Cruise"},
                    {kIdsClimb, "Climb"},
                    {kIdsDescent, "Descent"},
                    {kIdsTouchDown, "Touch Down"},
                    {kIdsAltitude, "Altitude [ft]:"},
                    {kIdsIas, "IAS [kts]:"},
                    {kIdsTas, "TAS [kts]:"},
                    {kIdsRate, "Rate [fpm]:"},
                    {kIdsFuelFlow, "Fuel flow [Lbs/h]:"},
                    {kIdsFuelFlow + 1, "Fuel flow [Gal/h]:"},
                    {kIdsFuelFlow + 2, "Fuel flow [kg/h]:"},
                    {kIdsFuelFlow + 3, "Fuel flow [L/h]:"}});
  });
}

// Whole device units, each quotient truncated, as the layout has always been computed.
int Per(int pixelsPerInch, double divisor) { return static_cast<int>(pixelsPerInch / divisor); }

// Lines of page `page` (0-based) that can hold a row or the total.
int RowLinesOnPage(const PrintMetrics& m, int page) {
  if (m.lineHeight <= 0) return 0;
  const int first = m.topMargin + ((page == 0 ? kSummaryLines : 0) + kHeaderLines) * m.lineHeight;
  const int room = m.bottomLimit - first;
  return room < m.lineHeight ? 0 : room / m.lineHeight;
}

std::string Unsigned(long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
  return text;
}

// Widths of a run of capital X in the bold font, plus the average character width: the
// columns of both tables.
std::vector<int> ColumnWidths(IPrintCanvas& canvas, const PrintMetrics& m, std::initializer_list<int> runs) {
  std::vector<int> widths;
  for (int run : runs) widths.push_back(canvas.TextWidth(std::string(static_cast<size_t>(run), 'X')) + m.bold.aveCharWidth);
  return widths;
}

void PrintSummary(IPrintCanvas& canvas, const PrintMetrics& m, const PrintSnapshot& s, int& y) {
  const std::vector<int> w = ColumnWidths(canvas, m, {16, 8, 8, 8, 11});
  std::vector<int> x{m.leftMargin};
  for (int width : w) x.push_back(x.back() + width);
  const int lh = m.lineHeight;
  const auto cell = [&](int column, int line, std::string_view text, bool centre) {
    canvas.DrawCell(x[column], y + line * lh, x[column + 1], y + (line + 1) * lh, text, centre);
  };

  canvas.DrawCell(x[0], y, x[5], y + lh, ui::LoadString(kIdsAircraft) + std::string(s.profile.Name()), true);
  for (int c = 1; c <= 4; ++c) cell(c, 1, ui::LoadString(kIdsAircraft + static_cast<unsigned>(c)), true);
  canvas.HorizontalLine(x[0], x[5], y + 2 * lh);

  const AircraftProfile& p = s.profile;
  const bool ias = s.useIndicatedAirspeed;
  const long long cruise = ias ? p.cruiseSpeed : IasToTas(p.cruiseSpeed, p.cruiseAltitude);
  const long long climb = ias ? p.climbSpeed : IasToTas(p.climbSpeed, p.cruiseAltitude);
  const long long touchDown = ias ? p.descentSpeed : IasToTas(p.descentSpeed, 0);
  const unsigned fuelLabel = kIdsFuelFlow + static_cast<unsigned>(p.FuelUnit());

  cell(0, 3, ui::LoadString(kIdsAltitude), false);
  cell(0, 4, ui::LoadString(ias ? kIdsIas : kIdsTas), false);
  cell(0, 5, ui::LoadString(kIdsRate), false);
  cell(0, 6, ui::LoadString(fuelLabel), false);

  canvas.SelectFont(false);
  // Stored values print as the unsigned numbers they always were, negative ones included.
  const auto u = [](int32_t v) { return Unsigned(static_cast<uint32_t>(v)); };
  cell(1, 3, u(p.cruiseAltitude), true);
  cell(1, 4, Unsigned(cruise), true);
  cell(2, 4, Unsigned(climb), true);
  // The touch-down speed sits in a Descent-wide box that starts at the Touch Down column.
  canvas.DrawCell(x[4], y + 4 * lh, x[4] + w[3], y + 5 * lh, Unsigned(touchDown), true);
  cell(2, 5, u(p.climbRate), true);
  cell(3, 5, u(p.descentRate), true);
  cell(1, 6, u(p.cruiseFuel), true);
  cell(2, 6, u(p.climbFuel), true);
  cell(3, 6, u(p.descentFuel), true);
  canvas.SelectFont(true);
  y += kSummaryLines * lh;
}

}  // namespace

int PrintFontHeight(const DeviceCaps& caps) {
  const int printableWidth = caps.horzRes - 2 * Per(caps.ppiX, 1.27);
  return std::max(1, printableWidth * 80 / 5695);
}

PrintMetrics ComputePrintMetrics(const DeviceCaps& caps, const FontMetrics& bold) {
  PrintMetrics m;
  m.bold = bold;
  m.topMargin = Per(caps.ppiY, 1.27);
  m.bottomLimit = caps.vertRes - Per(caps.ppiY, 1.69);
  m.lineHeight = bold.height + bold.externalLeading + Per(caps.ppiY, 25.4);
  m.leftMargin = Per(caps.ppiX, 1.27);
  m.rightLimit = caps.horzRes - Per(caps.ppiX, 1.27);
  return m;
}

int Pagination::EndRow(int page, int rowCount) const {
  if (page + 1 < PageCount()) return firstRow[static_cast<size_t>(page) + 1];
  return rowCount;
}

Pagination PaginatePlan(const PrintMetrics& metrics, int rowCount) {
  Pagination result;
  rowCount = std::max(0, rowCount);
  // Slots to place: every row, then the total line when there is at least one row.
  const int slots = rowCount > 0 ? rowCount + 1 : 0;
  int placed = 0;
  for (int page = 0;; ++page) {
    result.firstRow.push_back(std::min(placed, rowCount));
    const int lines = RowLinesOnPage(metrics, page);
    const int take = std::min(lines, slots - placed);
    if (rowCount > 0 && placed + take == slots) result.totalPage = page;
    placed += take;
    if (placed >= slots) break;
    // A page after the first that holds no line would repeat without end.
    if (page > 0 && lines == 0) break;
    if (page == 0 && lines == 0 && RowLinesOnPage(metrics, 1) == 0) break;
  }
  return result;
}

std::string_view PrintTypeText(uint32_t kind, uint8_t vorFlags) {
  switch (kind) {
    case kPseudoBeginClimb: return "BOC";
    case kPseudoEndClimb: return "EOC";
    case kPseudoBeginDescent: return "BOD";
    case kPseudoClimbMeetsDescent: return "EOC, BOD";
    case kPseudoEndDescent: return "EOD";
    case kPseudoDescentMeetsClimb: return "EOD, BOC";
    default: break;
  }
  if (IsPseudoKind(kind)) return {};
  if (kind == kKindUserPoint) return "FIX";
  const uint32_t base = kind & ~static_cast<uint32_t>(kKindLevelMask);
  switch (base) {
    case kKindAirport: return "Airport";
    case kKindRunway: return "Runway";
    case kKindIls: return "ILS";
    case kKindIntersection: return "ISEC";
    case kKindNdb: return "NDB";
    case kKindVor: return VorKindText(vorFlags);
    default: return {};
  }
}

PrintSnapshot TakePrintSnapshot(const CFlightPlanCore& plan, const CSceneryDatabase& db,
                                const plantable::TableOptions& options, std::string title) {
  AddPlanPrintStrings();
  PrintSnapshot s;
  s.title = std::move(title);
  if (const CRoute* route = plan.GetCurrent()) s.profile = route->m_profile;
  s.useIndicatedAirspeed = options.indicatedAirspeed;
  // The screen table's columns with the type after the location.
  const auto printed = [](const std::array<std::string, plantable::kColumnCount>& texts, std::string type) {
    std::array<std::string, kPrintColumns> cells;
    cells[0] = texts[plantable::kColId];
    cells[1] = texts[plantable::kColLocation];
    cells[2] = std::move(type);
    for (int c = plantable::kColFrequency; c < plantable::kColumnCount; ++c)
      cells[static_cast<size_t>(c) + 1] = texts[static_cast<size_t>(c)];
    return cells;
  };
  std::array<std::string, plantable::kColumnCount> headers;
  for (int c = 0; c < plantable::kColumnCount; ++c) headers[static_cast<size_t>(c)] = plantable::ColumnHeader(c, options);
  s.headers = printed(headers, ui::LoadString(kIdsType));

  const std::vector<plantable::TableRow> table = plantable::BuildTableRows(plan, db, options, -1);
  for (size_t i = 0; i < table.size(); ++i) {
    const plantable::TableRow& t = table[i];
    if (t.total) {
      s.totalDistance = t.texts[plantable::kColDistance];
      s.totalTime = t.texts[plantable::kColTime];
      s.totalFuel = t.texts[plantable::kColFuel];
      continue;
    }
    if (i >= plan.m_rows.size()) break;
    const PlanRow& row = plan.m_rows[i];
    uint8_t vorFlags = 0;
    if ((row.kind & ~static_cast<uint32_t>(kKindLevelMask)) == kKindVor) {
      if (const PlanPoint* point = plan.GetRowPoint(static_cast<int>(i)))
        if (const VorRecord* vor = db.GetVor(point->ref.point)) vorFlags = vor->flags;
    }
    std::array<std::string, kPrintColumns> cells = printed(t.texts, std::string(PrintTypeText(row.kind, vorFlags)));
    if (row.rowKind == kRowBearing) cells[0] = "(" + cells[0] + ")";
    s.rows.push_back(std::move(cells));
  }
  return s;
}

std::string PrintFooter(std::string_view title, int pageNumber) {
  return std::string(title) + " - Page " + std::to_string(pageNumber);
}

void PrintPlanPage(IPrintCanvas& canvas, const PrintMetrics& m, const Pagination& pagination, int page,
                   const PrintSnapshot& s) {
  if (page < 0 || page >= pagination.PageCount()) return;
  AddPlanPrintStrings();
  const int lh = m.lineHeight;
  int y = m.topMargin;
  canvas.SelectFont(true);
  if (page == 0) PrintSummary(canvas, m, s, y);

  const std::vector<int> w = ColumnWidths(canvas, m, {7, 29, 9, 7, 6, 7, 7, 8, 9, 9, 9});
  std::vector<int> x{m.leftMargin};
  for (int width : w) x.push_back(x.back() + width);
  const auto row = [&](const std::array<std::string, kPrintColumns>& cells) {
    for (int c = 0; c < kPrintColumns; ++c)
      canvas.DrawCell(x[c], y, x[c + 1], y + lh, cells[static_cast<size_t>(c)], c > 2);
  };

  row(s.headers);
  y += lh;
  canvas.HorizontalLine(x.front(), x.back(), y);
  canvas.SelectFont(false);

  const int rowCount = static_cast<int>(s.rows.size());
  const int first = pagination.firstRow[static_cast<size_t>(page)];
  const int end = std::min(pagination.EndRow(page, rowCount), rowCount);
  for (int r = first; r < end; ++r) {
    y += lh;
    row(s.rows[static_cast<size_t>(r)]);
  }
  if (pagination.totalPage == page) {
    y += lh;
    std::array<std::string, kPrintColumns> total;
    total[7] = "TOTAL :";
    total[8] = s.totalDistance;
    total[9] = s.totalTime;
    total[10] = s.totalFuel;
    row(total);
  }

  canvas.DrawCell(m.leftMargin, m.bottomLimit, m.rightLimit, m.bottomLimit + lh, PrintFooter(s.title, page + 1), true);
}

}  // namespace planprint
