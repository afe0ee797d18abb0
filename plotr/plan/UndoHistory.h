#pragma once

// A bounded history of waypoint-list snapshots with undo and redo: the first level of the plan
// object. The snapshot at the current position is the plan's route; every plan operation
// copies it, changes the copy and pushes the copy. The history is changed only in the
// user-interface thread with a DatabaseLease held, together with the row rebuild that follows,
// so the map's drawing thread never sees a Clear without its Push.

#include <cstdint>
#include <vector>

#include "plotr/plan/Route.h"

// Snapshots the plan object keeps: at most 99 edits can be undone.
inline constexpr int kPlanUndoMaximum = 100;

class CUndoHistory {
 public:
  explicit CUndoHistory(int maximum);
  virtual ~CUndoHistory() = default;

  virtual void Clear();
  // Drops the redo snapshots, the oldest one when the history is full, and appends a copy.
  virtual void Push(const CRoute& route);
  // Both return the modified flag of the snapshot current afterwards: 0 for the first snapshot
  // after a Clear (the plan as created, loaded or replaced), 1 for every later edit.
  virtual uint8_t Undo();
  virtual uint8_t Redo();
  // The current snapshot; null only while the history is empty (between construction and the
  // first Push, or inside a locked Clear-then-Push).
  virtual CRoute* GetCurrent();
  const CRoute* GetCurrent() const;
  virtual bool CanUndo() const;
  virtual bool CanRedo() const;
  // Rises by one with every Clear, Push, successful Undo and successful Redo; views and the
  // fly-plan state compare it with a remembered value.
  virtual int32_t GetChangeCount() const;

  int GetSnapshotCount() const { return static_cast<int>(m_snapshots.size()); }
  int GetPosition() const { return m_position; }

 private:
  uint8_t CurrentFlag() const;

  int32_t m_maximum;
  int32_t m_position = -1;
  int32_t m_changeCount = 0;
  std::vector<CRoute> m_snapshots;
  std::vector<uint8_t> m_flags;
};
