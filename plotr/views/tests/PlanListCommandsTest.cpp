// The plan list's edits and command rules on the plan tests' neighbourhood and trip: drag and
// drop inside the list, the clipboard, delete, rename, bearing points, SID/STAR drops and the
// rows that are no plan rows.

#include "plotr/views/PlanListCommands.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/PlanEdits.h"
#include "plotr/plan/SimSnapshot.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/testing/FakeSidStarStore.h"

namespace {

using namespace plantest;
using namespace planlist;

class PlanListCommandsTest : public ::testing::Test {
 protected:
  PlanListCommandsTest() : m_folder("planlist") {
    DatabaseLease lease;
    BuildPlanDatabase(lease.Database());
    m_trip = TripRoute();
    Fly(m_trip);
  }
  ~PlanListCommandsTest() override {
    DatabaseLease lease;
    lease.Database().ClearDatabase();
  }

  void Fly(const CRoute& route) {
    DatabaseLease lease;
    m_plan.Clear();
    m_plan.Push(route);
    m_plan.Rebuild();
  }
  int RowOfPoint(int point) const {
    for (size_t i = 0; i < m_plan.m_rows.size(); ++i) {
      if (m_plan.m_rows[i].pointIndex == point && !m_plan.m_rows[i].IsPseudo()) return static_cast<int>(i);
    }
    return -1;
  }
  int ListRows() const { return static_cast<int>(m_plan.m_rows.size()) + 1; }
  int TotalRow() const { return static_cast<int>(m_plan.m_rows.size()); }
  // The current route as indices into the trip (-1 for a point the trip does not hold).
  std::vector<int> Order() const {
    std::vector<int> out;
    const CRoute& route = *m_plan.GetCurrent();
    for (int i = 0; i < route.GetCount(); ++i) {
      int found = -1;
      for (int k = 0; k < m_trip.GetCount(); ++k) {
        if (m_trip[k].ref.point == route[i].ref.point) found = k;
      }
      out.push_back(found);
    }
    return out;
  }
  int Marked() const {
    int n = 0;
    for (const PlanPoint& p : m_plan.GetCurrent()->m_points) n += p.marked;
    return n;
  }
  std::vector<int> NewPoints() const {
    std::vector<int> out;
    const CRoute& route = *m_plan.GetCurrent();
    for (int i = 0; i < route.GetCount(); ++i) {
      if (route[i].isNew) out.push_back(i);
    }
    return out;
  }
  Selection Rows(std::vector<int> rows, int focused = -1) { return Selection{std::move(rows), focused}; }

  ScopedPlanFolder m_folder;
  CFlightPlanCore m_plan;
  CRoute m_trip;
  FakeSidStarStore m_store;
  SimSnapshot m_sim{};
};

TEST_F(PlanListCommandsTest, DragMoveInsideTheListMovesThePointsOnceInOneStep) {
  const int snapshots = m_plan.GetSnapshotCount();
  // The VOR and the intersection go before Basel's runway.
  const DragStart drag = BeginDrag(m_plan, Rows({RowOfPoint(2), RowOfPoint(4)}), m_sim, true);
  ASSERT_FALSE(drag.data.empty());
  EXPECT_EQ(6032u, drag.statusId);
  EXPECT_EQ(nullptr, clip::Find(drag.data, clip::kHeading)) << "two points offer no heading";
  EXPECT_EQ(2, Marked());
  const auto payload = clip::ReadPlanPoints(*clip::Find(drag.data, clip::kPlanPointArray));
  ASSERT_TRUE(payload && payload->size() == 2);
  EXPECT_EQ(0, (*payload)[0].marked) << "copied before marking";

  const DropJudgement judged = JudgeDrop(drag.data, m_plan, m_store, RowOfPoint(7), false);
  EXPECT_EQ(DropKind::kPoints, judged.kind);
  EXPECT_FALSE(judged.copy);
  EXPECT_EQ(kHintPlanChanged, Drop(m_plan, m_store, drag.data, RowOfPoint(7), false, false));
  EXPECT_FALSE(EndDrag(m_plan, true)) << "the drop already removed the originals";
  EXPECT_EQ((std::vector<int>{0, 1, 3, 5, 6, 2, 4, 7, 8}), Order());
  EXPECT_EQ(snapshots + 1, m_plan.GetSnapshotCount());
  EXPECT_EQ(0, Marked());
  EXPECT_EQ((std::vector<int>{5, 6}), NewPoints());
}

TEST_F(PlanListCommandsTest, DragWithCtrlCopiesAndLeavesNoMarks) {
  const DragStart drag = BeginDrag(m_plan, Rows({RowOfPoint(4)}), m_sim, true);
  EXPECT_EQ(6033u, drag.statusId) << "an intersection offers a heading only";
  ASSERT_NE(nullptr, clip::Find(drag.data, clip::kHeading));
  const DropJudgement judged = JudgeDrop(drag.data, m_plan, m_store, 0, true);
  EXPECT_TRUE(judged.copy);
  EXPECT_EQ(kHintPlanChanged, Drop(m_plan, m_store, drag.data, 0, true, true));
  EXPECT_FALSE(EndDrag(m_plan, false));
  EXPECT_EQ((std::vector<int>{4, 0, 1, 2, 3, 4, 5, 6, 7, 8}), Order());
  EXPECT_EQ(0, Marked());
}

TEST_F(PlanListCommandsTest, MarkedPayloadsNeverSurviveTheirInsertion) {
  // Outside data may carry the mark byte; a move's source must not delete the dropped copy.
  PlanPoint marked = m_trip[4];
  marked.marked = 1;
  const clip::ClipData data = {{clip::kPlanPointArray, clip::WritePlanPoints({&marked, 1})}};
  Drop(m_plan, m_store, data, TotalRow(), false, false);
  EXPECT_EQ(0, Marked());
  EXPECT_FALSE(EndDrag(m_plan, true));
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 4}), Order());
}

TEST_F(PlanListCommandsTest, DropsBelowTheRowsAppendAndOnPseudoRowsInsertBeforeTheNextWaypoint) {
  PlanPoint extra = UserPoint(47.0, 7.0, "NEWPT");
  const clip::ClipData data = {{clip::kPlanPointArray, clip::WritePlanPoints({&extra, 1})}};
  for (int row : {TotalRow(), TotalRow() + 1}) {
    Fly(m_trip);
    Drop(m_plan, m_store, data, row, false, true);
    const CRoute& route = *m_plan.GetCurrent();
    ASSERT_EQ(10, route.GetCount());
    EXPECT_EQ(extra.ref.point.latitude, route[9].ref.point.latitude) << row;
  }
  Fly(m_trip);
  int pseudo = -1;
  for (size_t i = 1; i < m_plan.m_rows.size() && pseudo < 0; ++i) {
    if (m_plan.m_rows[i].IsPseudo()) pseudo = static_cast<int>(i);
  }
  ASSERT_GT(pseudo, 0) << "the trip climbs";
  int next = pseudo;
  while (m_plan.m_rows[static_cast<size_t>(next)].pointIndex < 0) ++next;
  const int before = m_plan.m_rows[static_cast<size_t>(next)].pointIndex;
  Drop(m_plan, m_store, data, pseudo, false, true);
  EXPECT_EQ(extra.ref.point.latitude, (*m_plan.GetCurrent())[before].ref.point.latitude);

  // A full point from the map or the search list is inserted as a fresh waypoint.
  Fly(m_trip);
  FullPoint vor = m_trip[2].ref;
  const clip::ClipData full = {{clip::kFullPoint, clip::WriteFullPoint(vor)}};
  const DropJudgement judged = JudgeDrop(full, m_plan, m_store, 0, false);
  EXPECT_EQ(DropKind::kFullPoint, judged.kind);
  EXPECT_TRUE(judged.copy);
  EXPECT_EQ(kHintPlanChanged, Drop(m_plan, m_store, full, 0, false, true));
  EXPECT_EQ(2, Order()[0]);
}

TEST_F(PlanListCommandsTest, DeleteSelectsThePointAfterTheDeletedRows) {
  // Three rows in a row with a point each, and a point after them.
  int first = -1;
  for (int r = 0; r + 3 < TotalRow() && first < 0; ++r) {
    bool all = true;
    for (int k = 0; k < 4; ++k) all = all && m_plan.m_rows[static_cast<size_t>(r + k)].pointIndex >= 0;
    if (all) first = r;
  }
  ASSERT_GE(first, 0);
  const int nextPoint = m_plan.m_rows[static_cast<size_t>(first + 3)].pointIndex;
  const NavPoint next = (*m_plan.GetCurrent())[nextPoint].ref.point;
  ASSERT_TRUE(DeleteSelection(m_plan, Rows({first, first + 1, first + 2})));
  const CRoute& route = *m_plan.GetCurrent();
  EXPECT_EQ(6, route.GetCount());
  const std::vector<int> fresh = NewPoints();
  ASSERT_EQ(1u, fresh.size());
  EXPECT_EQ(next, route[fresh[0]].ref.point);
  EXPECT_EQ(0, Marked());
  // Undo brings the points back without a stale new-point byte.
  planedit::UndoLocked(m_plan);
  planedit::Refresh(m_plan);
  EXPECT_TRUE(NewPoints().empty());
  EXPECT_EQ(9, m_plan.GetCurrent()->GetCount());

  // The last rows leave nothing after them: the refill falls back to row 0.
  Fly(m_trip);
  ASSERT_TRUE(DeleteSelection(m_plan, Rows({RowOfPoint(7), RowOfPoint(8), TotalRow()})));
  EXPECT_EQ(7, m_plan.GetCurrent()->GetCount());
  EXPECT_TRUE(NewPoints().empty());
  EXPECT_FALSE(DeleteSelection(m_plan, Rows({TotalRow()}))) << "the total row holds nothing";
}

TEST_F(PlanListCommandsTest, CopyAndPaste) {
  const clip::ClipData copied = CopySelection(m_plan, Rows({RowOfPoint(0), RowOfPoint(2), RowOfPoint(4)}), m_sim);
  ASSERT_EQ(2u, copied.size());
  const std::string text = *clip::Find(copied, clip::kText);
  EXPECT_EQ('\0', text.back());
  size_t blocks = 0;
  for (size_t at = text.find("\r\n\r\n"); at != std::string::npos; at = text.find("\r\n\r\n", at + 4)) ++blocks;
  EXPECT_EQ(3u, blocks) << "each description followed by an empty line";
  EXPECT_NE(std::string::npos, text.find("KLO"));
  EXPECT_TRUE(CopySelection(m_plan, Rows({TotalRow()}), m_sim).empty());

  const std::string& points = *clip::Find(copied, clip::kPlanPointArray);
  // Focused but not selected: appended.
  ASSERT_TRUE(Paste(m_plan, points, Rows({0}, RowOfPoint(3)), ListRows()));
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 2, 4}), Order());
  // Focused and selected: before that row's waypoint.
  Fly(m_trip);
  ASSERT_TRUE(Paste(m_plan, points, Rows({RowOfPoint(3)}, RowOfPoint(3)), ListRows()));
  EXPECT_EQ((std::vector<int>{0, 1, 2, 0, 2, 4, 3, 4, 5, 6, 7, 8}), Order());
  const int steps = m_plan.GetSnapshotCount();
  EXPECT_FALSE(Paste(m_plan, points.substr(0, points.size() - 1), Rows({}), ListRows()));
  EXPECT_EQ(steps, m_plan.GetSnapshotCount());
}

TEST_F(PlanListCommandsTest, RenameOnlyUserPointsWithinFiveBytes) {
  EXPECT_FALSE(CanRenameRow(m_plan, RowOfPoint(2)));
  EXPECT_FALSE(RenameRow(m_plan, RowOfPoint(2), "ABC"));
  EXPECT_FALSE(CanRenameRow(m_plan, TotalRow()));
  const int home = RowOfPoint(5);
  EXPECT_TRUE(CanRenameRow(m_plan, home));
  EXPECT_FALSE(RenameRow(m_plan, home, "TOOLONG"));
  const int steps = m_plan.GetSnapshotCount();
  ASSERT_TRUE(RenameRow(m_plan, home, "LAKE"));
  EXPECT_EQ(steps + 1, m_plan.GetSnapshotCount());
  FixName name{};
  const CRoute& route = *m_plan.GetCurrent();
  ASSERT_TRUE(route.LookupUserFixName(route[5].FixId(), name));
  EXPECT_EQ("LAKE", FixNameText(name));
  EXPECT_EQ((std::vector<int>{5}), NewPoints()) << "the renamed point stays selected";
  EXPECT_EQ(0, Marked());

  // Names a procedure file could not hold again are refused and change nothing.
  for (const char* refused : {"A:B", ":", "   ", "\t", "A\r\nB", "A\x7f"}) {
    SCOPED_TRACE(testing::PrintToString(refused));
    EXPECT_FALSE(RenameRow(m_plan, home, refused));
    EXPECT_EQ(steps + 1, m_plan.GetSnapshotCount());
  }
  ASSERT_TRUE(RenameRow(m_plan, home, "A B"));
  ASSERT_TRUE(m_plan.GetCurrent()->LookupUserFixName((*m_plan.GetCurrent())[5].FixId(), name));
  EXPECT_EQ("A B", FixNameText(name));
}

TEST_F(PlanListCommandsTest, BearingPointToggle) {
  // The NDB is a bearing point, the VOR is flown: mixed, so both are cleared.
  const Selection both = Rows({RowOfPoint(2), RowOfPoint(3), RowOfPoint(4)});
  {
    DatabaseLease lease;
    const CommandStates s = ListCommandStates(m_plan, both, ListRows(), m_sim, 70, false);
    EXPECT_TRUE(s.bearingPoint);
    EXPECT_EQ(2, s.bearingCheck);
  }
  ASSERT_TRUE(ToggleBearingPoints(m_plan, both));
  for (const PlanPoint& p : m_plan.GetCurrent()->m_points) EXPECT_FALSE(p.IsBearing());
  // None set: both become bearing points.
  const Selection again = Rows({RowOfPoint(2), RowOfPoint(3)});
  ASSERT_TRUE(ToggleBearingPoints(m_plan, again));
  EXPECT_TRUE((*m_plan.GetCurrent())[2].IsBearing());
  EXPECT_TRUE((*m_plan.GetCurrent())[3].IsBearing());
  EXPECT_FALSE(ToggleBearingPoints(m_plan, Rows({RowOfPoint(4), TotalRow()}))) << "no navaid selected";
}

TEST_F(PlanListCommandsTest, CommandRulesAndTheRowsThatAreNoPlanRows) {
  m_sim.autopilotAvailable = true;
  m_sim.flyToPossible = true;
  DatabaseLease lease;
  for (int row : {TotalRow(), TotalRow() + 1, -1}) {
    const CommandStates s = ListCommandStates(m_plan, Rows({row}, row), ListRows(), m_sim, 70, false);
    EXPECT_FALSE(s.manualSettings || s.bearingPoint || s.holding || s.flyPlanFromHere || s.flyTo ||
                 s.moveAircraft || s.towerView || s.editSelection || s.centerMap)
        << row;
    EXPECT_TRUE(s.selectAll);
  }
  const CommandStates vor = ListCommandStates(m_plan, Rows({RowOfPoint(2)}, RowOfPoint(2)), ListRows(), m_sim, 70, true);
  EXPECT_TRUE(vor.manualSettings && vor.flyPlanFromHere && vor.flyTo && vor.moveAircraft && vor.towerView &&
              vor.editSelection && vor.centerMap && vor.holding && vor.paste && vor.bearingPoint);
  EXPECT_EQ(0, vor.bearingCheck);
  EXPECT_EQ(RowOfPoint(2), vor.manualSettingsRow);

  // A bearing row has no manual settings and is not flown from; the destination has no settings.
  const CommandStates ndb = ListCommandStates(m_plan, Rows({RowOfPoint(3)}, RowOfPoint(3)), ListRows(), m_sim, 70, false);
  EXPECT_FALSE(ndb.manualSettings || ndb.flyPlanFromHere || ndb.paste);
  EXPECT_EQ(1, ndb.bearingCheck);
  int destination = 0;
  while (destination < TotalRow() && m_plan.m_rows[static_cast<size_t>(destination)].rowKind != kRowDestination) {
    ++destination;
  }
  ASSERT_LT(destination, TotalRow());
  EXPECT_FALSE(ListCommandStates(m_plan, Rows({destination}, destination), ListRows(), m_sim, 70, false).manualSettings);

  // On the ground the aircraft moves only to airports and runways, and not from version 90.
  m_sim.onGround = true;
  EXPECT_FALSE(ListCommandStates(m_plan, Rows({}, RowOfPoint(2)), ListRows(), m_sim, 70, false).moveAircraft);
  EXPECT_TRUE(ListCommandStates(m_plan, Rows({}, RowOfPoint(0)), ListRows(), m_sim, 70, false).moveAircraft);
  EXPECT_FALSE(ListCommandStates(m_plan, Rows({}, RowOfPoint(0)), ListRows(), m_sim, 90, false).moveAircraft);
  // A holding being flown refuses another.
  m_sim.holdingState = 1;
  EXPECT_FALSE(ListCommandStates(m_plan, Rows({RowOfPoint(2)}), ListRows(), m_sim, 70, false).holding);
  m_sim.autopilotAvailable = false;
  EXPECT_FALSE(ListCommandStates(m_plan, Rows({}, RowOfPoint(2)), ListRows(), m_sim, 70, false).flyPlanFromHere);
}

class SidStarDropTest : public PlanListCommandsTest {
 protected:
  SidStarDropTest() {
    CSidStarAirport airport;
    airport.id = "LSZH";
    CSidStarFixGroup group;
    group.procedures.resize(2);
    airport.sids.groups.push_back(group);
    airport.stars.groups.push_back(group);
    m_store.m_airports.push_back(airport);
    m_store.insert = [this](CRoute& route, bool star, int airport, int group, int procedure) {
      ++m_inserts;
      m_lastStar = star;
      EXPECT_EQ(0, airport);
      EXPECT_EQ(0, group);
      EXPECT_EQ(1, procedure);
      route.AddPoint(UserPoint(47.47, 8.40, "SIDA"));
      route.AddPoint(UserPoint(47.44, 8.30, "SIDB"));
      return true;
    };
    // Rows 0 to 2 (the airport, the ILS, the VOR) fly catalogue airport 0's SID.
    for (int point : {0, 1, 2}) m_plan.m_rows[static_cast<size_t>(RowOfPoint(point))].sidAirport = 0;
    for (int r = RowOfPoint(0); r <= RowOfPoint(2); ++r) m_plan.m_rows[static_cast<size_t>(r)].sidAirport = 0;
    m_plan.m_rows[static_cast<size_t>(RowOfPoint(7))].starAirport = 0;
  }
  clip::ClipData Ref(bool star, int procedure) {
    clip::SidStarRefClip ref;
    ref.isStar = star ? 1 : 0;
    ref.airport = 0;
    ref.group = 0;
    ref.procedure = procedure;
    return {{clip::kSidStar, clip::WriteSidStar(ref)}};
  }
  int m_inserts = 0;
  bool m_lastStar = false;
};

TEST_F(SidStarDropTest, ProcedureReplacesTheRunOfItsAirport) {
  const int target = RowOfPoint(1);
  const DropJudgement judged = JudgeDrop(Ref(false, 1), m_plan, m_store, target, false);
  EXPECT_EQ(DropKind::kSidStar, judged.kind);
  EXPECT_TRUE(judged.copy);
  EXPECT_EQ(kHintPlanChangedKeepSelection, Drop(m_plan, m_store, Ref(false, 1), target, false, true));
  EXPECT_EQ(1, m_inserts);
  EXPECT_FALSE(m_lastStar);
  EXPECT_EQ(std::vector<bool>{true}, m_store.insertReports) << "the user hears of waypoints the scenery lacks";
  const CRoute& route = *m_plan.GetCurrent();
  ASSERT_EQ(8, route.GetCount());
  EXPECT_TRUE(route[0].IsUserPoint());
  EXPECT_TRUE(route[1].IsUserPoint());
  EXPECT_EQ((std::vector<int>{-1, -1, 3, 4, 5, 6, 7, 8}), Order());
  EXPECT_EQ(0, Marked());
}

TEST_F(SidStarDropTest, RefusedOffItsAirportOutsideTheCatalogueAndBelowTheRows) {
  const struct {
    const char* name;
    bool star;
    int procedure;
    int row;
  } cases[] = {{"a SID on the STAR's row", false, 1, RowOfPoint(7)},
               {"a STAR on the SID's rows", true, 1, RowOfPoint(1)},
               {"a procedure the catalogue no longer has", false, 2, RowOfPoint(1)},
               {"the total row", false, 1, TotalRow()},
               {"below the rows", false, 1, TotalRow() + 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(DropKind::kNone, JudgeDrop(Ref(c.star, c.procedure), m_plan, m_store, c.row, false).kind) << c.name;
    EXPECT_EQ(0u, Drop(m_plan, m_store, Ref(c.star, c.procedure), c.row, false, true)) << c.name;
  }
  EXPECT_EQ(0, m_inserts);
  EXPECT_EQ(DropKind::kSidStar, JudgeDrop(Ref(true, 0), m_plan, m_store, RowOfPoint(7), false).kind);
  // A failed build changes nothing.
  m_store.insert = [](CRoute&, bool, int, int, int) { return false; };
  const int steps = m_plan.GetSnapshotCount();
  EXPECT_EQ(0u, Drop(m_plan, m_store, Ref(true, 0), RowOfPoint(7), false, true));
  EXPECT_EQ(steps, m_plan.GetSnapshotCount());
  EXPECT_EQ(0, Marked());
}

}  // namespace
