#include "plotr/plan/UndoHistory.h"

#include <algorithm>

CUndoHistory::CUndoHistory(int maximum) : m_maximum(std::max(maximum, 1)) {
  // Not through the virtual slot: the derived levels are not built yet.
  CUndoHistory::Clear();
  m_changeCount = 0;
}

void CUndoHistory::Clear() {
  m_snapshots.clear();
  m_flags.clear();
  m_position = -1;
  ++m_changeCount;
}

void CUndoHistory::Push(const CRoute& route) {
  // Copied first: the route may be one of the snapshots about to be dropped.
  CRoute copy = route;
  ++m_position;
  if (m_position < GetSnapshotCount()) {
    m_snapshots.erase(m_snapshots.begin() + m_position, m_snapshots.end());
    m_flags.erase(m_flags.begin() + m_position, m_flags.end());
  }
  if (GetSnapshotCount() >= m_maximum) {
    m_snapshots.erase(m_snapshots.begin());
    m_flags.erase(m_flags.begin());
    --m_position;
  }
  m_snapshots.push_back(std::move(copy));
  m_flags.push_back(m_flags.empty() ? 0 : 1);
  ++m_changeCount;
}

uint8_t CUndoHistory::CurrentFlag() const {
  if (m_position < 0 || m_position >= static_cast<int>(m_flags.size())) {
    return 0;
  }
  return m_flags[static_cast<size_t>(m_position)];
}

uint8_t CUndoHistory::Undo() {
  if (CanUndo()) {
    --m_position;
    ++m_changeCount;
  }
  return CurrentFlag();
}

uint8_t CUndoHistory::Redo() {
  if (CanRedo()) {
    ++m_position;
    ++m_changeCount;
  }
  return CurrentFlag();
}

CRoute* CUndoHistory::GetCurrent() {
  if (m_position < 0 || m_position >= GetSnapshotCount()) {
    return nullptr;
  }
  return &m_snapshots[static_cast<size_t>(m_position)];
}

const CRoute* CUndoHistory::GetCurrent() const {
  return const_cast<CUndoHistory*>(this)->GetCurrent();
}

bool CUndoHistory::CanUndo() const {
  return m_position > 0;
}

bool CUndoHistory::CanRedo() const {
  return m_position < GetSnapshotCount() - 1;
}

int32_t CUndoHistory::GetChangeCount() const {
  return m_changeCount;
}
