#pragma once
// Runs the application's callbacks on a small pool of threads, keeping the order that matters:
// callbacks with the same key (one player, one search) run one at a time in the order posted,
// and a barrier waits for everything posted before it and holds back everything after it.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace dplay {

class Dispatcher {
 public:
  static constexpr uint64_t kBarrier = UINT64_MAX;

  explicit Dispatcher(unsigned threads);
  ~Dispatcher();  // Stop
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  void Post(uint64_t key, std::function<void()> callback);
  // Returns once every callback posted so far has returned. Not from a callback.
  void Drain();
  // Drains, then ends the threads; later posts are dropped.
  void Stop();

  // True on a thread of any dispatcher while it runs a callback.
  static bool OnCallbackThread();

 private:
  struct Item {
    uint64_t key;
    std::function<void()> callback;
  };
  void Run();
  // The index of the first item that may start now, or -1.
  long NextRunnable() const;

  std::mutex m_mutex;
  std::condition_variable m_wake;    // workers: an item may have become runnable
  std::condition_variable m_idle;    // Drain: the queue may have emptied
  std::deque<Item> m_queue;
  std::unordered_map<uint64_t, int> m_runningKeys;
  int m_running = 0;
  bool m_barrierRunning = false;
  bool m_stopping = false;
  std::vector<std::thread> m_threads;
};

}  // namespace dplay
