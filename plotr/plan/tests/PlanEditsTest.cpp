#include "plotr/plan/PlanEdits.h"

#include "platform/archive/Exceptions.h"
#include "platform/archive/MemoryFile.h"
#include "platform/flpx/Flpx.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/PlanUi.h"
#include "plotr/plan/tests/support/FakePlanDialogs.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <string>
#include <vector>

namespace {

using namespace plantest;

// True when another thread cannot take the database lock, i.e. this thread holds it.
bool LockHeldHere() {
  return std::async(std::launch::async, [] {
           return !DatabaseLease::IsFree();
         }).get();
}

// The plan object with its history operations recorded.
class RecordingPlan : public CFlightPlanCore {
 public:
  explicit RecordingPlan(const PlanUiServices& ui) : CFlightPlanCore(ui) {}
  void Clear() override {
    ++clears;
    unlocked += LockHeldHere() ? 0 : 1;
    CFlightPlanCore::Clear();
  }
  void Push(const CRoute& route) override {
    ++pushes;
    unlocked += LockHeldHere() ? 0 : 1;
    CFlightPlanCore::Push(route);
  }
  void ResetCounts() { pushes = clears = unlocked = 0; }
  int pushes = 0;
  int clears = 0;
  int unlocked = 0;  // history changes made without the database lock
};

std::vector<std::string> Names(const CRoute& route) {
  std::vector<std::string> names;
  DatabaseLease lease;
  for (const PlanPoint& p : route.m_points) {
    if (p.IsUserPoint()) {
      names.emplace_back(p.UserName());
    } else {
      names.emplace_back(std::to_string(p.Kind()));
    }
  }
  return names;
}

class PlanEditsTest : public ::testing::Test {
 protected:
  PlanEditsTest() : m_folder("edits") {
    DatabaseLease lease;
    BuildPlanDatabase(lease.Database());
  }
  ~PlanEditsTest() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  // Zurich, the VOR, two user fixes A and B, the NDB, Basel: loaded as a fresh plan.
  void Start() {
    CRoute route;
    route.m_cruise = {route.m_profile.cruiseSpeed, route.m_profile.cruiseAltitude, route.m_profile.cruiseAltitude};
    route.AddPoint(DbPoint(kHomeAirport, kKindAirport));
    route.AddPoint(DbPoint(kVor, kKindVor));
    route.AddPoint(UserPoint(47.38, 8.10, "A"));
    route.AddPoint(UserPoint(47.36, 8.05, "B"));
    route.AddPoint(DbPoint(kNdb, kKindNdb));
    route.AddPoint(DbPoint(kFarAirport, kKindAirport));
    {
      DatabaseLease lease;
      m_plan.Clear();
      m_plan.Push(route);
      m_plan.Rebuild();
    }
    m_plan.ResetCounts();
  }
  void Mark(std::initializer_list<int> indexes) {
    for (int i : indexes) (*m_plan.GetCurrent())[i].marked = 1;
  }
  CRoute& Current() { return *m_plan.GetCurrent(); }

  ScopedPlanFolder m_folder;
  FakePlanUi m_ui;
  FakePlanDialogs m_dialogs;
  RecordingPlan m_plan{{&m_ui, &m_dialogs}};
};

TEST_F(PlanEditsTest, EveryEditIsOneLockedUndoStepWithoutMarksLeftBehind) {
  struct Case {
    const char* name;
    std::vector<int> marks;
    std::function<bool(CFlightPlanCore&)> edit;  // false: the edit reports no change
    std::vector<std::string> after;
  };
  CRoute two;
  two.AddPoint(UserPoint(47.0, 8.0, "X"));
  two.AddPoint(DbPoint(kIntersection, kKindIntersection));
  const std::string airport = std::to_string(kKindAirport);
  const std::string vor = std::to_string(kKindVor);
  const std::string ndb = std::to_string(kKindNdb);
  const std::string isec = std::to_string(kKindIntersection);
  const Case cases[] = {
      {"delete marked", {1, 4}, [](CFlightPlanCore& p) { return planedit::DeleteMarked(p); },
       {airport, "A", "B", airport}},
      {"insert keeps order", {}, [&](CFlightPlanCore& p) { planedit::InsertPoints(p, 0, two, false); return true; },
       {"X", isec, airport, vor, "A", "B", ndb, airport}},
      {"append", {}, [&](CFlightPlanCore& p) { planedit::AppendPoints(p, two, false); return true; },
       {airport, vor, "A", "B", ndb, airport, "X", isec}},
      {"rename keeps five characters", {2, 1}, [](CFlightPlanCore& p) { planedit::RenamePoint(p, "SEVENCH"); return true; },
       {airport, vor, "SEVEN", "B", ndb, airport}},
      {"move", {3}, [](CFlightPlanCore& p) { planedit::MovePoint(p, 47.2, 8.3); return true; },
       {airport, vor, "A", "B", ndb, airport}},
      {"settings", {1}, [](CFlightPlanCore& p) {
         planedit::SetPointSettings(p, 1, 5000, 0, 0, 0, 0, 1, 0, 0, 0, 0);
         return true;
       },
       {airport, vor, "A", "B", ndb, airport}},
      {"bearing", {4}, [](CFlightPlanCore& p) { return planedit::SetBearingPoint(p, true); },
       {airport, vor, "A", "B", ndb, airport}},
      {"remove auto route", {}, [](CFlightPlanCore& p) {
         CRoute& r = *p.GetCurrent();
         r[1].flags |= kPointAutoRoute;
         r[4].flags |= kPointBearing;
         return planedit::RemoveAutoRoute(p);
       },
       {airport, "A", "B", airport}},
  };
  for (const Case& c : cases) {
    Start();
    const std::vector<std::string> before = Names(Current());
    for (int i : c.marks) Current()[i].marked = 1;
    const int snapshots = m_plan.GetSnapshotCount();
    EXPECT_TRUE(c.edit(m_plan)) << c.name;
    EXPECT_EQ(m_plan.pushes, 1) << c.name;
    EXPECT_EQ(m_plan.clears, 0) << c.name;
    EXPECT_EQ(m_plan.unlocked, 0) << c.name;
    EXPECT_EQ(m_plan.GetSnapshotCount(), snapshots + 1) << c.name;
    EXPECT_EQ(Names(Current()), c.after) << c.name;
    EXPECT_EQ(m_ui.waitDepth, 0) << c.name;
    for (const PlanPoint& p : Current().m_points) EXPECT_EQ(+p.marked, 0) << c.name;
    ASSERT_TRUE(m_plan.CanUndo()) << c.name;
    m_plan.Undo();
    EXPECT_EQ(Names(Current()), before) << c.name;
    for (const PlanPoint& p : Current().m_points) EXPECT_EQ(+p.marked, 0) << c.name << ": marks left in the history";
  }
}

TEST_F(PlanEditsTest, EditsWithoutMarksChangeNothingOrStillMakeTheirStep) {
  Start();
  EXPECT_FALSE(planedit::DeleteMarked(m_plan));
  EXPECT_FALSE(planedit::SetBearingPoint(m_plan, true));
  EXPECT_FALSE(planedit::RemoveAutoRoute(m_plan));
  EXPECT_EQ(m_plan.pushes, 0);
  // These three always make their step, as the dialogs that call them expect.
  planedit::RenamePoint(m_plan, "NAME");
  planedit::MovePoint(m_plan, 1, 1);
  planedit::SetPointSettings(m_plan, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(m_plan.pushes, 3);
  // A database waypoint is not renamed or moved.
  Mark({1});
  planedit::RenamePoint(m_plan, "NAME");
  EXPECT_EQ(Current()[1].UserName(), "");
  EXPECT_EQ(+Current()[1].ref.point.latitude, static_cast<float>(kVor.lat));
}

TEST_F(PlanEditsTest, InsertPositionFollowsRowsAndRemovedMarks) {
  Start();
  // The first row at or after a pseudo row that has a waypoint decides the position.
  int pseudo = -1;
  for (size_t r = 0; r < m_plan.m_rows.size(); ++r) {
    if (m_plan.m_rows[r].IsPseudo()) {
      pseudo = static_cast<int>(r);
      break;
    }
  }
  ASSERT_GE(pseudo, 0) << "the plan climbs";
  int expected = -1;
  for (size_t r = static_cast<size_t>(pseudo); r < m_plan.m_rows.size() && expected < 0; ++r) {
    expected = m_plan.m_rows[r].pointIndex;
  }
  CRoute three;
  three.AddPoint(UserPoint(47.1, 8.1, "P1"));
  three.AddPoint(UserPoint(47.1, 8.2, "P2"));
  three.AddPoint(UserPoint(47.1, 8.3, "P3"));
  planedit::InsertPoints(m_plan, pseudo, three, false);
  EXPECT_EQ(Current()[expected].UserName(), "P1");
  EXPECT_EQ(Current()[expected + 2].UserName(), "P3");
  EXPECT_EQ(+Current()[expected].isNew, 1);
  EXPECT_EQ(m_ui.waits, 1);
  EXPECT_EQ(m_ui.waitDepth, 0);

  // Dropping with remove marked: two marked waypoints before the position move it down by two.
  Start();
  Mark({1, 2});
  const int rowOfB = [&] {
    for (size_t r = 0; r < m_plan.m_rows.size(); ++r)
      if (m_plan.m_rows[r].pointIndex == 3) return static_cast<int>(r);
    return -1;
  }();
  CRoute one;
  one.AddPoint(UserPoint(47.1, 8.1, "NEW"));
  PlanPoint gone;
  gone.ref.point = NavPoint(10.0, 10.0, kKindVor, 1);  // no such VOR: skipped
  one.AddPoint(gone);
  planedit::InsertPoints(m_plan, rowOfB, one, true);
  EXPECT_EQ(Names(Current()), (std::vector<std::string>{std::to_string(kKindAirport), "NEW", "B",
                                                         std::to_string(kKindNdb), std::to_string(kKindAirport)}));
  EXPECT_EQ(m_plan.pushes, 1);
}

TEST_F(PlanEditsTest, BearingPointsLoseTheirConstraints) {
  Start();
  Current()[1].altitude1 = MakeManualValue(6000);
  Current()[1].flags = kPointFlyOver | kPointAltitudeOption;
  Mark({1});
  ASSERT_TRUE(planedit::SetBearingPoint(m_plan, true));
  EXPECT_TRUE(Current()[1].IsBearing());
  EXPECT_FALSE(IsManualValueGiven(Current()[1].altitude1));
  EXPECT_EQ(+Current()[1].flags, kPointBearing);
  Mark({1});
  ASSERT_TRUE(planedit::SetBearingPoint(m_plan, false));
  EXPECT_EQ(+Current()[1].flags, 0u);
  EXPECT_FALSE(IsManualValueGiven(Current()[1].altitude1));
}

TEST_F(PlanEditsTest, NewLoadAndDialogsReplaceOrStepTheHistory) {
  Start();
  planedit::MovePoint(m_plan, 1, 1);
  ASSERT_TRUE(m_plan.CanUndo());

  // Saving and loading back: the history starts over with the loaded plan.
  archive::MemoryFile saved;
  planedit::SavePlan(m_plan, saved, kPlanFormatCurrent);
  const std::vector<uint8_t> bytes = saved.Bytes();
  EXPECT_NE(std::string(reinterpret_cast<const char*>(&bytes[16])).find("Zurich to Basel"), std::string::npos);
  m_plan.ResetCounts();
  uint16_t format = 0;
  archive::MemoryFile file(bytes, "trip.cwp");
  EXPECT_EQ(planedit::LoadPlan(m_plan, format, file), 0);
  EXPECT_EQ(m_plan.clears, 1);
  EXPECT_EQ(m_plan.pushes, 1);
  EXPECT_EQ(m_plan.unlocked, 0);
  EXPECT_FALSE(m_plan.CanUndo());
  EXPECT_EQ(Current().GetCount(), 6);
  EXPECT_TRUE(m_ui.information.empty());

  // A damaged file leaves the plan and its history alone.
  planedit::MovePoint(m_plan, 2, 2);
  m_plan.ResetCounts();
  std::vector<uint8_t> damaged = bytes;
  damaged[0] ^= 1;
  archive::MemoryFile bad(damaged, "bad.cwp");
  EXPECT_THROW(planedit::LoadPlan(m_plan, format, bad), archive::ArchiveException);
  EXPECT_EQ(m_plan.pushes + m_plan.clears, 0);
  EXPECT_TRUE(m_plan.CanUndo());

  // Waypoints the database lacks are dropped and counted in the message.
  {
    DatabaseLease lease;
    lease.Database().ClearDatabase();
  }
  archive::MemoryFile again(bytes, "trip.cwp");
  EXPECT_EQ(planedit::LoadPlan(m_plan, format, again), 4);
  ASSERT_EQ(m_ui.information.size(), 1u);
  EXPECT_EQ(m_ui.information[0], std::string("4 ") + kWaypointsRemovedText);

  m_plan.ResetCounts();
  planedit::NewPlan(m_plan, format);
  EXPECT_EQ(format, kPlanFormatCurrent);
  EXPECT_EQ(Current().GetCount(), 0);
  EXPECT_EQ(m_plan.clears, 1);
  EXPECT_EQ(m_plan.pushes, 1);

  // The aircraft and cruise dialogs: cancel changes nothing, OK is one step.
  FakePlanDialogs& dialogs = m_dialogs;
  dialogs.accept = false;
  m_plan.ResetCounts();
  EXPECT_EQ(planedit::SelectAircraft(m_plan), -1);
  EXPECT_EQ(planedit::SetCruise(m_plan), -1);
  EXPECT_EQ(m_plan.pushes, 0);
  dialogs.accept = true;
  dialogs.cruiseOut.altitude = 7000;
  dialogs.cruiseOut.speed = 100;
  EXPECT_EQ(planedit::SetCruise(m_plan), 0) << "an empty plan";
  EXPECT_EQ(m_plan.pushes, 1);
  EXPECT_EQ(+Current().m_cruise.altitude1, 7000);
}

}  // namespace
