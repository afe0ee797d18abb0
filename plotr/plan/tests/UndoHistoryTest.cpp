#include <gtest/gtest.h>

#include "plotr/plan/UndoHistory.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

// Routes told apart by their cruise speed.
CRoute Tagged(int tag) {
  CRoute route;
  route.m_cruise.speed = tag;
  return route;
}

int TagOf(const CUndoHistory& history) {
  return history.GetCurrent()->m_cruise.speed;
}

class UndoHistoryTest : public ::testing::Test {
 protected:
  plantest::ScopedPlanFolder m_folder{"undo"};
};

TEST_F(UndoHistoryTest, StartsEmptyWithNoChanges) {
  CUndoHistory history(kPlanUndoMaximum);
  EXPECT_EQ(history.GetChangeCount(), 0);
  EXPECT_EQ(history.GetSnapshotCount(), 0);
  EXPECT_EQ(history.GetPosition(), -1);
  EXPECT_EQ(history.GetCurrent(), nullptr);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
}

TEST_F(UndoHistoryTest, FullHistoryDropsOldestAndKeepsPositionAtTheEnd) {
  CUndoHistory history(kPlanUndoMaximum);
  for (int i = 0; i < kPlanUndoMaximum; ++i) {
    history.Push(Tagged(i));
  }
  ASSERT_EQ(history.GetSnapshotCount(), 100);
  history.Push(Tagged(100));
  EXPECT_EQ(history.GetSnapshotCount(), 100);
  EXPECT_EQ(history.GetPosition(), 99);
  EXPECT_EQ(TagOf(history), 100);
  int undone = 0;
  while (history.CanUndo()) {
    EXPECT_EQ(history.Undo(), 1) << "only the snapshot pushed into an empty history carries 0";
    ++undone;
  }
  EXPECT_EQ(undone, 99);
  EXPECT_EQ(TagOf(history), 1) << "the oldest snapshot was dropped";
}

TEST_F(UndoHistoryTest, PushAfterUndoDropsTheRedoSnapshots) {
  CUndoHistory history(kPlanUndoMaximum);
  for (int i = 0; i < 4; ++i) history.Push(Tagged(i));
  history.Undo();
  history.Undo();
  ASSERT_TRUE(history.CanRedo());
  history.Push(Tagged(9));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.GetSnapshotCount(), 3);
  EXPECT_EQ(TagOf(history), 9);
  history.Undo();
  EXPECT_EQ(TagOf(history), 1);
}

TEST_F(UndoHistoryTest, FlagsSayWhetherTheSnapshotIsAnEdit) {
  CUndoHistory history(kPlanUndoMaximum);
  history.Push(Tagged(0));
  history.Push(Tagged(1));
  history.Clear();
  history.Push(Tagged(2));
  const int changes = history.GetChangeCount();
  EXPECT_EQ(history.Undo(), 0) << "nothing to undo: the current flag, unchanged";
  EXPECT_EQ(history.GetChangeCount(), changes);
  history.Push(Tagged(3));
  history.Push(Tagged(4));
  EXPECT_EQ(history.Undo(), 1);
  EXPECT_EQ(history.Undo(), 0);
  EXPECT_EQ(history.Redo(), 1);
  EXPECT_EQ(history.Redo(), 1);
  EXPECT_EQ(history.Redo(), 1) << "redo at the end returns the current flag";
}

TEST_F(UndoHistoryTest, ChangeCountRisesOncePerEffectiveOperation) {
  CUndoHistory history(kPlanUndoMaximum);
  struct Step {
    const char* name;
    void (*run)(CUndoHistory&);
    int delta;
  };
  const Step steps[] = {
      {"clear", [](CUndoHistory& h) { h.Clear(); }, 1},
      {"push", [](CUndoHistory& h) { h.Push(Tagged(0)); }, 1},
      {"undo at first", [](CUndoHistory& h) { h.Undo(); }, 0},
      {"redo at last", [](CUndoHistory& h) { h.Redo(); }, 0},
      {"push again", [](CUndoHistory& h) { h.Push(Tagged(1)); }, 1},
      {"undo", [](CUndoHistory& h) { h.Undo(); }, 1},
      {"redo", [](CUndoHistory& h) { h.Redo(); }, 1},
      {"clear again", [](CUndoHistory& h) { h.Clear(); }, 1},
      {"undo when empty", [](CUndoHistory& h) { h.Undo(); }, 0},
  };
  for (const Step& step : steps) {
    const int before = history.GetChangeCount();
    step.run(history);
    EXPECT_EQ(history.GetChangeCount() - before, step.delta) << step.name;
  }
}

TEST_F(UndoHistoryTest, PushingTheCurrentSnapshotItselfIsSafe) {
  CUndoHistory history(2);
  history.Push(Tagged(0));
  history.Push(Tagged(1));
  // The history is full, so this push drops the snapshot array's first element while the
  // argument still refers into the array.
  history.Push(*history.GetCurrent());
  EXPECT_EQ(history.GetSnapshotCount(), 2);
  EXPECT_EQ(TagOf(history), 1);
  history.Undo();
  EXPECT_EQ(TagOf(history), 1);
}

}  // namespace
