#pragma once

// The plan table without its window: the texts, icon, overlay, procedure mark and manual-setting
// triangles of every plan row and of the closing total row, as the table and the printed plan
// show them. Built once per refill from the plan, so painting never reads the live plan.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CFlightPlanCore;
class CSceneryDatabase;

namespace plantable {

// The titles of the identifier and location columns, which the SID/STAR leg list shares.
inline constexpr unsigned kIdsColumnLocation = 6016;
inline constexpr unsigned kIdsColumnId = 6017;

enum Column : int {
  kColId,
  kColLocation,
  kColFrequency,
  kColCourse,
  kColSpeed,
  kColVerticalSpeed,
  kColAltitude,
  kColDistance,
  kColTime,
  kColFuel,
  kColumnCount,
};

// Icons of the plan's image strip.
enum Image : int {
  kImageCurrent = 0,   // overlay 1: the row being flown to
  kImageBearing = 1,   // overlay 2: a bearing row
  kImageNone = 2,      // kinds without an icon, and the total row
  kImageNdb = 3,
  kImageIls = 4,
  kImageVor = 5,
  kImageVorDme = 6,    // DME only
  kImageVortac = 7,    // VOR/DME and VORTAC
  kImageAirport = 8,
  kImageRunway = 9,
  kImageIntersection = 10,
  kImageUserPoint = 11,
  kImageBeginClimb = 12,
  kImageEndClimb = 13,
  kImageBeginDescent = 14,
  kImageEndDescent = 15,
  kImageClimbMeetsDescent = 16,
  kImageDescentMeetsClimb = 17,
  kImageCount = 40,
};

enum Overlay : int { kOverlayNone = 0, kOverlayCurrent = 1, kOverlayBearing = 2 };

// Triangle bits: the column whose left edge shows a manual setting.
enum : uint8_t {
  kTriangleSpeed = 1 << 0,     // column 4
  kTriangleAltitude = 1 << 1,  // column 6
  kTriangleFlyOver = 1 << 2,   // column 7
};

// The settings the table reads.
struct TableOptions {
  bool indicatedAirspeed = true;  // "UseIndicatedAirSpeed"
  int fuelMeasure = 0;            // "FuelMeasure"
  bool mapBcIls = true;           // "MapBcIls"
  int cumulativeDistance = 0;     // "PlanCumulativeDist": 0 leg, 1 cumulative, 2 remaining
  int cumulativeTime = 0;         // "PlanCumulativeEte"
  int cumulativeFuel = 0;         // "PlanCumulativeFuel"

  // The current values of the module's settings.
  static TableOptions FromSettings();
};

struct TableRow {
  std::array<std::string, kColumnCount> texts;  // code page 1252
  int image = kImageNone;
  int overlay = kOverlayNone;
  bool procedure = false;  // the row belongs to a SID or STAR
  bool isNew = false;      // its plan point has the new-point byte set
  uint8_t triangles = 0;
  bool total = false;
};

// One row per plan row, then the total row when there is at least one plan row.
// `currentRow` carries overlay 1 (-1 none). The caller holds a DatabaseLease.
std::vector<TableRow> BuildTableRows(const CFlightPlanCore& plan, const CSceneryDatabase& db,
                                     const TableOptions& options, int currentRow);

// Minutes as hours, minutes and seconds ("12 34' 30\""); empty when not a finite time.
std::string FormatMinutes(double minutes);

// The header of a column by the settings (string table entries, added on first use), and the
// sample text whose width in the list font is the column's width.
std::string ColumnHeader(int column, const TableOptions& options);
const char* ColumnWidthSample(int column);
// Centred columns: all but the first two.
inline bool IsColumnCentred(int column) { return column >= kColFrequency; }

}  // namespace plantable
