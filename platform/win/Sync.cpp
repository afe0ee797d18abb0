#include "platform/win/Sync.h"

#include <algorithm>
#include <chrono>

namespace win {

namespace {

// One mutex for every event: a WaitAny must see the state of all its events at once, and the
// events of this program are few and rarely busy.
std::mutex& EventMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

AutoResetEvent::AutoResetEvent(bool initiallySet) : m_signalled(initiallySet) {}

void AutoResetEvent::Set() {
  std::lock_guard lock(EventMutex());
  m_signalled = true;
  for (auto* waiter : m_waiters) waiter->notify_one();
}

void AutoResetEvent::Reset() {
  std::lock_guard lock(EventMutex());
  m_signalled = false;
}

bool AutoResetEvent::Wait(uint32_t timeoutMs) {
  AutoResetEvent* self = this;
  return WaitAny(std::span<AutoResetEvent* const>(&self, 1), timeoutMs) == 0;
}

int WaitAny(std::span<AutoResetEvent* const> events, uint32_t timeoutMs) {
  if (events.empty()) return -1;  // nothing could ever wake the caller
  using SteadyClock = std::chrono::steady_clock;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock lock(EventMutex());
  auto takeSignalled = [&]() -> int {
    for (size_t i = 0; i < events.size(); ++i) {
      if (events[i]->m_signalled) {
        events[i]->m_signalled = false;
        return static_cast<int>(i);
      }
    }
    return -1;
  };
  int index = takeSignalled();
  if (index >= 0 || timeoutMs == 0) return index;

  std::condition_variable wake;
  for (auto* event : events) event->m_waiters.push_back(&wake);
  while ((index = takeSignalled()) < 0) {
    if (timeoutMs == kInfinite) {
      wake.wait(lock);
    } else if (wake.wait_until(lock, deadline) == std::cv_status::timeout) {
      index = takeSignalled();
      break;
    }
  }
  for (auto* event : events) {
    auto& waiters = event->m_waiters;
    waiters.erase(std::find(waiters.begin(), waiters.end(), &wake));
  }
  return index;
}

bool WaitAll(std::span<AutoResetEvent* const> events, uint32_t timeoutMs) {
  if (events.empty()) return true;
  using SteadyClock = std::chrono::steady_clock;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock lock(EventMutex());
  auto takeAll = [&]() -> bool {
    for (auto* event : events)
      if (!event->m_signalled) return false;
    for (auto* event : events) event->m_signalled = false;
    return true;
  };
  bool taken = takeAll();
  if (taken || timeoutMs == 0) return taken;

  std::condition_variable wake;
  for (auto* event : events) event->m_waiters.push_back(&wake);
  while (!(taken = takeAll())) {
    if (timeoutMs == kInfinite) {
      wake.wait(lock);
    } else if (wake.wait_until(lock, deadline) == std::cv_status::timeout) {
      taken = takeAll();
      break;
    }
  }
  for (auto* event : events) {
    auto& waiters = event->m_waiters;
    waiters.erase(std::find(waiters.begin(), waiters.end(), &wake));
  }
  return taken;
}

}  // namespace win
