#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "platform/win/Clock.h"
#include "platform/win/FileTime.h"

namespace {

TEST(FileTime, CountsHundredNanosecondsSince1601) {
  struct Case {
    const char* name;
    int64_t seconds;
    uint32_t nanoseconds;
    uint64_t expected;
  } cases[] = {
      {"unixEpoch", 0, 0, 116444736000000000ULL},
      {"year2000", 946684800, 0, 125911584000000000ULL},
      {"subTicksDropped", 946684800, 1234567, 125911584000012345ULL},
      {"fileTimeEpoch", -11644473600, 0, 0},
      {"before1601", -11644473601, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win::FileTimeFromUnix(c.seconds, c.nanoseconds), c.expected) << c.name;
  }
}

TEST(FileTime, ReadsTheSameStampEveryTime) {
  auto file = std::filesystem::path(testing::TempDir()) / "filetime.bin";
  std::ofstream(file) << "x";
  timespec times[2] = {{946684800, 500}, {946684800, 1234567}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  EXPECT_EQ(win::GetFileLastWriteTime(file), 125911584000012345ULL);
  EXPECT_EQ(win::GetFileLastWriteTime(file), win::GetFileLastWriteTime(file));
  EXPECT_EQ(win::GetFileLastWriteTime(file.string() + ".missing"), std::nullopt);
}

TEST(TickCount, ComparesAcrossTheWrap) {
  struct Case {
    const char* name;
    uint32_t now;
    uint32_t deadline;
    bool reached;
  } cases[] = {
      {"before", 100, 200, false},
      {"equal", 200, 200, true},
      {"after", 300, 200, true},
      {"deadlineAfterWrapNotYet", 0xFFFFFF00u, 0x00000010u, false},
      {"deadlineAfterWrapReached", 0x00000020u, 0x00000010u, true},
      {"nowWrappedPastDeadline", 0x00000005u, 0xFFFFFFF0u, true},
  };
  for (const auto& c : cases) EXPECT_EQ(win::TickReached(c.now, c.deadline), c.reached) << c.name;
  EXPECT_EQ(win::TicksBetween(0xFFFFFFF0u, 0x00000010u), 0x20u);
}

TEST(TickCount, AdvancesWithTheSteadyClock) {
  uint32_t start = win::GetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  uint32_t elapsed = win::TicksBetween(start, win::SystemClock().TickCount());
  EXPECT_GE(elapsed, 20u);
  EXPECT_LT(elapsed, 10000u);
}

TEST(FakeClock, MovesOnlyWhenToldAndWraps) {
  auto start = std::chrono::system_clock::time_point(std::chrono::seconds(1000));
  win::FakeClock clock(0xFFFFFFF0u, start);
  win::Clock& asClock = clock;
  EXPECT_EQ(asClock.TickCount(), 0xFFFFFFF0u);
  clock.Advance(0x30);
  EXPECT_EQ(asClock.TickCount(), 0x20u);
  EXPECT_EQ(asClock.Now(), start + std::chrono::milliseconds(0x30));
  clock.SetTickCount(7);
  EXPECT_EQ(asClock.TickCount(), 7u);
}

}  // namespace
