#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>

namespace win {

// Milliseconds of a steady clock, wrapping every 49.7 days like the Windows tick count.
uint32_t GetTickCount();

// Milliseconds from `earlier` to `later`, correct across a wrap of the tick count.
inline uint32_t TicksBetween(uint32_t earlier, uint32_t later) { return later - earlier; }

// True once `now` has reached `deadline`; correct across a wrap as long as the two are less
// than 24.8 days apart.
inline bool TickReached(uint32_t now, uint32_t deadline) {
  return static_cast<int32_t>(now - deadline) >= 0;
}

// Everything whose behaviour depends on time takes a Clock, so tests can drive it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t TickCount() const = 0;
  virtual std::chrono::system_clock::time_point Now() const = 0;
};

Clock& SystemClock();

// A clock that moves only when told to. Safe to read from other threads while a test advances it.
class FakeClock : public Clock {
 public:
  FakeClock() = default;
  explicit FakeClock(uint32_t tick, std::chrono::system_clock::time_point now = {});

  uint32_t TickCount() const override;
  std::chrono::system_clock::time_point Now() const override;

  void SetTickCount(uint32_t tick);
  void SetNow(std::chrono::system_clock::time_point now);
  // Moves both the tick count (wrapping) and the wall-clock time forward.
  void Advance(uint32_t milliseconds);

 private:
  std::atomic<uint32_t> m_tick{0};
  std::atomic<int64_t> m_nowNs{0};  // nanoseconds since the system clock's epoch
};

}  // namespace win
