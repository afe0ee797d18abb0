#pragma once

// Compiles the collected areas of a build side by side and hands each area's database to the
// build thread in area order, so merging them one after the other gives the bytes of a build on
// one thread.
//
// Areas do not depend on each other until the merge: a worker touches only the area it compiles
// and the database it fills. Everything else (the merge, the progress texts, the prompts) stays
// on the build thread. Workers run ahead of the merge by at most one area each plus one, so no
// more than workers + 1 compiled areas wait in memory. The abort event the window sets is
// watched on a thread of the pool as well, so the workers stop at once even while the build
// thread merges a large area.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win/Sync.h"

class CSceneryDatabase;

class CAreaCompilePool {
 public:
  // Compiles area `index` into a database of its own; nullptr when the compile ended early (its
  // abort event seen, or a reader failed). Runs on a worker thread: `abortEvent` is that
  // worker's own, and `alive` (callable from the worker) tells the build thread that a long
  // step is still going.
  using Compile = std::function<std::unique_ptr<CSceneryDatabase>(
      int index, win::AutoResetEvent& abortEvent, const std::function<void()>& alive)>;

  // One worker per core (at least one).
  static int DefaultWorkers();

  // Starts `workers` threads (0: DefaultWorkers(); never more than there are areas) over the
  // areas 0 .. weights.size() - 1. `weights` estimate each area's work (its input bytes, say):
  // heavier areas start first, so the longest compile does not begin last, while the next area
  // to merge is always started before any other. `abortEvent` is the build's, polled every few
  // milliseconds until the pool stops. Throws std::system_error when the threads cannot be
  // started.
  CAreaCompilePool(const std::vector<uint64_t>& weights, int workers, win::AutoResetEvent& abortEvent,
                   Compile compile);
  CAreaCompilePool(const CAreaCompilePool&) = delete;
  CAreaCompilePool& operator=(const CAreaCompilePool&) = delete;
  // Stops the workers and waits for them.
  ~CAreaCompilePool();

  // Waits for the next area in order (the first call gives area 0) and gives its database.
  // nullptr when the build is to stop: the abort event was seen (it is polled at least once
  // here) or some area could not be compiled; every worker has then been stopped. `alive` is
  // called here, on the build thread, while workers report long steps. An exception a worker
  // met comes out here.
  std::unique_ptr<CSceneryDatabase> TakeNext(const std::function<void()>& alive);

  // Tells every worker to stop at its next poll and waits until all have ended, and the watch
  // of the abort event with them.
  void Stop();
  // True when the pool took the abort event: the build is to stop, even when every area had
  // been handed over by then.
  bool Aborted() const;

  int Workers() const { return static_cast<int>(m_threads.size()); }
  // Most compiled areas that waited for the build thread at one time.
  int MostWaiting() const;

 private:
  struct Slot {
    bool started = false;
    bool done = false;
    std::unique_ptr<CSceneryDatabase> db;
  };
  void Work(win::AutoResetEvent& abortEvent);
  void WatchAbort();
  // Takes the abort event when it is set; then every worker is told to stop. Lock held.
  bool PollAbort(std::unique_lock<std::mutex>& lock);
  void StopWorkers(std::unique_lock<std::mutex>& lock);

  // The area a worker starts next; -1 when none may start now.
  int PickArea() const;

  const int m_areas;
  win::AutoResetEvent& m_abortEvent;
  const Compile m_compile;
  std::vector<int> m_startOrder;  // heaviest first
  std::vector<std::thread> m_threads;
  std::thread m_watcher;
  // One per worker: a poll that sees an abort event resets it, so a shared one would stop only
  // the first worker that looked.
  std::vector<std::unique_ptr<win::AutoResetEvent>> m_abortEvents;

  std::atomic<bool> m_alive{false};  // a worker reported a long step since the build thread looked

  mutable std::mutex m_lock;  // guards everything below
  std::condition_variable m_workReady;  // an area may be started, or the pool stops
  std::condition_variable m_areaDone;   // a worker finished an area, or the abort was seen
  std::condition_variable m_stopped;    // the pool stops: the watch ends
  std::vector<Slot> m_slots;
  size_t m_orderPos = 0;  // places of m_startOrder before this are all started
  int m_unmerged = 0;     // started and not yet handed to the build thread
  int m_left = 0;         // not started
  int m_taken = 0;        // areas handed to the build thread
  int m_waiting = 0;      // compiled and not yet handed to the build thread
  int m_mostWaiting = 0;
  bool m_failed = false;
  bool m_aborted = false;
  bool m_stopping = false;
  std::exception_ptr m_error;
};
