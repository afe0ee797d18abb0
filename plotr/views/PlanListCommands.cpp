#include "plotr/views/PlanListCommands.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FixNameMap.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/SimSnapshot.h"
#include "plotr/tools/SidStarStore.h"

namespace planlist {
namespace {

// Kind bits of the navaids that can be bearing points (NDB, VOR, ILS) and of the fixes a holding
// can be defined at (user point, VOR, NDB, intersection).
constexpr uint16_t kBearingKinds = 0x38;
constexpr uint16_t kHoldingKinds = 0x801C;
// The tower stands 600 m off the airport or runway, 30 m above it.
constexpr double kTowerDistance = 600;
constexpr double kTowerHeight = 30;

bool IsPlanRow(const CFlightPlanCore& plan, int row) {
  return row >= 0 && static_cast<size_t>(row) < plan.m_rows.size();
}

const PlanRow* RowAt(const CFlightPlanCore& plan, int row) {
  return IsPlanRow(plan, row) ? &plan.m_rows[static_cast<size_t>(row)] : nullptr;
}

// The current route's points behind the rows, marked (and, with `isNew`, flagged new) without an
// undo step: the edit that follows copies the route and clears them in the copy it leaves behind.
template <class Pick>
int MarkRows(CFlightPlanCore& plan, std::span<const int> rows, Pick pick) {
  DatabaseLease lease;
  int marked = 0;
  for (int row : rows) {
    const PlanRow* r = RowAt(plan, row);
    PlanPoint* point = plan.GetRowPoint(row);
    if (r == nullptr || point == nullptr || !pick(*point)) continue;
    point->marked = 1;
    ++marked;
  }
  return marked;
}

PlanPoint FromFullPoint(const FullPoint& full) {
  PlanPoint point;
  point.ref = full;
  return point;
}

CRoute RouteOf(std::span<const PlanPoint> points) {
  CRoute route;
  for (const PlanPoint& p : points) route.m_points.push_back(p);
  return route;
}

bool IsCatalogueProcedure(const CSidStarStore& store, const clip::SidStarRefClip& ref) {
  if (ref.airport < 0 || ref.airport >= store.GetAirportCount()) return false;
  const CSidStarList& list = store.GetList(ref.airport, ref.isStar != 0);
  if (ref.group < 0 || static_cast<size_t>(ref.group) >= list.groups.size()) return false;
  return ref.procedure >= 0 &&
         static_cast<size_t>(ref.procedure) < list.groups[static_cast<size_t>(ref.group)].procedures.size();
}

int ProcedureAirport(const PlanRow& row, bool star) { return star ? row.starAirport : row.sidAirport; }

// A SID/STAR reference that the drop may act on: a procedure of the catalogue as it is now,
// dropped onto a plan row of that procedure's airport.
std::optional<clip::SidStarRefClip> SidStarTarget(const std::string& bytes, const CSidStarStore& store) {
  const std::optional<clip::SidStarRefClip> ref = clip::ReadSidStar(bytes);
  if (!ref || !IsCatalogueProcedure(store, *ref)) return std::nullopt;
  return ref;
}

}  // namespace

bool Selection::IsSelected(int row) const { return std::binary_search(selected.begin(), selected.end(), row); }

const PlanPoint* RowPoint(const CFlightPlanCore& plan, int row) {
  return IsPlanRow(plan, row) ? plan.GetRowPoint(row) : nullptr;
}

CommandStates ListCommandStates(const CFlightPlanCore& plan, const Selection& selection, int listRows,
                                const SimSnapshot& sim, int simVer, bool clipboardHasPoints) {
  CommandStates s;
  const int focused = selection.focused;
  const PlanRow* row = RowAt(plan, focused);
  const PlanPoint* focusedPoint = RowPoint(plan, focused);
  if (row != nullptr) {
    s.manualSettings = row->pointIndex >= 0 && row->rowKind != kRowDestination && row->rowKind != kRowBearing;
    if (s.manualSettings) s.manualSettingsRow = focused;
    s.flyPlanFromHere = sim.autopilotAvailable && row->rowKind != kRowBearing && row->pointIndex >= 0;
    s.flyTo = sim.flyToPossible;
    const uint16_t kind = focusedPoint != nullptr ? focusedPoint->Kind() : 0;
    s.moveAircraft = !sim.onGround || (simVer < 90 && (kind == kKindAirport || kind == kKindRunway));
    s.towerView = true;
    s.centerMap = true;
  }
  bool anyBearing = false, anyFlown = false, holdingFix = false;
  for (int r : selection.selected) {
    const PlanPoint* point = RowPoint(plan, r);
    if (point == nullptr) continue;
    s.editSelection = true;
    if ((point->Kind() & kBearingKinds) != 0) (point->IsBearing() ? anyBearing : anyFlown) = true;
    if ((point->Kind() & kHoldingKinds) != 0 && !holdingFix) {
      holdingFix = true;
      s.holdingRow = r;
    }
  }
  s.bearingPoint = anyBearing || anyFlown;
  s.bearingCheck = anyBearing && anyFlown ? 2 : (anyBearing ? 1 : 0);
  s.holding = holdingFix && (sim.holdingState & 1) == 0;
  s.paste = clipboardHasPoints;
  s.undo = plan.CanUndo();
  s.redo = plan.CanRedo();
  s.selectAll = listRows > 0;
  return s;
}

clip::ClipData CopySelection(const CFlightPlanCore& plan, const Selection& selection, const SimSnapshot& sim) {
  std::vector<PlanPoint> points;
  std::vector<std::string> texts;
  const CRoute* route = plan.GetCurrent();
  if (route == nullptr) return {};
  for (int r : selection.selected) {
    const PlanPoint* point = RowPoint(plan, r);
    if (point == nullptr) continue;
    points.push_back(*point);
    std::string text;
    route->AirportInfoText(text, point->ref, sim);
    texts.push_back(std::move(text));
  }
  if (points.empty()) return {};
  clip::ClipData data;
  data.emplace_back(clip::kPlanPointArray, clip::WritePlanPoints(points));
  data.emplace_back(clip::kText, clip::WriteText(texts, "\r\n\r\n"));
  return data;
}

DragStart BeginDrag(CFlightPlanCore& plan, const Selection& selection, const SimSnapshot& sim, bool mapBcIls) {
  DragStart out;
  DatabaseLease lease;
  // The payload is taken before any point is marked, so the copies travel unmarked.
  out.data = CopySelection(plan, selection, sim);
  if (out.data.empty()) return out;
  int lastRow = -1;
  int count = 0;
  for (int r : selection.selected) {
    PlanPoint* point = IsPlanRow(plan, r) ? plan.GetRowPoint(r) : nullptr;
    if (point == nullptr) continue;
    point->marked = 1;
    lastRow = r;
    ++count;
  }
  if (count != 1) {
    out.statusId = 6032;
    return out;
  }
  const PlanPoint& point = *plan.GetRowPoint(lastRow);
  const auto frequency = clip::FrequencyFormat(point.ref, lease.Database(), mapBcIls, true);
  bool offersFrequency = frequency.has_value();
  if (frequency && frequency->first == clip::kComFrequencyArray) {
    // The plan list offers an airport's array even when no channel is valid; the status text
    // speaks of a frequency only when there is one.
    const auto entries = clip::ReadComArray(frequency->second);
    offersFrequency = entries && !entries->empty();
  }
  if (frequency) out.data.push_back(*frequency);
  out.data.emplace_back(clip::kHeading,
                        clip::WriteFloat(clip::HeadingOfCourse(plan.m_rows[static_cast<size_t>(lastRow)].course)));
  out.statusId = offersFrequency ? 6034 : 6033;
  return out;
}

bool EndDrag(CFlightPlanCore& plan, bool moved) {
  if (moved) return planedit::DeleteMarked(plan);
  planedit::ClearMarks(plan);
  return false;
}

DropJudgement JudgeDrop(const clip::ClipData& offered, const CFlightPlanCore& plan, CSidStarStore& store, int row,
                        bool ctrl) {
  if (const std::string* bytes = clip::Find(offered, clip::kSidStar)) {
    if (const auto ref = SidStarTarget(*bytes, store)) {
      const PlanRow* target = RowAt(plan, row);
      if (target != nullptr && ProcedureAirport(*target, ref->isStar != 0) == ref->airport) {
        return {DropKind::kSidStar, true};
      }
      return {};
    }
  }
  if (const std::string* bytes = clip::Find(offered, clip::kPlanPointArray); bytes && clip::ReadPlanPoints(*bytes)) {
    return {DropKind::kPoints, ctrl};
  }
  if (const std::string* bytes = clip::Find(offered, clip::kFullPoint); bytes && clip::ReadFullPoint(*bytes)) {
    return {DropKind::kFullPoint, true};
  }
  return {};
}

uint32_t Drop(CFlightPlanCore& plan, CSidStarStore& store, const clip::ClipData& offered, int row, bool ctrl,
              bool copyEffect) {
  const DropJudgement judged = JudgeDrop(offered, plan, store, row, ctrl);
  switch (judged.kind) {
    case DropKind::kNone: return 0;
    case DropKind::kSidStar: {
      const auto ref = clip::ReadSidStar(*clip::Find(offered, clip::kSidStar));
      const bool star = ref->isStar != 0;
      CRoute procedure;
      if (!store.InsertIntoPlan(procedure, star, ref->airport, ref->group, ref->procedure, true)) return 0;
      // The run of rows that carry this airport's procedure of the same kind is replaced.
      int first = row, last = row;
      while (first > 0 && ProcedureAirport(plan.m_rows[static_cast<size_t>(first - 1)], star) == ref->airport) --first;
      while (static_cast<size_t>(last + 1) < plan.m_rows.size() &&
             ProcedureAirport(plan.m_rows[static_cast<size_t>(last + 1)], star) == ref->airport) {
        ++last;
      }
      std::vector<int> run;
      for (int r = first; r <= last; ++r) run.push_back(r);
      MarkRows(plan, run, [](const PlanPoint&) { return true; });
      planedit::InsertPoints(plan, first, procedure, true);
      return kHintPlanChangedKeepSelection;
    }
    case DropKind::kPoints: {
      const auto points = clip::ReadPlanPoints(*clip::Find(offered, clip::kPlanPointArray));
      if (points->empty()) return 0;
      planedit::InsertPoints(plan, row, RouteOf(*points), !copyEffect);
      return kHintPlanChanged;
    }
    case DropKind::kFullPoint: {
      const PlanPoint point = FromFullPoint(*clip::ReadFullPoint(*clip::Find(offered, clip::kFullPoint)));
      planedit::InsertPoints(plan, row, RouteOf({&point, 1}), false);
      return kHintPlanChanged;
    }
  }
  return 0;
}

bool Paste(CFlightPlanCore& plan, std::string_view pointArray, const Selection& selection, int listRows) {
  const auto points = clip::ReadPlanPoints(pointArray);
  if (!points || points->empty()) return false;
  const int at = selection.focused >= 0 && selection.IsSelected(selection.focused) ? selection.focused : listRows;
  planedit::InsertPoints(plan, at, RouteOf(*points), false);
  return true;
}

bool DeleteSelection(CFlightPlanCore& plan, const Selection& selection) {
  int lastMarked = -1;
  int nextPoint = -1;  // route index of the point that comes out selected
  int removedBefore = 0;
  {
    DatabaseLease lease;
    for (int r : selection.selected) {
      PlanPoint* point = IsPlanRow(plan, r) ? plan.GetRowPoint(r) : nullptr;
      if (point == nullptr) continue;
      point->marked = 1;
      lastMarked = r;
    }
    const PlanRow* next = RowAt(plan, lastMarked < 0 ? 0 : lastMarked + 1);
    const CRoute* route = plan.GetCurrent();
    if (next != nullptr && next->pointIndex >= 0 && route != nullptr && next->pointIndex < route->GetCount() &&
        !(*route)[next->pointIndex].marked) {
      nextPoint = next->pointIndex;
      for (int i = 0; i < nextPoint; ++i) removedBefore += (*route)[i].marked ? 1 : 0;
    }
  }
  if (!planedit::DeleteMarked(plan)) return false;
  // The new-point byte goes onto the new snapshot only, so undo never brings a stale one back.
  if (nextPoint >= 0) {
    DatabaseLease lease;
    CRoute* route = plan.GetCurrent();
    const int at = nextPoint - removedBefore;
    if (route != nullptr && at < route->GetCount()) (*route)[at].isNew = 1;
  }
  return true;
}

bool CanRenameRow(const CFlightPlanCore& plan, int row) {
  const PlanPoint* point = RowPoint(plan, row);
  return point != nullptr && point->IsUserPoint();
}

bool RenameRow(CFlightPlanCore& plan, int row, std::string_view cp1252) {
  if (!CanRenameRow(plan, row) || cp1252.size() > kUserNameSize - 1 || !IsUsableFixName(cp1252)) return false;
  {
    DatabaseLease lease;
    PlanPoint* point = plan.GetRowPoint(row);
    point->marked = 1;
    point->isNew = 1;
  }
  planedit::RenamePoint(plan, cp1252);
  return true;
}

bool ToggleBearingPoints(CFlightPlanCore& plan, const Selection& selection) {
  bool anyBearing = false, anyFlown = false;
  {
    DatabaseLease lease;
    for (int r : selection.selected) {
      PlanPoint* point = IsPlanRow(plan, r) ? plan.GetRowPoint(r) : nullptr;
      if (point == nullptr || (point->Kind() & kBearingKinds) == 0) continue;
      point->marked = 1;
      point->isNew = 1;
      (point->IsBearing() ? anyBearing : anyFlown) = true;
    }
  }
  if (!anyBearing && !anyFlown) return false;
  // Only a selection without any bearing point becomes bearing points; a mixed one is cleared.
  return planedit::SetBearingPoint(plan, !anyBearing);
}

bool RowPosition(const CFlightPlanCore& plan, int row, double& latitude, double& longitude) {
  const PlanRow* r = RowAt(plan, row);
  if (r == nullptr) return false;
  latitude = r->latitude;
  longitude = r->longitude;
  return true;
}

search::MoveTarget MoveAircraftTarget(const CFlightPlanCore& plan, int row, bool onGround, const CSceneryDatabase& db) {
  search::MoveTarget t;
  if (!RowPosition(plan, row, t.latitude, t.longitude)) return t;
  if (!onGround) {
    t.act = true;
    return t;
  }
  const PlanPoint* point = RowPoint(plan, row);
  if (point == nullptr) return t;
  const NavPoint& key = point->ref.point;
  if (key.kind == kKindAirport) {
    if (const AirportRecord* airport = db.GetAirport(key)) {
      t.latitude = key.latitude;
      t.longitude = key.longitude;
      t.altitude = airport->altitude;
      t.act = true;
    }
  } else if (key.kind == kKindRunway) {
    if (const RunwayRecord* runway = db.GetRunway(key)) {
      t.latitude = key.latitude;
      t.longitude = key.longitude;
      t.altitude = runway->altitude;
      t.heading = BinaryAngleToDegrees(runway->heading);
      t.act = true;
    }
  }
  return t;
}

search::TowerTarget TowerViewTarget(const CFlightPlanCore& plan, int row, const SimSnapshot& sim,
                                    const CSceneryDatabase& db) {
  search::TowerTarget t;
  const PlanRow* r = RowAt(plan, row);
  if (r == nullptr) return t;
  t.latitude = r->latitude;
  t.longitude = r->longitude;
  const PlanPoint* point = RowPoint(plan, row);
  const auto beside = [&](double bearing, double elevation) {
    DestinationPoint(t.latitude, t.longitude, r->latitude, r->longitude, std::fmod(bearing + 315.0, 360.0),
                     kTowerDistance);
    t.altitude = elevation + kTowerHeight;
  };
  if (point != nullptr && (r->rowKind == kRowDeparture || r->rowKind == kRowDestination)) {
    const NavPoint& key = point->ref.point;
    if (key.kind == kKindAirport) {
      if (const AirportRecord* airport = db.GetAirport(key)) {
        beside(std::isfinite(sim.trueHeading) ? sim.trueHeading : 0.0, airport->altitude);
        return t;
      }
    } else if (key.kind == kKindRunway) {
      if (const RunwayRecord* runway = db.GetRunway(key)) {
        beside(BinaryAngleToDegrees(runway->heading), runway->altitude);
        return t;
      }
    }
  }
  t.askAltitude = true;
  const double feet = r->rowKind == kRowBearing ? sim.altitude : r->altitude;
  t.seedFeet = std::isfinite(feet) ? static_cast<int>(std::clamp(feet, 0.0, 99999.0)) : 0;
  return t;
}

}  // namespace planlist
