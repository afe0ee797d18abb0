#include "basemaker/app/AreaCompilePool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "navdb/SceneryDatabase.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// An area database that names the area it was compiled for.
std::unique_ptr<CSceneryDatabase> AreaDatabase(int index) {
  auto db = std::make_unique<CSceneryDatabase>(1024);
  db->AddArea(std::to_string(index).c_str(), nullptr);
  return db;
}

int AreaOf(const CSceneryDatabase& db) { return std::stoi(db.GetString(db.m_areas[0].pathText)); }

// What the workers did, seen from the test.
struct Log {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<int> started;
  int abortsSeen = 0;

  void Start(int index) {
    std::lock_guard l(lock);
    started.push_back(index);
    changed.notify_all();
  }
  size_t Started() {
    std::lock_guard l(lock);
    return started.size();
  }
  bool WaitForStarted(size_t n) {
    std::unique_lock l(lock);
    return changed.wait_for(l, 10s, [&] { return started.size() >= n; });
  }
  // A compile that takes `length` and polls its abort event as the readers do.
  std::unique_ptr<CSceneryDatabase> CompileLong(int index, win::AutoResetEvent& abortEvent,
                                                std::chrono::milliseconds length) {
    for (const auto end = Clock::now() + length; Clock::now() < end; std::this_thread::sleep_for(1ms)) {
      if (abortEvent.Wait(0)) {
        std::lock_guard l(lock);
        ++abortsSeen;
        changed.notify_all();
        return nullptr;
      }
    }
    return AreaDatabase(index);
  }
};

TEST(AreaCompilePool, AreasComeInOrderHeavyOnesStartFirstAndFinishedOnesWaitBoundedly) {
  constexpr int kWorkers = 3;
  constexpr int kAreas = 12;
  std::vector<uint64_t> weights(kAreas, 10);
  weights[9] = 50;  // the heaviest, started as soon as the next area to merge is under way
  Log log;
  std::atomic<bool> release{false};
  win::AutoResetEvent abort;
  CAreaCompilePool pool(weights, kWorkers, abort, [&](int index, win::AutoResetEvent&, const std::function<void()>& alive) {
    log.Start(index);
    if (index == 0) {
      // The area the merge waits for is slow: the others must not pile up behind it.
      alive();
      while (!release) std::this_thread::sleep_for(1ms);
    }
    return AreaDatabase(index);
  });
  ASSERT_TRUE(log.WaitForStarted(kWorkers + 1));
  std::this_thread::sleep_for(50ms);  // room for a worker that would run ahead
  EXPECT_EQ(log.Started(), static_cast<size_t>(kWorkers + 1));
  release = true;

  std::vector<std::thread::id> heartbeats;
  for (int i = 0; i < kAreas; ++i) {
    const std::unique_ptr<CSceneryDatabase> db =
        pool.TakeNext([&] { heartbeats.push_back(std::this_thread::get_id()); });
    ASSERT_NE(db, nullptr) << i;
    EXPECT_EQ(AreaOf(*db), i);
  }
  EXPECT_EQ(pool.MostWaiting(), kWorkers + 1);
  EXPECT_EQ(pool.Workers(), kWorkers);
  // An abort during the last merge is never lost: the pool took it, or it waits for the next
  // poll of the build.
  abort.Set();
  std::this_thread::sleep_for(20ms);
  pool.Stop();
  EXPECT_TRUE(pool.Aborted() != abort.Wait(0));
  std::lock_guard l(log.lock);
  std::vector<int> first(log.started.begin(), log.started.begin() + kWorkers + 1);
  std::sort(first.begin(), first.end());
  EXPECT_EQ(first, (std::vector<int>{0, 1, 2, 9}));
  // The worker's sign of life reached the window's side on the thread that takes the areas.
  ASSERT_FALSE(heartbeats.empty());
  for (const std::thread::id& id : heartbeats) EXPECT_EQ(id, std::this_thread::get_id());
}

// The abort is seen while the build thread is busy elsewhere (merging a large area, say): every
// worker stops at its next poll all the same.
TEST(AreaCompilePool, AbortStopsEveryWorkerWithinAFewPolls) {
  constexpr int kWorkers = 4;
  Log log;
  win::AutoResetEvent abort;
  CAreaCompilePool pool(std::vector<uint64_t>(12, 1), kWorkers, abort,
                        [&](int index, win::AutoResetEvent& abortEvent, const std::function<void()>&) {
                          log.Start(index);
                          return log.CompileLong(index, abortEvent, 30s);
                        });
  ASSERT_TRUE(log.WaitForStarted(kWorkers));
  const auto abortedAt = Clock::now();
  abort.Set();
  {
    std::unique_lock l(log.lock);
    EXPECT_TRUE(log.changed.wait_until(l, abortedAt + 100ms, [&] { return log.abortsSeen == kWorkers; }))
        << log.abortsSeen << " of " << kWorkers << " workers stopped";
  }
  EXPECT_EQ(pool.TakeNext({}), nullptr);
  EXPECT_TRUE(pool.Aborted());
  EXPECT_FALSE(abort.Wait(0)) << "the abort was taken once";
  std::lock_guard l(log.lock);
  EXPECT_EQ(log.started.size(), static_cast<size_t>(kWorkers)) << "no area starts after the abort";
}

// A later area that cannot be compiled ends the build while an earlier one still compiles:
// nothing after it could be merged anyway.
TEST(AreaCompilePool, AnAreaThatFailsEndsTheBuildAtOnce) {
  struct Row {
    const char* name;
    bool throws;
  };
  for (const Row& row : {Row{"no database", false}, Row{"out of memory", true}}) {
    constexpr int kFailing = 3;
    std::vector<uint64_t> weights(20, 1);
    weights[kFailing] = 5;  // started beside the first
    Log log;
    win::AutoResetEvent abort;
    CAreaCompilePool pool(weights, 2, abort,
                          [&](int index, win::AutoResetEvent& abortEvent, const std::function<void()>&) {
                            log.Start(index);
                            if (index == kFailing) {
                              if (row.throws) throw std::bad_alloc();
                              return std::unique_ptr<CSceneryDatabase>();
                            }
                            // The first area is long; it stops when told to.
                            return log.CompileLong(index, abortEvent, index == 0 ? 30s : 0s);
                          });
    const auto start = Clock::now();
    bool thrown = false;
    try {
      EXPECT_EQ(pool.TakeNext({}), nullptr) << row.name;
    } catch (const std::bad_alloc&) {
      thrown = true;
    }
    EXPECT_LT(Clock::now() - start, 10s) << row.name;
    EXPECT_EQ(thrown, row.throws) << row.name;
    std::lock_guard l(log.lock);
    EXPECT_EQ(log.abortsSeen, 1) << row.name << ": the long area was stopped";
  }
}

}  // namespace
