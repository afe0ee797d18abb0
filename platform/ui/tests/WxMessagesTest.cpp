// Private messages and copy-data calls as they cross threads and binaries in wx. Needs a display.
#include "platform/ui/WxMessages.h"
#include "platform/ui/tests/WxTestRuntime.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <string>
#include <thread>
#include <vector>

namespace ui {
namespace {

TEST(WxMessagesTest, MessagesPostedFromAnotherThreadArriveWithTheirParameters) {
  wxEvtHandler frame;
  std::vector<Message> received;
  frame.Bind(EVT_APP_MESSAGE, [&](wxThreadEvent& e) { received.push_back(MessageFromEvent(e)); });
  WxMessageTarget target(&frame);
  std::thread worker([&] {
    target.Post({0x8204, 7, -3});
    target.Post({0x8205, 0, 123456});
  });
  worker.join();
  EXPECT_TRUE(received.empty()) << "nothing is handled inside Post";
  for (int i = 0; i < 10 && received.size() < 2; ++i) wxTheApp->ProcessPendingEvents();
  EXPECT_EQ((std::vector<Message>{{0x8204, 7, -3}, {0x8205, 0, 123456}}), received);
}

TEST(WxMessagesTest, CopyDataKeepsEveryByteAndIsHandledAtOnceOnTheUiThread) {
  auto* window = new wxFrame(nullptr, wxID_ANY, "host", wxDefaultPosition, wxDefaultSize,
                             wxDEFAULT_FRAME_STYLE, "CW_TEST_HOST");
  EXPECT_EQ(window, FindWindowByClass("CW_TEST_HOST"));
  EXPECT_EQ(nullptr, FindWindowByClass("CW_NO_SUCH_WINDOW"));
  std::vector<CopyData> received;
  window->Bind(EVT_COPY_DATA, [&](wxThreadEvent& e) { received.push_back(CopyDataFromEvent(e)); });
  CopyData sent;
  sent.wParam = 42;
  sent.tag = 110595;
  sent.bytes = std::string("<HA>\0\x01\xFF\x80z", 9);
  SendCopyData(window, sent);
  ASSERT_EQ(1u, received.size());
  EXPECT_EQ(42u, received[0].wParam);
  EXPECT_EQ(110595u, received[0].tag);
  EXPECT_EQ(sent.bytes, received[0].bytes);
  window->Destroy();
  wxTheApp->ProcessPendingEvents();
}

}  // namespace
}  // namespace ui
