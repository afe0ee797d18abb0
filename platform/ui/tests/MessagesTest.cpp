#include "platform/ui/Messages.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace ui {
namespace {

TEST(MessagesTest, RecordingTargetKeepsPostsFromEveryThreadInOrderPerThread) {
  RecordingTarget target;
  std::vector<std::thread> threads;
  for (uint32_t t = 0; t < 4; ++t)
    threads.emplace_back([&target, t] {
      for (intptr_t i = 0; i < 100; ++i) target.Post({kAppMessageBase + t, t, i});
    });
  for (auto& th : threads) th.join();
  const auto messages = target.Messages();
  ASSERT_EQ(400u, messages.size());
  intptr_t next[4] = {};
  for (const Message& m : messages) EXPECT_EQ(next[m.wParam]++, m.lParam);
  target.Clear();
  EXPECT_TRUE(target.Codes().empty());
}

}  // namespace
}  // namespace ui
