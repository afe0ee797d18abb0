#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace win {

inline constexpr uint32_t kInfinite = UINT32_MAX;

// An event that releases one waiter and then resets itself.
class AutoResetEvent {
 public:
  explicit AutoResetEvent(bool initiallySet = false);
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  void Set();
  void Reset();
  // True when the event was signalled (and is now reset); false on time-out.
  bool Wait(uint32_t timeoutMs = kInfinite);

 private:
  friend int WaitAny(std::span<AutoResetEvent* const> events, uint32_t timeoutMs);

// Waits until every one of `events` is signalled at the same time, then resets them all and
// returns true; false on time-out, with every event left as it was. An event signalled early
// stays signalled while the others are awaited.
bool WaitAll(std::span<AutoResetEvent* const> events, uint32_t timeoutMs);
  friend bool WaitAll(std::span<AutoResetEvent* const> events, uint32_t timeoutMs);
  bool m_signalled = false;
  std::vector<std::condition_variable*> m_waiters;  // guarded by the events' shared mutex
};

// Waits until one of `events` is signalled. The lowest signalled index wins and only that event
// is reset; the result is its index, or -1 on time-out. `timeoutMs` kInfinite waits forever.
int WaitAny(std::span<AutoResetEvent* const> events, uint32_t timeoutMs);

// Waits until every one of `events` is signalled at the same time, then resets them all and
// returns true; false on time-out, with every event left as it was. An event signalled early
// stays signalled while the others are awaited.
bool WaitAll(std::span<AutoResetEvent* const> events, uint32_t timeoutMs);

// Critical sections: re-entrant on the owning thread.
using RecursiveLock = std::recursive_mutex;

}  // namespace win
