#pragma once

// The printed flight plan: landscape pages with the aircraft profile on page 1, a bold column
// header and a rule on every page, one line per plan row, the totals after the last row and a
// centred footer. Everything here is device-independent integer layout; the printout window
// only adapts a printer DC to IPrintCanvas, so the pages are tested without a printer.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plotr/plan/AircraftProfile.h"
#include "plotr/views/PlanTableRows.h"

class CFlightPlanCore;
class CSceneryDatabase;

namespace planprint {

// What the layout needs of the device: printable size in pixels and pixels per inch.
struct DeviceCaps {
  int horzRes = 0;
  int vertRes = 0;
  int ppiX = 0;
  int ppiY = 0;
};

struct FontMetrics {
  int height = 0;            // ascent plus descent
  int externalLeading = 0;
  int aveCharWidth = 0;
};

// Pixel height of both print fonts: they grow with the printable width, so a page holds the
// same columns on any paper.
int PrintFontHeight(const DeviceCaps& caps);

struct PrintMetrics {
  int topMargin = 0;    // 20 mm
  int bottomLimit = 0;  // 15 mm above the bottom of the printable area; the footer line
  int lineHeight = 0;   // bold text plus 1 mm
  int leftMargin = 0;
  int rightLimit = 0;
  FontMetrics bold;     // column widths are measured with the bold font
};

PrintMetrics ComputePrintMetrics(const DeviceCaps& caps, const FontMetrics& bold);

// Page 1 spends this many lines on the profile summary.
inline constexpr int kSummaryLines = 8;
// Every page spends this many lines on the column header and its rule.
inline constexpr int kHeaderLines = 2;

struct Pagination {
  std::vector<int> firstRow;  // per page (0-based pages): the first plan row printed on it
  int totalPage = -1;         // page holding the TOTAL line; -1 for an empty plan
  int PageCount() const { return static_cast<int>(firstRow.size()); }
  // Rows of `page` are firstRow[page] up to (excluding) this.
  int EndRow(int page, int rowCount) const;
};

// Lays out all pages. The total takes the line after the last row; when the last row fills a
// page, the total goes alone to the next page, and nothing follows the page that holds it.
// A page size that holds no row line at all ends the job after page 1.
Pagination PaginatePlan(const PrintMetrics& metrics, int rowCount);

// Drawing surface of one page, in device pixels. Texts are code page 1252.
class IPrintCanvas {
 public:
  virtual ~IPrintCanvas() = default;
  virtual void SelectFont(bool bold) = 0;
  virtual int TextWidth(std::string_view text) = 0;  // in the selected font
  // Draws `text` clipped to the cell; left-aligned at its left edge or centred on its middle.
  virtual void DrawCell(int left, int top, int right, int bottom, std::string_view text, bool centre) = 0;
  virtual void HorizontalLine(int left, int right, int y) = 0;
};

inline constexpr int kPrintColumns = 11;

struct PrintSnapshot {
  std::string title;
  AircraftProfile profile;
  bool useIndicatedAirspeed = true;
  std::array<std::string, kPrintColumns> headers;
  std::vector<std::array<std::string, kPrintColumns>> rows;
  std::string totalDistance, totalTime, totalFuel;
};

// The plan as it prints now: the table's texts of every row with its type, bearing rows
// identifiers in parentheses, the totals, headers by the settings and the route's profile. The
// caller holds a DatabaseLease; the snapshot then stands alone, so a preview ignores later edits.
PrintSnapshot TakePrintSnapshot(const CFlightPlanCore& plan, const CSceneryDatabase& db,
                                const plantable::TableOptions& options, std::string title);

// Column 3 of a printed row: the pseudo-row marks, or what kind of point it is.
// `kind` is the row's point kind or pseudo kind; `vorFlags` the VOR record's flags.
std::string_view PrintTypeText(uint32_t kind, uint8_t vorFlags);

// "<title> - Page <n>", built by concatenation: the title is the user's file name and may
// hold any character.
std::string PrintFooter(std::string_view title, int pageNumber);

// Draws page `page` (0-based) of `pagination` as laid out for `metrics`.
void PrintPlanPage(IPrintCanvas& canvas, const PrintMetrics& metrics, const Pagination& pagination, int page,
                   const PrintSnapshot& snapshot);

}  // namespace planprint
