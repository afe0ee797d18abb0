#include "plotr/plan/PlanEdits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <mutex>
#include <string>

#include "navdb/Geodesy.h"
#include "platform/flpx/Flpx.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanDialogForms.h"
#include "plotr/plan/PlanRecords.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/plan/ToolDialogs.h"

namespace planedit {

// Taken as a whole under the lock so the map's drawing thread never sees the route and the
// rows disagree.
void Commit(CFlightPlanCore& plan, const CRoute& route) {
  DatabaseLease lease;
  plan.Push(route);
  plan.Rebuild();
}

namespace {

// A loaded, new or reopened plan: no undo across it.
void Replace(CFlightPlanCore& plan, const CRoute& route) {
  DatabaseLease lease;
  plan.Clear();
  plan.Push(route);
  plan.Rebuild();
}

uint32_t ManualFrom(int32_t set, int32_t value) {
  return ((set & 1) ? kManualValueGiven : 0u) | (static_cast<uint32_t>(value) & ~kManualValueGiven);
}

uint32_t WithFlag(uint32_t flags, uint32_t bit, int32_t on) {
  return (on & 1) ? (flags | bit) : (flags & ~bit);
}

// Copy of the current route for an operation on the marked waypoints; the current route loses
// its marks.
CRoute MarkedCopy(CFlightPlanCore& plan) {
  CRoute copy = *plan.GetCurrent();
  ClearMarks(plan);
  return copy;
}

// Applies `edit` to each marked user point (other marked points only lose their marks), then
// commits even when nothing was marked.
template <typename Edit>
void EditMarkedUserPoints(CFlightPlanCore& plan, Edit edit) {
  CRoute copy = MarkedCopy(plan);
  for (int i = copy.GetCount() - 1; i >= 0; --i) {
    if (!copy[i].marked) continue;
    copy[i].marked = 0;
    if (!copy[i].IsUserPoint()) continue;
    PlanPoint point = copy[i];
    edit(point);
    copy.SetPoint(i, point);
  }
  Commit(plan, copy);
}

}  // namespace

void NewPlan(CFlightPlanCore& plan, uint16_t& format) {
  CRoute copy = *plan.GetCurrent();
  copy.Clear(format);
  Replace(plan, copy);
}

int LoadPlan(CFlightPlanCore& plan, uint16_t& format, archive::File& file) {
  CRoute copy = *plan.GetCurrent();
  uint16_t loadedFormat = format;
  const int dropped = copy.Load(loadedFormat, file);
  format = loadedFormat;
  Replace(plan, copy);
  ShowWaypointsRemoved(plan.Ui(), dropped);
  return dropped;
}

void SavePlan(CFlightPlanCore& plan, archive::File& file, uint16_t format) {
  const CRoute& route = *plan.GetCurrent();
  FlpxPlanInfo info{};
  info.size = kFlpxPlanInfoSize;
  GetPlanInfo(route, &info);
  route.Save(file, info, format);
}

namespace {

// A route dialog on a copy; on OK the matched procedures go back in and the copy is committed.
int RunRouteDialog(CFlightPlanCore& plan, bool (CRoute::*dialog)(IToolDialogs*)) {
  CRoute copy = *plan.GetCurrent();
  if (!(copy.*dialog)(plan.Dialogs())) return -1;
  plan.ReapplyProcedures(copy);
  Commit(plan, copy);
  return copy.GetCount() > 0 ? 1 : 0;
}

}  // namespace

int SelectAircraft(CFlightPlanCore& plan) {
  return RunRouteDialog(plan, &CRoute::SelectAircraft);
}

int SetCruise(CFlightPlanCore& plan) {
  return RunRouteDialog(plan, &CRoute::SetCruise);
}

void Refresh(CFlightPlanCore& plan) {
  DatabaseLease lease;
  plan.Rebuild();
}

bool RemoveAutoRoute(CFlightPlanCore& plan) {
  CRoute copy = *plan.GetCurrent();
  bool removed = false;
  for (int i = copy.GetCount() - 1; i >= 0; --i) {
    if (copy[i].flags & (kPointBearing | kPointAutoRoute)) {
      copy.RemovePoint(i);
      removed = true;
    }
  }
  if (removed) Commit(plan, copy);
  return removed;
}

void InsertPoints(CFlightPlanCore& plan, int row, const CRoute& points, bool removeMarked) {
  PlanWaitCursor wait(plan.Ui());
  CRoute copy = MarkedCopy(plan);

  int position = copy.GetCount();
  if (row >= 0) {
    for (size_t r = static_cast<size_t>(row); r < plan.m_rows.size(); ++r) {
      if (plan.m_rows[r].pointIndex >= 0) {
        position = std::min(plan.m_rows[r].pointIndex, copy.GetCount());
        break;
      }
    }
  }

  for (int i = copy.GetCount() - 1; i >= 0; --i) {
    if (!copy[i].marked) continue;
    if (removeMarked) {
      copy.RemovePoint(i);
      if (i < position) --position;
    } else {
      copy[i].marked = 0;
    }
  }

  {
    DatabaseLease lease;
    for (int k = points.GetCount() - 1; k >= 0; --k) {
      PlanPoint point = points[k];
      point.isNew = 1;
      // A copy may arrive marked (outside data, or a source that marked before copying); left
      // marked it would be deleted by the drag source's DeleteMarked after a move.
      point.marked = 0;
      FullPoint found;
      if ((point.Kind() & kKindUserPoint) != 0 || copy.Resolve(found, point.ref.point)) {
        copy.InsertPoint(position, point);
      }
    }
  }
  Commit(plan, copy);
}

void AppendPoints(CFlightPlanCore& plan, const CRoute& points, bool removeMarked) {
  InsertPoints(plan, static_cast<int>(plan.m_rows.size()), points, removeMarked);
}

void SetPointSettings(CFlightPlanCore& plan, int32_t altitudeAtSet, int32_t altitudeAt, int32_t speedSet,
                      int32_t speed, int32_t altitudeAfterSet, int32_t altitudeAfter, int32_t flyOver,
                      int32_t altitudeEnds, int32_t speedEnds, double latitude, double longitude) {
  CRoute copy = MarkedCopy(plan);
  for (int i = copy.GetCount() - 1; i >= 0; --i) {
    if (!copy[i].marked) continue;
    PlanPoint point = copy[i];
    point.marked = 0;
    if (point.Kind() == kKindUserPoint) {
      point.ref.point.latitude = static_cast<float>(latitude);
      point.ref.point.longitude = static_cast<float>(longitude);
    }
    point.altitude1 = ManualFrom(altitudeAtSet, altitudeAt);
    point.speed = ManualFrom(speedSet, speed);
    point.altitude2 = ManualFrom(altitudeAfterSet, altitudeAfter);
    point.flags = WithFlag(point.flags, kPointFlyOver, flyOver);
    point.flags = WithFlag(point.flags, kPointAltitudeOption, altitudeEnds);
    point.flags = WithFlag(point.flags, kPointSpeedOption, speedEnds);
    copy.SetPoint(i, point);
  }
  Commit(plan, copy);
}

bool SetBearingPoint(CFlightPlanCore& plan, bool set) {
  CRoute copy = MarkedCopy(plan);
  bool any = false;
  for (int i = copy.GetCount() - 1; i >= 0; --i) {
    PlanPoint& point = copy[i];
    if (!point.marked) continue;
    point.marked = 0;
    any = true;
    if (set) {
      point.flags |= kPointBearing;
      point.altitude1 &= ~kManualValueGiven;
      point.altitude2 &= ~kManualValueGiven;
      point.speed &= ~kManualValueGiven;
      point.flags &= ~(kPointAutoRoute | kPointFlyOver | kPointAltitudeOption | kPointSpeedOption);
    } else {
      point.flags &= ~kPointBearing;
    }
  }
  if (any) Commit(plan, copy);
  return any;
}

bool DeleteMarked(CFlightPlanCore& plan) {
  CRoute copy = MarkedCopy(plan);
  bool any = false;
  for (int i = copy.GetCount() - 1; i >= 0; --i) {
    if (copy[i].marked) {
      copy.RemovePoint(i);
      any = true;
    }
  }
  if (any) Commit(plan, copy);
  return any;
}

void RenamePoint(CFlightPlanCore& plan, std::string_view name) {
  EditMarkedUserPoints(plan, [name](PlanPoint& point) { SetFixedText(point.userName, sizeof point.userName, name); });
}

void MovePoint(CFlightPlanCore& plan, double latitude, double longitude) {
  EditMarkedUserPoints(plan, [latitude, longitude](PlanPoint& point) {
    point.ref.point.latitude = static_cast<float>(latitude);
    point.ref.point.longitude = static_cast<float>(longitude);
  });
}

void ClearMarks(CFlightPlanCore& plan) {
  DatabaseLease lease;
  if (CRoute* route = plan.GetCurrent()) {
    for (PlanPoint& p : route->m_points) p.marked = 0;
  }
}

void ClearNewFlags(CFlightPlanCore& plan) {
  DatabaseLease lease;
  if (CRoute* route = plan.GetCurrent()) {
    for (PlanPoint& p : route->m_points) p.isNew = 0;
  }
}

bool DefineHolding(CFlightPlanCore& plan, double latitude, double longitude) {
  if (plan.IsHoldingActive()) return false;
  IToolDialogs* dialogs = plan.Dialogs();
  if (!dialogs) return false;
  HoldingDialogValues v = HoldingDialogDefaults();
  const HoldingDefinition& old = plan.m_holding;
  const SimSnapshot& sim = plan.Simulator();
  if (old.defined && std::fabs(latitude - old.latitude) < 1 && std::fabs(longitude - old.longitude) < 1 &&
      GreatCircleDistance(latitude, longitude, old.latitude, old.longitude) < kMetresPerNm) {
    v.headingMode = old.headingMode;
    v.heading = old.heading;
    v.turnDirection = old.turnDirection;
    v.segmentKind = old.segmentKind;
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, old.segmentLength);
    v.segmentLength = ec == std::errc() ? std::string(text, end) : v.segmentLength;
  } else if (!sim.onGround && sim.groundSpeed > 10) {
    const double variation = plan.GetCurrent()->MagneticVariation(latitude, longitude);
    v.heading = static_cast<int>(std::fmod(variation + sim.track + 360, 360));
  }
  if (!dialogs->RunHoldingDialog(v)) return false;
  // Read as the dialog reads it; a length it would refuse defines nothing.
  const std::optional<double> length = ParseHoldingLength(v.segmentLength);
  if (!length) return false;
  const double variation = plan.GetCurrent()->MagneticVariation(latitude, longitude);
  DatabaseLease lease;
  HoldingDefinition& h = plan.m_holding;
  h.defined = 1;
  h.latitude = static_cast<float>(latitude);
  h.longitude = static_cast<float>(longitude);
  h.headingMode = v.headingMode;
  h.heading = v.heading;
  h.turnDirection = v.turnDirection;
  h.segmentKind = v.segmentKind;
  h.segmentLength = *length;
  h.variation = variation;
  return true;
}

uint8_t UndoLocked(CFlightPlanCore& plan) {
  DatabaseLease lease;
  return plan.Undo();
}

uint8_t RedoLocked(CFlightPlanCore& plan) {
  DatabaseLease lease;
  return plan.Redo();
}

}  // namespace planedit
