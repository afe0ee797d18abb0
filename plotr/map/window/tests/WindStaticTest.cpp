#include <gtest/gtest.h>
#include <wx/frame.h>

#include <filesystem>

#include <unistd.h>

#include "platform/ui/tests/WxTestRuntime.h"
#include "plotr/core/Settings.h"
#include "plotr/map/window/WindStatic.h"

namespace {

class WindStaticTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = std::filesystem::temp_directory_path() / ("cw-wind-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_folder);
    g_Settings = CSettings();
    g_Settings.SetProfileFile(m_folder / "Program.cfg");
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  std::filesystem::path m_folder;
};

TEST_F(WindStaticTest, CalmHidesAndAFontChangeResizes) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "wind");
  CWindStatic* wind = new CWindStatic;
  ASSERT_TRUE(wind->Create(frame));
  frame->Show();
  wind->Update();
  const wxSize small = wind->GetSize();
  EXPECT_GT(small.x, small.y);

  wind->FormatWind(12.6, 5.4);
  EXPECT_TRUE(wind->IsShown());
  EXPECT_EQ(wind->GetLabel(), wxString::FromUTF8("Wind: 005\xC2\xB0/13"));
  EXPECT_EQ(wind->GetSize(), small);  // the text does not size the control
  wind->FormatWind(0, 270);
  EXPECT_FALSE(wind->IsShown());

  LogFont font = g_Settings.GetMapFont(false);
  font.height *= 2;
  g_Settings.SetMapFont(font);
  wind->Update();
  EXPECT_GT(wind->GetSize().x, small.x);
  frame->Destroy();
}

}  // namespace
