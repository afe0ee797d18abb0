#pragma once
// Starts wx once for a test program that creates windows; include from one test file.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace ui::testing {

class WxTestRuntime : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "wx-test";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp);
    ASSERT_TRUE(wxEntryStart(argc, argv));
    wxTheApp->CallOnInit();
  }
  void TearDown() override { wxEntryCleanup(); }
};

[[maybe_unused]] inline ::testing::Environment* const kWxTestRuntime =
    ::testing::AddGlobalTestEnvironment(new WxTestRuntime);

}  // namespace ui::testing
