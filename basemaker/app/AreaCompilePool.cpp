#include "basemaker/app/AreaCompilePool.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "navdb/SceneryDatabase.h"

namespace {

// How often the abort event is looked at, and a worker's sign of life passed on: well inside
// the time within which an abort must have stopped every worker.
constexpr std::chrono::milliseconds kAbortPoll{5};

}  // namespace

int CAreaCompilePool::DefaultWorkers() {
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

CAreaCompilePool::CAreaCompilePool(const std::vector<uint64_t>& weights, int workers,
                                   win::AutoResetEvent& abortEvent, Compile compile)
    : m_areas(static_cast<int>(weights.size())),
      m_abortEvent(abortEvent),
      m_compile(std::move(compile)),
      m_slots(weights.size()) {
  m_left = m_areas;
  for (int a = 0; a < m_areas; ++a) m_startOrder.push_back(a);
  std::stable_sort(m_startOrder.begin(), m_startOrder.end(),
                   [&weights](int a, int b) { return weights[static_cast<size_t>(a)] > weights[static_cast<size_t>(b)]; });
  const int wanted = std::max(1, std::min(workers > 0 ? workers : DefaultWorkers(), m_areas));
  for (int w = 0; w < wanted; ++w) m_abortEvents.push_back(std::make_unique<win::AutoResetEvent>());
  try {
    m_watcher = std::thread([this] { WatchAbort(); });
    for (int w = 0; w < wanted; ++w) {
      try {
        m_threads.emplace_back([this, w] { Work(*m_abortEvents[static_cast<size_t>(w)]); });
      } catch (const std::system_error&) {
        // Fewer workers only make the build slower.
        if (w == 0) throw;
        break;
      }
    }
  } catch (...) {
    Stop();
    throw;
  }
}

CAreaCompilePool::~CAreaCompilePool() { Stop(); }

void CAreaCompilePool::StopWorkers(std::unique_lock<std::mutex>&) {
  m_stopping = true;
  m_workReady.notify_all();
  m_areaDone.notify_all();
  m_stopped.notify_all();
  for (auto& event : m_abortEvents) event->Set();
}

void CAreaCompilePool::Stop() {
  {
    std::unique_lock lock(m_lock);
    StopWorkers(lock);
  }
  if (m_watcher.joinable()) m_watcher.join();
  for (std::thread& t : m_threads) {
    if (t.joinable()) t.join();
  }
}

bool CAreaCompilePool::PollAbort(std::unique_lock<std::mutex>& lock) {
  if (!m_aborted && m_abortEvent.Wait(0)) {
    m_aborted = true;
    StopWorkers(lock);
  }
  return m_aborted;
}

void CAreaCompilePool::WatchAbort() {
  std::unique_lock lock(m_lock);
  while (!m_stopping && !PollAbort(lock)) m_stopped.wait_for(lock, kAbortPoll);
}

bool CAreaCompilePool::Aborted() const {
  std::lock_guard lock(m_lock);
  return m_aborted;
}

int CAreaCompilePool::MostWaiting() const {
  std::lock_guard lock(m_lock);
  return m_mostWaiting;
}

int CAreaCompilePool::PickArea() const {
  if (m_left == 0) return -1;
  // The area the build thread waits for goes before any other, and always may: it leaves the
  // others in memory no longer than it takes.
  if (m_taken < m_areas && !m_slots[static_cast<size_t>(m_taken)].started) return m_taken;
  // Otherwise the heaviest area left, while fewer than workers + 1 areas are unmerged. An area
  // that waits for its merge never waits behind one that nobody compiles, so this bounds the
  // finished ones that wait as well.
  if (m_unmerged > static_cast<int>(m_abortEvents.size())) return -1;
  for (size_t i = m_orderPos; i < m_startOrder.size(); ++i) {
    const int area = m_startOrder[i];
    if (!m_slots[static_cast<size_t>(area)].started) return area;
  }
  return -1;
}

void CAreaCompilePool::Work(win::AutoResetEvent& abortEvent) {
  const std::function<void()> alive = [this] { m_alive.store(true, std::memory_order_relaxed); };
  for (;;) {
    int index;
    {
      std::unique_lock lock(m_lock);
      m_workReady.wait(lock, [&] { return m_stopping || m_left == 0 || PickArea() >= 0; });
      if (m_stopping || m_left == 0) return;
      index = PickArea();
      m_slots[static_cast<size_t>(index)].started = true;
      ++m_unmerged;
      --m_left;
      while (m_orderPos < m_startOrder.size() && m_slots[static_cast<size_t>(m_startOrder[m_orderPos])].started) {
        ++m_orderPos;
      }
    }
    std::unique_ptr<CSceneryDatabase> db;
    std::exception_ptr error;
    try {
      db = m_compile(index, abortEvent, alive);
    } catch (...) {
      error = std::current_exception();
    }
    {
      std::lock_guard lock(m_lock);
      if (error && !m_error) m_error = error;
      m_failed = m_failed || db == nullptr;
      Slot& slot = m_slots[static_cast<size_t>(index)];
      slot.done = true;
      slot.db = std::move(db);
      m_mostWaiting = std::max(m_mostWaiting, ++m_waiting);
    }
    m_areaDone.notify_all();
  }
}

std::unique_ptr<CSceneryDatabase> CAreaCompilePool::TakeNext(const std::function<void()>& alive) {
  std::unique_lock lock(m_lock);
  for (bool first = true;; first = false) {
    if (m_alive.exchange(false, std::memory_order_relaxed) && alive) {
      lock.unlock();
      alive();
      lock.lock();
    }
    if (m_error) {
      const std::exception_ptr error = m_error;
      lock.unlock();
      Stop();
      std::rethrow_exception(error);
    }
    // One area that cannot be compiled ends the build: nothing after it is worth merging.
    if ((first && PollAbort(lock)) || m_aborted || m_failed || m_stopping || m_taken >= m_areas) {
      lock.unlock();
      Stop();
      return nullptr;
    }
    Slot& slot = m_slots[static_cast<size_t>(m_taken)];
    if (slot.done) {
      std::unique_ptr<CSceneryDatabase> db = std::move(slot.db);
      ++m_taken;
      --m_unmerged;
      --m_waiting;
      lock.unlock();
      m_workReady.notify_all();
      return db;
    }
    // Woken by the area, a failure or the abort; at least now and then for the heartbeats.
    m_areaDone.wait_for(lock, kAbortPoll, [&] { return slot.done || m_failed || m_stopping; });
  }
}
