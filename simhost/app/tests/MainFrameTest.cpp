// The main window as modules meet it: found by its name, and moving the aircraft when a
// copy-data call announces a move block in a pipe. Needs a display.
#include "simhost/app/MainFrame.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/simapi/SimApi.h"
#include "platform/ui/WxMessages.h"
#include "platform/ui/tests/WxTestRuntime.h"
#include "simhost/tests/MoveBlockFixture.h"

namespace simhost {
namespace {

TEST(MainFrameTest, MoveBlockFromAWorkerThreadMovesTheAircraft) {
  HostCore host(90, AircraftStart{10, 10, 1000, 0, 0});
  auto* frame = new MainFrame(host, AircraftStart{});
  ASSERT_EQ(frame, ui::FindWindowByClass(simapi::kMainWindowClass));

  const double values[6] = {-33.5, 151.25, 4000, 0, 0, 90};
  const auto block = testing::MakeMoveBlock(values);
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  ASSERT_EQ(static_cast<ssize_t>(block.size()), write(fds[1], block.data(), block.size()));
  char text[32];
  std::snprintf(text, sizeof text, "<HA>%08X%08X", static_cast<unsigned>(fds[0]), static_cast<unsigned>(getpid()));
  // As the module's move worker sends it: from its own thread, text with its terminating zero.
  std::thread worker([&] {
    ui::CopyData data;
    data.wParam = 1;
    data.tag = simapi::kMoveCopyDataTag;
    data.bytes.assign(text, std::strlen(text) + 1);
    ui::SendCopyData(frame, data);
  });
  worker.join();
  for (int i = 0; i < 50 && host.GetAircraft().latitude != -33.5; ++i) {
    wxTheApp->ProcessPendingEvents();
    wxMilliSleep(10);
  }
  close(fds[0]);
  close(fds[1]);
  EXPECT_DOUBLE_EQ(-33.5, host.GetAircraft().latitude);
  EXPECT_DOUBLE_EQ(151.25, host.GetAircraft().longitude);
  EXPECT_DOUBLE_EQ(90, host.GetAircraft().heading);
  frame->Destroy();
  wxTheApp->ProcessPendingEvents();
}

}  // namespace
}  // namespace simhost
