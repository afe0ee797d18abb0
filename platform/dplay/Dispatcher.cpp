#include "platform/dplay/Dispatcher.h"

#include <algorithm>
#include <unordered_set>

namespace dplay {

namespace {
thread_local bool t_inCallback = false;
}

Dispatcher::Dispatcher(unsigned threads) {
  threads = std::max(threads, 2u);
  for (unsigned i = 0; i < threads; ++i) m_threads.emplace_back([this] { Run(); });
}

Dispatcher::~Dispatcher() { Stop(); }

bool Dispatcher::OnCallbackThread() { return t_inCallback; }

void Dispatcher::Post(uint64_t key, std::function<void()> callback) {
  {
    std::lock_guard lock(m_mutex);
    if (m_stopping) return;
    m_queue.push_back({key, std::move(callback)});
  }
  // One item needs one worker; waking them all would only have the others go back to sleep.
  m_wake.notify_one();
}

void Dispatcher::Drain() {
  std::unique_lock lock(m_mutex);
  m_idle.wait(lock, [&] { return m_queue.empty() && m_running == 0; });
}

void Dispatcher::Stop() {
  Drain();
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_wake.notify_all();
  for (auto& t : m_threads)
    if (t.joinable()) t.join();
  m_threads.clear();
}

long Dispatcher::NextRunnable() const {
  if (m_barrierRunning) return -1;
  // Keys seen ahead in the queue: an item may not overtake an earlier one of its key.
  std::unordered_set<uint64_t> ahead;
  for (size_t i = 0; i < m_queue.size(); ++i) {
    const uint64_t key = m_queue[i].key;
    if (key == kBarrier) {
      // A barrier starts only from the front, once nothing runs; nothing passes it.
      return (i == 0 && m_running == 0) ? 0 : -1;
    }
    if (!ahead.contains(key) && !m_runningKeys.contains(key)) return static_cast<long>(i);
    ahead.insert(key);
  }
  return -1;
}

void Dispatcher::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    long index = -1;
    m_wake.wait(lock, [&] {
      index = NextRunnable();
      return index >= 0 || (m_stopping && m_queue.empty());
    });
    if (index < 0) return;
    Item item = std::move(m_queue[static_cast<size_t>(index)]);
    m_queue.erase(m_queue.begin() + index);
    ++m_running;
    if (item.key == kBarrier) {
      m_barrierRunning = true;
    } else {
      ++m_runningKeys[item.key];
    }
    lock.unlock();
    t_inCallback = true;
    item.callback();
    t_inCallback = false;
    item.callback = nullptr;  // whatever it captured goes before the next wait
    lock.lock();
    --m_running;
    if (item.key == kBarrier) {
      m_barrierRunning = false;
    } else if (--m_runningKeys[item.key] == 0) {
      m_runningKeys.erase(item.key);
    }
    // What this callback held back (its key's next item, what waited for a barrier) may run now;
    // with nothing queued there is nobody to wake.
    if (!m_queue.empty()) {
      m_wake.notify_all();
    } else if (m_running == 0) {
      m_idle.notify_all();
    }
  }
}

}  // namespace dplay
