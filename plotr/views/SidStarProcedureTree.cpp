// The procedure tree of the SID/STAR browser and the replacement of a plan's procedure.
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "navdb/Geodesy.h"
#include "platform/ui/StringTable.h"
#include "platform/win/CLocale.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/Route.h"
#include "plotr/tools/SidStarStore.h"
#include "plotr/views/SidStarTreeModel.h"

namespace sidstar {

namespace {

bool InRange(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

int SideAirport(const PlanRow& row, bool isStar) { return isStar ? row.starAirport : row.sidAirport; }
int SideGroup(const PlanRow& row, bool isStar) { return isStar ? row.starGroup : row.sidGroup; }
int SideProcedure(const PlanRow& row, bool isStar) { return isStar ? row.starProcedure : row.sidProcedure; }

std::string GroupText(const CSidStarAirport& airport, const CSidStarFixGroup& group) {
  const double nm = GreatCircleDistance(airport.lat, airport.lon, group.lat, group.lon) / kMetresPerNm;
  char distance[48];
  {
    win::CLocaleScope c;
    std::snprintf(distance, sizeof distance, "%.1fnm", nm);
  }
  if (group.name.empty()) return group.ident + " -- " + distance;
  return group.ident + " -- " + group.name + " -- " + distance;
}

// The root of a row without procedures: the row's airport when it is a departure or destination
// field the database knows by ident and name, else the plain caption.
TreeNode NoProcedureRoot(const CFlightPlanCore& plan, int row) {
  TreeNode root;
  root.bold = true;
  root.image = kImageCatalogue;
  root.text = ui::LoadString(kTextNoRow);
  if (row < 0) return root;
  const PlanRow& r = plan.m_rows[static_cast<size_t>(row)];
  const PlanPoint* point = plan.GetRowPoint(row);
  const CRoute* route = plan.GetCurrent();
  if (!point || !route || (r.kind & (kKindAirport | kKindRunway)) == 0) return root;
  if (r.rowKind != kRowDeparture && r.rowKind != kRowDestination) return root;
  DatabaseLease lease;
  FullPoint airport;
  if (!route->FindAirportOf(airport, point->ref.point)) return root;
  const AirportRecord* record = lease.Database().GetAirport(airport.point);
  if (!record) return root;
  const std::string ident(record->Ident());
  const char* name = lease.Database().GetString(record->nameText);
  if (ident.empty() || !name || !*name) return root;
  root.text = std::string(r.rowKind == kRowDeparture ? "SIDs " : "STARs ") + ident + " -- " + name;
  root.image = kImageAirport;
  return root;
}

}  // namespace

std::optional<NodePath> CProcedureTreeModel::Rebuild(CSidStarStore& store, const CFlightPlanCore& plan, int row,
                                                     bool editor) {
  AddTreeStrings();
  m_roots.clear();
  m_row = InRange(row, plan.m_rows.size()) ? row : -1;
  const CRoute* route = plan.GetCurrent();
  const auto hasSide = [&](bool isStar) {
    return m_row >= 0 && route && InRange(SideAirport(plan.m_rows[static_cast<size_t>(m_row)], isStar), store.m_airports.size());
  };
  if (!hasSide(false) && !hasSide(true)) {
    m_roots.push_back(NoProcedureRoot(plan, m_row));
    return std::nullopt;
  }

  const PlanRow rowData = plan.m_rows[static_cast<size_t>(m_row)];
  std::optional<NodePath> current;
  for (const bool isStar : {false, true}) {
    if (!hasSide(isStar)) continue;
    const int airport = SideAirport(rowData, isStar);
    store.LoadAirport(airport, *route);
    const CSidStarAirport& a = store.m_airports[static_cast<size_t>(airport)];
    const CSidStarList& list = isStar ? a.stars : a.sids;

    TreeNode root;
    root.text = std::string(isStar ? "STARs " : "SIDs ") + a.id + " -- " + a.name;
    if (editor) {
      size_t procedures = 0;
      for (const CSidStarFixGroup& g : list.groups) procedures += g.procedures.size();
      root.text += " -- " + std::to_string(procedures);
    }
    root.image = kImageAirport;
    root.bold = true;
    root.expanded = true;
    root.hasRef = true;
    root.ref = SidStarRefClip{m_row, static_cast<uint8_t>(isStar), airport, -1, -1, -1};

    for (int g = 0; g < static_cast<int>(list.groups.size()); ++g) {
      const CSidStarFixGroup& group = list.groups[static_cast<size_t>(g)];
      TreeNode node;
      node.text = GroupText(a, group);
      node.image = SectorImage(InitialCourse(a.lat, a.lon, group.lat, group.lon));
      node.bold = g == SideGroup(rowData, isStar);
      node.hasButton = !group.procedures.empty();
      node.hasRef = true;
      node.ref = SidStarRefClip{m_row, static_cast<uint8_t>(isStar), airport, g, -1, -1};
      root.children.push_back(std::move(node));
    }
    // Groups read in text order; equal texts both stay.
    std::stable_sort(root.children.begin(), root.children.end(),
                     [](const TreeNode& x, const TreeNode& y) { return x.text < y.text; });
    m_roots.push_back(std::move(root));

    const int rootIndex = static_cast<int>(m_roots.size()) - 1;
    const std::vector<TreeNode>& groups = m_roots.back().children;
    for (int i = 0; i < static_cast<int>(groups.size()); ++i) {
      if (!groups[static_cast<size_t>(i)].bold) continue;
      const NodePath groupPath{rootIndex, i};
      if (!Expand(groupPath, store, plan)) break;
      const TreeNode* group = NodeAt(m_roots, groupPath);
      for (int p = 0; p < static_cast<int>(group->children.size()); ++p) {
        if (group->children[static_cast<size_t>(p)].bold) current = NodePath{rootIndex, i, p};
      }
      break;
    }
  }
  return current;
}

bool CProcedureTreeModel::Expand(const NodePath& path, CSidStarStore& store, const CFlightPlanCore& plan) {
  TreeNode* node = NodeAt(m_roots, path);
  if (!node) return false;
  if (!node->hasRef || !IsGroupRef(node->ref)) {
    node->expanded = true;
    return true;
  }
  const SidStarRefClip ref = node->ref;
  if (const CRoute* route = plan.GetCurrent(); route && InRange(ref.airport, store.m_airports.size()))
    store.LoadAirport(ref.airport, *route);
  const CSidStarFixGroup* group = Resolve(store, ref).group;
  if (!group) return false;
  const bool star = ref.isStar != 0;
  const PlanRow* row = InRange(ref.row, plan.m_rows.size()) ? &plan.m_rows[static_cast<size_t>(ref.row)] : nullptr;
  node->children.clear();
  for (int p = 0; p < group->GetProcedureCount(); ++p) {
    const CSidStarProcedure& procedure = group->procedures[static_cast<size_t>(p)];
    TreeNode item;
    item.text = procedure.id + " -- Rwy " + procedure.runway;
    item.image = star ? kImageStar : kImageSid;
    item.bold = row && SideAirport(*row, star) == ref.airport && SideGroup(*row, star) == ref.group &&
                SideProcedure(*row, star) == p;
    item.hasRef = true;
    item.ref = ref;
    item.ref.procedure = p;
    for (int w = 0; w < static_cast<int>(procedure.waypoints.size()); ++w) {
      const CSidStarWaypoint& waypoint = procedure.waypoints[static_cast<size_t>(w)];
      TreeNode leaf;
      leaf.text = std::string(waypoint.Ident());
      leaf.image = WaypointImage(waypoint.type);
      leaf.overlay = (waypoint.flags & kSidStarBearing) != 0;
      leaf.hasRef = true;
      leaf.ref = item.ref;
      leaf.ref.waypoint = w;
      item.children.push_back(std::move(leaf));
    }
    node->children.push_back(std::move(item));
  }
  node->expanded = true;
  return true;
}

bool CProcedureTreeModel::Collapse(const NodePath& path) {
  if (path == NodePath{0}) return false;
  TreeNode* node = NodeAt(m_roots, path);
  if (!node) return false;
  node->expanded = false;
  // A closed group drops its procedures; the next opening makes them again.
  if (node->hasRef && IsGroupRef(node->ref)) node->children.clear();
  return true;
}

// ---- Replacing the plan's procedure ----------------------------------------------------------------

std::optional<std::vector<int>> ReplaceRun(const CFlightPlanCore& plan, const CSidStarStore& store,
                                           const SidStarRefClip& ref) {
  const std::vector<PlanRow>& rows = plan.m_rows;
  if (!IsProcedureRef(ref) || !Resolve(store, ref).procedure || !InRange(ref.row, rows.size())) return std::nullopt;
  const bool star = ref.isStar != 0;
  const auto inRun = [&](int r) { return SideAirport(rows[static_cast<size_t>(r)], star) == ref.airport; };
  if (!inRun(ref.row)) return std::nullopt;
  int last = ref.row;
  while (last + 1 < static_cast<int>(rows.size()) && inRun(last + 1)) ++last;
  int first = last;
  while (first > 0 && inRun(first - 1)) --first;
  std::vector<int> run;
  for (int r = first; r <= last; ++r) run.push_back(r);
  return run;
}

bool ReplaceProcedure(CFlightPlanCore& plan, CSidStarStore& store, const SidStarRefClip& ref) {
  const std::optional<std::vector<int>> run = ReplaceRun(plan, store, ref);
  if (!run || run->empty()) return false;
  CRoute procedure;
  procedure.m_points.clear();
  if (!store.InsertIntoPlan(procedure, ref.isStar != 0, ref.airport, ref.group, ref.procedure, true)) return false;
  planedit::ClearMarks(plan);
  {
    DatabaseLease lease;
    for (int r : *run) {
      if (PlanPoint* point = plan.GetRowPoint(r)) point->marked = 1;
    }
  }
  planedit::InsertPoints(plan, run->front(), procedure, true);
  return true;
}

}  // namespace sidstar
