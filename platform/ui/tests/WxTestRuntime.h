#pragma once
// Starts wx once for a test program that creates windows; include from one test file.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>

namespace ui::testing {

class WxTestRuntime : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "wx-test";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp);
    ASSERT_TRUE(wxEntryStart(argc, argv));
    // wx checks that menu ids fit in 15 bits, a limit of another platform; the module's ids keep
    // their numbers. Checks are written out instead of waiting on a dialog no one answers.
    wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond, const wxString& msg) {
      std::fprintf(stderr, "wx check %s %s at %s:%d\n", cond.utf8_string().c_str(), msg.utf8_string().c_str(),
                   file.utf8_string().c_str(), line);
    });
    wxTheApp->CallOnInit();
  }
  void TearDown() override { wxEntryCleanup(); }
};

[[maybe_unused]] inline ::testing::Environment* const kWxTestRuntime =
    ::testing::AddGlobalTestEnvironment(new WxTestRuntime);

}  // namespace ui::testing
