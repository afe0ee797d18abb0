#include "plotr/views/PlanPrint.h"

#include <gtest/gtest.h>

#include <mutex>

#include <string>
#include <vector>

#include "navdb/NavPoint.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/Units.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace planprint {
namespace {

struct Cell {
  int left, top, right, bottom;
  std::string text;
  bool centre;
  bool bold;
};

// Logs what a page draws; every character is 5 pixels wide in either font.
class RecordingCanvas : public IPrintCanvas {
 public:
  void SelectFont(bool bold) override { bold_ = bold; }
  int TextWidth(std::string_view text) override { return 5 * static_cast<int>(text.size()); }
  void DrawCell(int left, int top, int right, int bottom, std::string_view text, bool centre) override {
    cells.push_back({left, top, right, bottom, std::string(text), centre, bold_});
  }
  void HorizontalLine(int left, int right, int y) override { lines.push_back({left, right, y}); }

  const Cell* Find(std::string_view text) const {
    for (const Cell& c : cells)
      if (c.text == text) return &c;
    return nullptr;
  }
  int Count(std::string_view text) const {
    int n = 0;
    for (const Cell& c : cells) n += c.text == text;
    return n;
  }

  std::vector<Cell> cells;
  std::vector<std::array<int, 3>> lines;

 private:
  bool bold_ = false;
};

// Ten lines fit below the summary and header of page 1, eighteen below the header of others.
PrintMetrics TenAndEighteen() {
  PrintMetrics m;
  m.topMargin = 0;
  m.lineHeight = 10;
  m.bottomLimit = 200;
  m.leftMargin = 20;
  m.rightLimit = 780;
  m.bold = {8, 0, 4};
  return m;
}

TEST(PlanPrint, PagesFollowFromTheLayout) {
  struct Case {
    const char* what;
    int rows, top, bottom;
    std::vector<int> firstRows;
    int totalPage;
  };
  const Case cases[] = {
      {"empty plan: summary and header only", 0, 0, 200, {0}, -1},
      {"short plan", 5, 0, 200, {0}, 0},
      {"total on page 1's last line: no further page", 9, 0, 200, {0}, 0},
      {"rows fill page 1: total alone on page 2", 10, 0, 200, {0, 10}, 1},
      {"later pages hold eight lines more", 27, 0, 200, {0, 10}, 1},
      {"three pages", 28, 0, 200, {0, 10, 28}, 2},
      {"no room for any row", 40, 0, 25, {0}, -1},
      {"no room on page 1 only", 3, 0, 95, {0, 0}, 1},
  };
  for (const Case& c : cases) {
    PrintMetrics m = TenAndEighteen();
    m.topMargin = c.top;
    m.bottomLimit = c.bottom;
    const Pagination p = PaginatePlan(m, c.rows);
    EXPECT_EQ(p.firstRow, c.firstRows) << c.what;
    EXPECT_EQ(p.totalPage, c.totalPage) << c.what;
  }
}

PrintSnapshot SnapshotWithRows(int rows) {
  PrintSnapshot s;
  s.title = "100%s plan";
  s.profile.SetName("Cessna");
  for (int c = 0; c < kPrintColumns; ++c) s.headers[static_cast<size_t>(c)] = "H" + std::to_string(c);
  for (int r = 0; r < rows; ++r) {
    std::array<std::string, kPrintColumns> cells;
    cells[0] = "R" + std::to_string(r);
    s.rows.push_back(cells);
  }
  s.totalDistance = "123.4";
  s.totalTime = "01 02' 03\"";
  s.totalFuel = "55.0";
  return s;
}

TEST(PlanPrint, EveryRowPrintsOnceAndTheTotalOnceAfterTheLast) {
  for (int rows : {0, 9, 10, 28}) {
    const PrintMetrics m = TenAndEighteen();
    const PrintSnapshot s = SnapshotWithRows(rows);
    const Pagination p = PaginatePlan(m, rows);
    RecordingCanvas all;
    for (int page = 0; page < p.PageCount(); ++page) {
      RecordingCanvas one;
      PrintPlanPage(one, m, p, page, s);
      // The footer is the last thing on each page, in the normal font, below every line.
      ASSERT_FALSE(one.cells.empty());
      EXPECT_EQ(one.cells.back().text, PrintFooter(s.title, page + 1));
      EXPECT_FALSE(one.cells.back().bold);
      for (const Cell& c : one.cells) {
        EXPECT_LE(c.bottom, m.bottomLimit + m.lineHeight) << rows << " rows, page " << page;
        EXPECT_EQ(c.bottom - c.top, m.lineHeight);
      }
      all.cells.insert(all.cells.end(), one.cells.begin(), one.cells.end());
    }
    for (int r = 0; r < rows; ++r) EXPECT_EQ(all.Count("R" + std::to_string(r)), 1) << rows << " rows, row " << r;
    EXPECT_EQ(all.Count("TOTAL :"), rows > 0 ? 1 : 0) << rows << " rows";
    if (rows > 0) {
      const Cell* total = all.Find("TOTAL :");
      EXPECT_TRUE(total->centre);
      EXPECT_EQ(all.Count("123.4"), 1);
    }
  }
}

TEST(PlanPrint, FooterTakesTheTitleAsText) {
  EXPECT_EQ(PrintFooter("100%s plan", 3), "100%s plan - Page 3");
  EXPECT_EQ(PrintFooter("%n%n%n", 12), "%n%n%n - Page 12");
}

TEST(PlanPrint, CellsTileTheTableWithoutOverlap) {
  const PrintMetrics m = TenAndEighteen();
  const PrintSnapshot s = SnapshotWithRows(3);
  const Pagination p = PaginatePlan(m, 3);
  RecordingCanvas canvas;
  PrintPlanPage(canvas, m, p, 0, s);
  // The header line: eleven cells side by side from the left margin, left-aligned for the
  // identifier, location and type, centred for the rest.
  std::vector<Cell> header;
  for (const Cell& c : canvas.cells)
    if (c.text.size() >= 2 && c.text[0] == 'H') header.push_back(c);
  ASSERT_EQ(header.size(), 11u);
  EXPECT_EQ(header[0].left, m.leftMargin);
  for (size_t i = 0; i < header.size(); ++i) {
    EXPECT_TRUE(header[i].bold);
    EXPECT_EQ(header[i].centre, i > 2) << i;
    EXPECT_GT(header[i].right, header[i].left);
    if (i > 0) {
      EXPECT_EQ(header[i].left, header[i - 1].right);
    }
  }
  // Location is measured on 29 X's plus the average character width.
  EXPECT_EQ(header[1].right - header[1].left, 29 * 5 + m.bold.aveCharWidth);
  // The rule under the header spans the table, one line below the header's top.
  ASSERT_FALSE(canvas.lines.empty());
  EXPECT_EQ(canvas.lines.back()[0], header.front().left);
  EXPECT_EQ(canvas.lines.back()[1], header.back().right);
  EXPECT_EQ(canvas.lines.back()[2], header[0].top + m.lineHeight);
  // The first row follows one line below the rule.
  const Cell* r0 = canvas.Find("R0");
  ASSERT_NE(r0, nullptr);
  EXPECT_EQ(r0->top, header[0].top + 2 * m.lineHeight);
  EXPECT_FALSE(r0->bold);
}

TEST(PlanPrint, SummaryShowsTheProfileInItsOwnUnits) {
  PrintSnapshot s = SnapshotWithRows(1);
  s.profile.cruiseAltitude = 10000;
  s.profile.cruiseSpeed = 120;
  s.profile.climbSpeed = 80;
  s.profile.descentSpeed = 90;
  s.profile.climbRate = 700;
  s.profile.descentRate = 500;
  s.profile.cruiseFuel = 11;
  s.profile.climbFuel = 14;
  s.profile.descentFuel = 7;
  s.profile.SetFuelUnit(2);
  const PrintMetrics m = TenAndEighteen();
  const Pagination p = PaginatePlan(m, 1);

  s.useIndicatedAirspeed = true;
  RecordingCanvas ias;
  PrintPlanPage(ias, m, p, 0, s);
  EXPECT_NE(ias.Find("Aircraft: Cessna"), nullptr);
  EXPECT_NE(ias.Find("IAS [kts]:"), nullptr);
  EXPECT_NE(ias.Find("120"), nullptr);
  EXPECT_NE(ias.Find("Fuel flow [kg/h]:"), nullptr);
  for (const char* v : {"10000", "80", "90", "700", "500", "11", "14", "7"}) EXPECT_NE(ias.Find(v), nullptr) << v;

  s.useIndicatedAirspeed = false;
  RecordingCanvas tas;
  PrintPlanPage(tas, m, p, 0, s);
  EXPECT_NE(tas.Find("TAS [kts]:"), nullptr);
  const auto text = [](unsigned v) { return std::to_string(v); };
  const Cell* cruise = tas.Find(text(IasToTas(120, 10000)));
  const Cell* climb = tas.Find(text(IasToTas(80, 10000)));
  const Cell* touchDown = tas.Find(text(IasToTas(90, 0)));
  ASSERT_NE(cruise, nullptr);
  ASSERT_NE(climb, nullptr);
  ASSERT_NE(touchDown, nullptr);
  // Touch down sits in a box as wide as the Descent column, starting at the Touch Down column.
  const Cell* descentTitle = tas.Find("Descent");
  const Cell* touchDownTitle = tas.Find("Touch Down");
  ASSERT_NE(descentTitle, nullptr);
  ASSERT_NE(touchDownTitle, nullptr);
  EXPECT_EQ(touchDown->left, touchDownTitle->left);
  EXPECT_EQ(touchDown->right - touchDown->left, descentTitle->right - descentTitle->left);
  EXPECT_TRUE(touchDown->centre);
  EXPECT_FALSE(touchDown->bold);
  // Labels bold and left, values normal and centred.
  const Cell* label = tas.Find("Rate [fpm]:");
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->bold);
  EXPECT_FALSE(label->centre);

  // Page 2 has no summary.
  PrintSnapshot longer = SnapshotWithRows(30);
  longer.profile = s.profile;
  const Pagination p2 = PaginatePlan(m, 30);
  RecordingCanvas second;
  PrintPlanPage(second, m, p2, 1, longer);
  EXPECT_EQ(second.Find("Aircraft: Cessna"), nullptr);
  EXPECT_EQ(second.Find("R10")->top, m.topMargin + 2 * m.lineHeight);
}

TEST(PlanPrint, TypeTextByKind) {
  struct Case {
    uint32_t kind;
    uint8_t vorFlags;
    const char* text;
  };
  const Case cases[] = {
      {kPseudoBeginClimb, 0, "BOC"},        {kPseudoEndClimb, 0, "EOC"},
      {kPseudoBeginDescent, 0, "BOD"},      {kPseudoClimbMeetsDescent, 0, "EOC, BOD"},
      {kPseudoEndDescent, 0, "EOD"},        {kPseudoDescentMeetsClimb, 0, "EOD, BOC"},
      {kKindUserPoint, 0, "FIX"},           {kKindAirport, 0, "Airport"},
      {kKindRunway, 0, "Runway"},           {kKindIls, 0, "ILS"},
      {kKindIntersection + 2, 0, "ISEC"},   {kKindNdb + 1, 0, "NDB"},
      {kKindVor, 3, "VORTAC"},              {kKindVor + 3, 1, "VOR/DME"},
      {kKindVor, 9, "DME"},                 {kKindVor, 2, "VOR"},
      {kKindVor, 11, "DME"},                {kKindMarker, 0, ""},
      {0x30000, 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PrintTypeText(c.kind, c.vorFlags), c.text) << std::hex << c.kind;
}

TEST(PlanPrint, FontsGrowWithThePrintableWidth) {
  const DeviceCaps a4 = {3300, 2300, 300, 300};
  const DeviceCaps wide = {6600, 2300, 300, 300};
  EXPECT_GT(PrintFontHeight(wide), PrintFontHeight(a4));
  // 3300 - 2 * 236 = 2828 printable pixels, * 80 / 5695.
  EXPECT_EQ(PrintFontHeight(a4), 2828 * 80 / 5695);
  const PrintMetrics m = ComputePrintMetrics(a4, {40, 2, 18});
  EXPECT_EQ(m.topMargin, 236);
  EXPECT_EQ(m.bottomLimit, 2300 - 177);
  EXPECT_EQ(m.lineHeight, 40 + 2 + 11);
  EXPECT_EQ(m.leftMargin, 236);
  EXPECT_EQ(m.rightLimit, 3300 - 236);
}

TEST(PlanPrint, SnapshotPrintsTheTablesRowsWithTypesAndBearingsInParentheses) {
  plantest::ScopedPlanFolder folder("plan_print");
  CFlightPlanCore plan;
  PrintSnapshot s;
  std::vector<PlanRow> rows;
  {
    DatabaseLease lease;
    plantest::BuildPlanDatabase(lease.Database());
    plan.Push(plantest::TripRoute());
    plan.Rebuild();
    plantable::TableOptions options;
    options.indicatedAirspeed = false;
    s = TakePrintSnapshot(plan, lease.Database(), options, "Trip");
    rows = plan.m_rows;
    lease.Database().ClearDatabase();
  }
  ASSERT_EQ(s.rows.size(), rows.size());
  EXPECT_EQ(s.headers[2], "Type");
  EXPECT_EQ(s.headers[5], "TAS");
  EXPECT_EQ(s.rows.front()[2], "Airport");
  EXPECT_FALSE(s.totalDistance.empty());
  EXPECT_FALSE(s.totalTime.empty());
  int bearings = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto& cells = s.rows[i];
    if (rows[i].rowKind != kRowBearing) {
      EXPECT_NE(cells[0].front(), '(') << i;
      continue;
    }
    ++bearings;
    EXPECT_EQ(cells[0].front(), '(') << i;
    EXPECT_EQ(cells[0].back(), ')') << i;
    EXPECT_EQ(cells[2], "NDB");
    // Speed, vertical speed, altitude, time and fuel stay empty; the leg distance prints.
    for (int c : {5, 6, 7, 9, 10}) EXPECT_TRUE(cells[static_cast<size_t>(c)].empty()) << "column " << c;
    EXPECT_FALSE(cells[8].empty());
  }
  EXPECT_EQ(bearings, 1);
}

}  // namespace
}  // namespace planprint
