#include "plotr/tools/FlpxHost.h"

#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plotr/plan/tests/support/FakePlanUi.h"

namespace {

namespace fs = std::filesystem;

// What the fixture plug-ins passed to the services.
struct ServiceCall {
  std::string service;
  void* handle;
  bool operator==(const ServiceCall&) const = default;
};
std::vector<ServiceCall> g_calls;
void* g_parentSeen = nullptr;

extern "C" int ScriptSave(char*, void* parent, const char*, const char*, const char*, const char*) {
  g_calls.push_back({"save", nullptr});
  g_parentSeen = parent;
  return 0;
}
extern "C" int ScriptPlanInfo(void* plan, FlpxPlanInfo*) {
  g_calls.push_back({"info", plan});
  return 1;
}
extern "C" int ScriptWaypoint(void* plan, int, FlpxWaypoint*) {
  g_calls.push_back({"waypoint", plan});
  return 0;
}
extern "C" int ScriptStart(void* plan, int, FlpxStartPosition*) {
  g_calls.push_back({"start", plan});
  return 0;
}
const FlpxServiceSet kScripted{ScriptSave, ScriptPlanInfo, ScriptWaypoint, ScriptStart};

std::string Fixture(const std::string& name) { return std::string(CW_FLPX_FIXTURE_DIR) + "/" + name + ".so"; }

bool StillMapped(const std::string& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) ::dlclose(handle);
  return handle != nullptr;
}

class FlpxHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_parentSeen = nullptr;
  }
  plantest::FakePlanUi m_ui;
};

TEST_F(FlpxHostTest, ListsValidPluginsInFileNameOrderWithoutCallingThem) {
  const fs::path folder = fs::path(::testing::TempDir()) / ("flpx_listing_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "folder.so");
  std::ofstream(folder / "notes.txt") << "not a plug-in";
  std::ofstream(folder / "broken.so") << "not a library";
  for (const auto& entry : fs::directory_iterator(CW_FLPX_FIXTURE_DIR)) {
    fs::copy_file(entry.path(), folder / entry.path().filename());
  }

  struct Expected {
    std::string file, name;
    bool configure, exportPlan;
  };
  // No table, a table one byte short and an empty name are left out.
  const std::vector<Expected> expected = {
      {"fixture_fails.so", "Fails", false, true},
      {"fixture_good.so", "Good", true, true},
      {"fixture_import_exact.so", "Exact", true, true},
      {"fixture_import_short.so", "Import short", true, true},
      {"fixture_null_entries.so", "Null entries", false, false},
      {"fixture_twin.so", "good", false, true},
  };
  const std::vector<FlpxModuleInfo> modules = ListFlpxModules(folder.string());
  ASSERT_EQ(modules.size(), expected.size());
  for (size_t i = 0; i < modules.size(); ++i) {
    SCOPED_TRACE(expected[i].file);
    EXPECT_EQ(modules[i].path, (folder / expected[i].file).string());
    EXPECT_EQ(modules[i].displayName, expected[i].name);
    EXPECT_EQ(modules[i].hasConfigure, expected[i].configure);
    EXPECT_EQ(modules[i].hasExport, expected[i].exportPlan);
    EXPECT_FALSE(StillMapped(modules[i].path));
  }
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(ListFlpxModules((folder / "missing").string()).empty());
  fs::remove_all(folder);
}

TEST_F(FlpxHostTest, ExportCallsOnlyThroughValidTablesAndUnloadsAfterwards) {
  struct Case {
    const char* fixture;
    FlpxCallResult result;
  };
  const Case cases[] = {
      {"fixture_good", FlpxCallResult::Done},
      {"fixture_import_exact", FlpxCallResult::Done},  // only the service slots: still called
      {"fixture_fails", FlpxCallResult::Failed},
      {"fixture_import_short", FlpxCallResult::NotCalled},
      {"fixture_short_export", FlpxCallResult::NotCalled},
      {"fixture_no_table", FlpxCallResult::NotCalled},
      {"fixture_null_entries", FlpxCallResult::NotCalled},
      {"fixture_missing", FlpxCallResult::NotCalled},
  };
  int plan = 0, parent = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    SetUp();
    const int waitsBefore = m_ui.waits;
    EXPECT_EQ(CallFlpxExport(Fixture(c.fixture), kScripted, &plan, &parent, &m_ui), c.result);
    EXPECT_FALSE(StillMapped(Fixture(c.fixture)));
    EXPECT_EQ(m_ui.waitDepth, 0);
    if (c.result == FlpxCallResult::NotCalled) {
      EXPECT_TRUE(g_calls.empty());
      EXPECT_EQ(m_ui.waits, waitsBefore);
      continue;
    }
    const std::vector<ServiceCall> expected = {{"save", nullptr}, {"info", &plan}, {"waypoint", &plan}, {"start", &plan}};
    EXPECT_EQ(g_calls, expected);
    EXPECT_EQ(g_parentSeen, &parent);
    EXPECT_EQ(m_ui.waits, waitsBefore + 1) << "the export runs under the wait cursor";
  }
}

TEST_F(FlpxHostTest, ConfigureHandsOverTheHostContext) {
  int context = 0, parent = 0;
  EXPECT_EQ(CallFlpxConfigure(Fixture("fixture_good"), kScripted, &context, &parent), FlpxCallResult::Done);
  ASSERT_EQ(g_calls.size(), 4u);
  EXPECT_EQ(g_calls[1].handle, &context);
  EXPECT_EQ(g_parentSeen, &parent);
  EXPECT_EQ(m_ui.waits, 0);
  EXPECT_FALSE(StillMapped(Fixture("fixture_good")));

  g_calls.clear();
  EXPECT_EQ(CallFlpxConfigure(Fixture("fixture_fails"), kScripted, &context, &parent), FlpxCallResult::NotCalled);
  EXPECT_EQ(CallFlpxConfigure(Fixture("fixture_import_short"), kScripted, &context, &parent),
            FlpxCallResult::NotCalled);
  EXPECT_TRUE(g_calls.empty());
}

}  // namespace
