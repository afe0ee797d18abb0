#include "plotr/tools/ExportDialogModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "plotr/core/Settings.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

namespace fs = std::filesystem;

int g_exports = 0;
extern "C" int CountingPlanInfo(void*, FlpxPlanInfo*) {
  ++g_exports;
  return 0;
}
const FlpxServiceSet kServices{nullptr, CountingPlanInfo, nullptr, nullptr};

std::vector<std::string> Names(const CExportDialogModel& model) {
  std::vector<std::string> names;
  for (const auto& item : model.Items()) names.push_back(item.name);
  return names;
}

class ExportDialogModelTest : public ::testing::Test {
 protected:
  ExportDialogModelTest() : m_settings("export_dialog") { g_exports = 0; }
  int ItemNamed(const CExportDialogModel& model, const std::string& name) {
    const auto names = Names(model);
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  }
  plantest::ScopedPlanFolder m_settings;
  plantest::FakePlanUi m_ui;
  int m_plan = 0;
};

TEST_F(ExportDialogModelTest, ListsByNameIgnoringCaseAndSelectsTheRememberedFormat) {
  CExportDialogModel model(&m_plan, kServices, {&m_ui});
  model.Load(CW_FLPX_FIXTURE_DIR, "GOOD");
  EXPECT_EQ(Names(model), (std::vector<std::string>{"Exact", "Fails", "Good", "good", "Import short", "Null entries"}));
  EXPECT_EQ(model.Selection(), 2) << "the first of two equal names in list order";
  EXPECT_EQ(fs::path(model.Modules()[model.Items()[2].module].path).filename(), "fixture_good.so");

  model.Load(CW_FLPX_FIXTURE_DIR, "no longer there");
  EXPECT_EQ(model.Selection(), 0);

  model.Load((fs::path(CW_FLPX_FIXTURE_DIR) / "missing").string(), "Good");
  EXPECT_TRUE(model.Items().empty());
  EXPECT_EQ(model.Selection(), -1);
  EXPECT_FALSE(model.OptionsEnabled());
  EXPECT_FALSE(model.OkEnabled());
  EXPECT_EQ(model.RunExport(nullptr), CExportDialogModel::OkResult::Nothing);
}

TEST_F(ExportDialogModelTest, ButtonsFollowTheSelectedEntries) {
  CExportDialogModel model(&m_plan, kServices, {&m_ui});
  model.Load(CW_FLPX_FIXTURE_DIR, "");
  struct Case {
    const char* name;
    bool options, ok;
  };
  for (const Case& c : {Case{"Good", true, true}, Case{"Fails", false, true}, Case{"Null entries", false, false}}) {
    SCOPED_TRACE(c.name);
    model.Select(ItemNamed(model, c.name));
    EXPECT_EQ(model.OptionsEnabled(), c.options);
    EXPECT_EQ(model.OkEnabled(), c.ok);
  }
  // A double click on a format without export entry does nothing.
  EXPECT_EQ(model.RunExport(nullptr), CExportDialogModel::OkResult::Nothing);
  model.RunOptions(nullptr);
  EXPECT_EQ(g_exports, 0);
  model.Select(99);
  EXPECT_EQ(model.Selection(), -1);
  EXPECT_FALSE(model.OkEnabled());
}

TEST_F(ExportDialogModelTest, ExportRemembersTheFormatAndReportsAFailure) {
  CExportDialogModel model(&m_plan, kServices, {&m_ui});
  model.Load(CW_FLPX_FIXTURE_DIR, "");

  model.Select(ItemNamed(model, "Import short"));
  EXPECT_EQ(model.RunExport(nullptr), CExportDialogModel::OkResult::StayOpen) << "cannot be called: stays open";
  EXPECT_EQ(g_Settings.GetLastExportModul(), "");

  model.Select(ItemNamed(model, "Fails"));
  EXPECT_EQ(model.RunExport(nullptr), CExportDialogModel::OkResult::Close);
  EXPECT_EQ(m_ui.errors, std::vector<std::string>{"Flight plan export failed."});
  EXPECT_EQ(g_Settings.GetLastExportModul(), "Fails");

  model.Select(ItemNamed(model, "Good"));
  EXPECT_EQ(model.RunExport(nullptr), CExportDialogModel::OkResult::Close);
  EXPECT_EQ(m_ui.errors.size(), 1u);
  EXPECT_EQ(g_Settings.GetLastExportModul(), "Good");
  EXPECT_EQ(g_exports, 2);

  model.RunOptions(nullptr);
  EXPECT_EQ(g_exports, 3) << "the options entry reached the plug-in";
  EXPECT_EQ(m_ui.waits, 2) << "only exports run under the wait cursor";
}

}  // namespace
