#pragma once
// Collects what a peer's handler is told, so tests can wait for a message with a deadline and
// check the order messages came in.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/dplay/Peer.h"

namespace dplaytest {

using namespace std::chrono_literals;

class Recorder {
 public:
  // Decides admissions on the host; the default admits everybody.
  std::function<dplay::Result(dplay::IndicateConnect&)> admit = [](dplay::IndicateConnect&) {
    return dplay::Result::Ok;
  };
  // Runs inside the handler after the message is recorded (on a transport thread).
  std::function<void(dplay::Message&)> also;

  dplay::Handler Handler() {
    return [this](dplay::Message& message) {
      dplay::Result result = dplay::Result::Ok;
      if (auto* indicate = std::get_if<dplay::IndicateConnect>(&message)) result = admit(*indicate);
      {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
      }
      m_changed.notify_all();
      if (also) also(message);
      return result;
    };
  }

  // The first message of type T (after `from` earlier ones) that satisfies `match`.
  template <typename T>
  std::optional<T> WaitFor(std::function<bool(const T&)> match = nullptr,
                           std::chrono::milliseconds timeout = 10000ms) {
    std::unique_lock lock(m_mutex);
    std::optional<T> found;
    m_changed.wait_for(lock, timeout, [&] {
      for (const auto& m : m_messages)
        if (auto* t = std::get_if<T>(&m); t && (!match || match(*t))) {
          found = *t;
          return true;
        }
      return false;
    });
    return found;
  }

  // Waits until at least `n` messages of type T satisfy `match`.
  template <typename T>
  bool WaitForCount(int n, std::function<bool(const T&)> match = nullptr,
                    std::chrono::milliseconds timeout = 10000ms) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return CountLocked(match) >= n; });
  }

  template <typename T>
  int Count(std::function<bool(const T&)> match = nullptr) {
    std::lock_guard lock(m_mutex);
    return CountLocked(match);
  }

 private:
  template <typename T>
  int CountLocked(const std::function<bool(const T&)>& match) {
    int n = 0;
    for (const auto& m : m_messages)
      if (auto* t = std::get_if<T>(&m); t && (!match || match(*t))) ++n;
    return n;
  }

 public:
  std::vector<dplay::Message> Messages() {
    std::lock_guard lock(m_mutex);
    return m_messages;
  }

  void Clear() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<dplay::Message> m_messages;
};

}  // namespace dplaytest
