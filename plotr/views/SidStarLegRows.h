#pragma once

// The SID/STAR browser's leg list without its window: one line per plan row with the row's
// identifier and place, its icon, the active-leg or bearing overlay and the procedure mark, as
// the plan table shows them; user fixes named "Fix..." show their position with signs.

#include <string>
#include <vector>

class CFlightPlanCore;
class CSceneryDatabase;

namespace sidstar {

struct LegRow {
  std::string id;        // code page 1252
  std::string location;
  int image = 0;
  int overlay = 0;       // 1 the active leg, 2 a bearing row
  bool procedure = false;
};

// `activeRow`: the row that carries the active-leg mark, -1 none. The caller holds
// a DatabaseLease.
std::vector<LegRow> BuildLegRows(const CFlightPlanCore& plan, const CSceneryDatabase& db, bool mapBcIls, int activeRow);

}  // namespace sidstar
