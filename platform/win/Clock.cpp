#include "platform/win/Clock.h"

namespace win {

uint32_t GetTickCount() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(static_cast<uint64_t>(ms.count()));
}

namespace {

class RealClock : public Clock {
 public:
  uint32_t TickCount() const override { return GetTickCount(); }
  std::chrono::system_clock::time_point Now() const override {
    return std::chrono::system_clock::now();
  }
};

}  // namespace

Clock& SystemClock() {
  static RealClock clock;
  return clock;
}

FakeClock::FakeClock(uint32_t tick, std::chrono::system_clock::time_point now) {
  SetTickCount(tick);
  SetNow(now);
}

uint32_t FakeClock::TickCount() const { return m_tick.load(); }

std::chrono::system_clock::time_point FakeClock::Now() const {
  auto since = std::chrono::duration_cast<std::chrono::system_clock::duration>(
      std::chrono::nanoseconds(m_nowNs.load()));
  return std::chrono::system_clock::time_point(since);
}

void FakeClock::SetTickCount(uint32_t tick) { m_tick.store(tick); }

void FakeClock::SetNow(std::chrono::system_clock::time_point now) {
  m_nowNs.store(
      std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count());
}

void FakeClock::Advance(uint32_t milliseconds) {
  m_tick.fetch_add(milliseconds);  // unsigned: wraps like the real tick count
  m_nowNs.fetch_add(static_cast<int64_t>(milliseconds) * 1000000);
}

}  // namespace win
