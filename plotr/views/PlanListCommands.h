#pragma once

// The plan list without its window: which of its commands are on for the rows the user has
// selected and focused, and what each edit does to the plan (drag and drop, clipboard, delete,
// rename, bearing points) with the mark and new-point bytes it works through. List index i is
// plan row i; the list's last line is the total row, and below it lies nothing: neither is a
// plan row, so commands on them are off and drops there append.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plotr/core/UpdateHints.h"
#include "plotr/plan/PlanPoint.h"
#include "plotr/views/ClipFormats.h"
#include "plotr/views/SearchModel.h"

class CFlightPlanCore;
class CRoute;
class CSceneryDatabase;
class CSidStarStore;
struct SimSnapshot;

namespace planlist {

// The list's selection: every row with the selection bit, ascending, and the first row with the
// focus bit (-1 none).
struct Selection {
  std::vector<int> selected;
  int focused = -1;
  bool IsSelected(int row) const;
};

struct CommandStates {
  bool manualSettings = false;
  int manualSettingsRow = -1;  // the row the dialog opens for
  bool bearingPoint = false;
  int bearingCheck = 0;  // 0 none of them is a bearing point, 1 all are, 2 mixed
  bool holding = false;
  int holdingRow = -1;  // the first selected fix a holding can be defined at
  bool flyPlanFromHere = false;
  bool flyTo = false;
  bool moveAircraft = false;
  bool towerView = false;
  bool editSelection = false;  // cut, copy and delete
  bool paste = false;
  bool centerMap = false;
  bool undo = false;
  bool redo = false;
  bool selectAll = false;
};

// `listRows`: the list's line count (the plan rows and the total row). `clipboardHasPoints`:
// the clipboard offers "Plotr Plan Point Array". Reads only: the user-interface thread, which
// alone changes the plan, may call it without a DatabaseLease.
CommandStates ListCommandStates(const CFlightPlanCore& plan, const Selection& selection, int listRows,
                                const SimSnapshot& sim, int simVer, bool clipboardHasPoints);

// The plan point of a list row; null for pseudo rows, the total row and below.
const PlanPoint* RowPoint(const CFlightPlanCore& plan, int row);

// ---- Clipboard and drag source ----------------------------------------------------------------------

// The selected rows' points in list order as a point array with their descriptions as text;
// empty when no selected row has a point. The caller holds a DatabaseLease.
clip::ClipData CopySelection(const CFlightPlanCore& plan, const Selection& selection, const SimSnapshot& sim);

struct DragStart {
  clip::ClipData data;  // empty: no drag
  unsigned statusId = 0;
};
// Begins a drag of the selected rows: the points are copied into the drag data as they stand,
// then marked in the plan. With one point its frequency format and its heading go along.
DragStart BeginDrag(CFlightPlanCore& plan, const Selection& selection, const SimSnapshot& sim, bool mapBcIls);
// After the drag: a move out of the list deletes the marked points still there (true when the
// plan changed); anything else clears the marks.
bool EndDrag(CFlightPlanCore& plan, bool moved);

// ---- Drop target ------------------------------------------------------------------------------------

enum class DropKind { kNone, kSidStar, kPoints, kFullPoint };
struct DropJudgement {
  DropKind kind = DropKind::kNone;
  bool copy = false;  // the effect: copy, else move
};
// What a drop of `offered` onto list row `row` would do: the first format that reads decides.
// A SID/STAR goes only onto a plan row of that procedure's airport and into the catalogue as it
// is now; points copy with Ctrl and move without; a full point copies.
DropJudgement JudgeDrop(const clip::ClipData& offered, const CFlightPlanCore& plan, CSidStarStore& store, int row,
                        bool ctrl);

// Carries out a drop as judged (with the effect the drag settled on); the plan hint to send, 0
// when nothing changed. A SID/STAR that the catalogue cannot build changes nothing.
uint32_t Drop(CFlightPlanCore& plan, CSidStarStore& store, const clip::ClipData& offered, int row, bool ctrl,
              bool copyEffect);

// Paste of a point array at the first row that is both focused and selected, else at the end;
// false when the bytes do not read or hold no point.
bool Paste(CFlightPlanCore& plan, std::string_view pointArray, const Selection& selection, int listRows);

// ---- Edits ------------------------------------------------------------------------------------------

// Deletes the selected rows' points; the point of the row after the last of them comes out
// selected by the next refill. True when the plan changed.
bool DeleteSelection(CFlightPlanCore& plan, const Selection& selection);

// Whether a row's label may be edited: user points only.
bool CanRenameRow(const CFlightPlanCore& plan, int row);
// Renames the row's user point (at most five code page 1252 bytes, an empty name included);
// false when refused, also for a name IsUsableFixName refuses.
bool RenameRow(CFlightPlanCore& plan, int row, std::string_view cp1252);

// Toggles the bearing-point flag of the selected NDBs, VORs and ILS: set when none has it,
// cleared otherwise. True when the plan changed.
bool ToggleBearingPoints(CFlightPlanCore& plan, const Selection& selection);

// ---- Commands on the focused row --------------------------------------------------------------------

// The position of a plan row; false outside the plan rows.
bool RowPosition(const CFlightPlanCore& plan, int row, double& latitude, double& longitude);
// Where "Move Aircraft to here" puts the aircraft for a row. The caller holds a DatabaseLease.
search::MoveTarget MoveAircraftTarget(const CFlightPlanCore& plan, int row, bool onGround, const CSceneryDatabase& db);
// Where "Set Tower view to here" puts the tower for a row: beside the departure or destination
// airport or runway, else the Tower View dialog decides the altitude. The caller holds
// a DatabaseLease.
search::TowerTarget TowerViewTarget(const CFlightPlanCore& plan, int row, const SimSnapshot& sim,
                                    const CSceneryDatabase& db);

}  // namespace planlist
