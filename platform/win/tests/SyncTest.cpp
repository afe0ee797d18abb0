#include "platform/win/Sync.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace {

TEST(AutoResetEvent, ReleasesOneWaitAndResets) {
  win::AutoResetEvent event;
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  event.Set();  // setting twice still releases once
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
  win::AutoResetEvent preset(true);
  preset.Reset();
  EXPECT_FALSE(preset.Wait(10));
}

TEST(AutoResetEvent, WakesAWaiterOnAnotherThread) {
  win::AutoResetEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(win::kInfinite));
  setter.join();
}

TEST(AutoResetEvent, LetsExactlyOneOfTwoWaitersThrough) {
  win::AutoResetEvent event;
  std::atomic<int> released{0};
  auto waiter = [&] {
    if (event.Wait(300)) ++released;
  };
  std::thread a(waiter), b(waiter);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  event.Set();
  a.join();
  b.join();
  EXPECT_EQ(released.load(), 1);
}

TEST(WaitAny, LowestSignalledIndexWinsAndOnlyItResets) {
  win::AutoResetEvent stop, redraw, position;
  std::array<win::AutoResetEvent*, 3> events{&stop, &redraw, &position};
  position.Set();
  redraw.Set();
  EXPECT_EQ(win::WaitAny(events, 0), 1);
  EXPECT_EQ(win::WaitAny(events, 0), 2);
  EXPECT_EQ(win::WaitAny(events, 0), -1);
  EXPECT_EQ(win::WaitAny(events, 20), -1);
  EXPECT_EQ(win::WaitAny({}, win::kInfinite), -1);
}

TEST(WaitAny, WakesForAnEventSetLater) {
  win::AutoResetEvent first, second;
  std::array<win::AutoResetEvent*, 2> events{&first, &second};
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    second.Set();
  });
  EXPECT_EQ(win::WaitAny(events, 5000), 1);
  setter.join();
  EXPECT_FALSE(second.Wait(0));
}

}  // namespace

namespace {

TEST(WaitAll, TakesBothEventsOnlyWhenBothAreSet) {
  win::AutoResetEvent ended, gone;
  std::array<win::AutoResetEvent*, 2> events{&ended, &gone};
  EXPECT_FALSE(win::WaitAll(events, 0));
  ended.Set();
  EXPECT_FALSE(win::WaitAll(events, 20));
  // The early one is not consumed by the failed waits.
  gone.Set();
  EXPECT_TRUE(win::WaitAll(events, 0));
  EXPECT_FALSE(ended.Wait(0));
  EXPECT_FALSE(gone.Wait(0));
}

TEST(WaitAll, WakesWhenTheLastEventIsSetOnAnotherThread) {
  win::AutoResetEvent ended, gone;
  std::array<win::AutoResetEvent*, 2> events{&ended, &gone};
  ended.Set();
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gone.Set();
  });
  EXPECT_TRUE(win::WaitAll(events, 2000));
  setter.join();
}

}  // namespace
