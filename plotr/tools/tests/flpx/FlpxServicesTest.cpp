#include "plotr/tools/FlpxServices.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/FlightPlanCore.h"
#include "plotr/plan/tests/support/FakePlanUi.h"
#include "plotr/plan/tests/support/PlanDatabase.h"
#include "plotr/plan/tests/support/PlanFixture.h"
#include "plotr/tools/testing/FakeToolDialogs.h"

namespace {

using namespace plantest;

constexpr uint8_t kCanary = 0x5A;

class FlpxServicesTest : public ::testing::Test {
 protected:
  FlpxServicesTest() : m_folder("flpx_services") {
    BuildPlanDatabase(DatabaseLease::HeldDatabase());
    m_plan.Clear();
    m_plan.Push(TripRoute());
    m_plan.Rebuild();
  }
  ~FlpxServicesTest() override { DatabaseLease::HeldDatabase().ClearDatabase(); }

  // Calls one record service on a canary-filled buffer whose size field says `size`.
  int CallWithSize(int which, uint32_t size, std::vector<uint8_t>& buffer, void* plan) {
    buffer.assign(3400, kCanary);
    std::memcpy(buffer.data(), &size, 4);
    const FlpxServiceSet& s = GetFlpxServices();
    switch (which) {
      case 0: return s.getPlanInfo(plan, reinterpret_cast<FlpxPlanInfo*>(buffer.data()));
      case 1: return s.getWaypoint(plan, kFlpxMoveFirst, reinterpret_cast<FlpxWaypoint*>(buffer.data()));
      default: return s.getStartPosition(plan, kFlpxMoveFirst, reinterpret_cast<FlpxStartPosition*>(buffer.data()));
    }
  }

  ScopedPlanFolder m_folder;
  DatabaseLease m_lease;
  CFlightPlanCore m_plan;
};

TEST_F(FlpxServicesTest, OnlyTheExactRecordSizeIsFilled) {
  const uint32_t sizes[] = {kFlpxPlanInfoSize, kFlpxWaypointSize, kFlpxStartPositionSize};
  std::vector<uint8_t> buffer;
  for (int which = 0; which < 3; ++which) {
    const uint32_t n = sizes[which];
    for (uint32_t size : {n - 1, n, n + 1}) {
      SCOPED_TRACE(testing::Message() << "record " << which << " size " << size);
      const int result = CallWithSize(which, size, buffer, &m_plan);
      EXPECT_EQ(result, size == n ? 1 : 0);
      uint32_t after = 0;
      std::memcpy(&after, buffer.data(), 4);
      EXPECT_EQ(after, size);
      for (size_t i = size == n ? n : 4; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], kCanary) << "byte " << i << " written";
      }
    }
    EXPECT_EQ(CallWithSize(which, n, buffer, nullptr), 0) << "null plan";
  }
  const FlpxServiceSet& s = GetFlpxServices();
  EXPECT_EQ(s.getPlanInfo(&m_plan, nullptr), 0);
  EXPECT_EQ(s.getWaypoint(&m_plan, kFlpxMoveFirst, nullptr), 0);
  EXPECT_EQ(s.getStartPosition(&m_plan, kFlpxMoveFirst, nullptr), 0);
}

TEST_F(FlpxServicesTest, ServicesReadThePlansOwnCursors) {
  const FlpxServiceSet& s = GetFlpxServices();
  FlpxWaypoint a{}, b{};
  a.size = b.size = kFlpxWaypointSize;
  ASSERT_EQ(s.getWaypoint(&m_plan, kFlpxMoveFirst, &a), 1);
  ASSERT_EQ(m_plan.GetWaypoint(kFlpxMoveFirst, &b), 1);
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
  EXPECT_EQ(a.type, 'A');
  int count = 1;
  while (s.getWaypoint(&m_plan, kFlpxMoveNext, &a)) ++count;
  EXPECT_EQ(count, static_cast<int>(m_plan.m_rows.size()) - 1) << "every row but the bearing point";
  EXPECT_EQ(m_plan.m_waypointCursor, 0);
}

TEST_F(FlpxServicesTest, SaveDialogPassesAnyPathTheFileSystemTakesAndReportsALongerOne) {
  FakeToolDialogs dialogs;
  FakePlanUi ui;
  FlpxSaveDialogScope scope({&ui, &dialogs});
  const FlpxSaveFileDialogFn save = GetFlpxServices().saveFileDialog;
  char path[kFlpxPathSize + 8];
  int parent = 0;

  struct Case {
    size_t length;
    int result;
    bool reported;  // the user is told why nothing was exported
  };
  const Case cases[] = {
      {300, 1, false},           // folder names in UTF-8 get there soon
      {PATH_MAX - 1, 1, false},  // the longest path the system opens
      {kFlpxPathSize, 0, true},  // more than the plug-in's buffer holds
      {0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::memset(path, kCanary, sizeof path);
    ui.errors.clear();
    dialogs.saveOut.path = c.length ? "/" + std::string(c.length - 1, 'p') : "";
    EXPECT_EQ(save(path, &parent, "F (*.txt)|*.txt||", "/plans/", "txt", nullptr), c.result);
    if (c.result) {
      EXPECT_EQ(std::string(path), dialogs.saveOut.path);
    } else {
      for (char ch : path) ASSERT_EQ(static_cast<uint8_t>(ch), kCanary);
    }
    EXPECT_EQ(ui.errors, c.reported ? std::vector<std::string>{kFlpxPathTooLongText} : std::vector<std::string>{});
  }
  EXPECT_EQ(dialogs.saveIn.parent, &parent);
  EXPECT_EQ(dialogs.saveIn.filter, "F (*.txt)|*.txt||");
  EXPECT_EQ(dialogs.saveIn.initialDir, "/plans/");
  EXPECT_EQ(dialogs.saveIn.defaultExt, "txt");
  EXPECT_EQ(dialogs.saveIn.initialName, "");

  // The path buffer passed as the initial name: its folder wins and it is read before the answer lands.
  std::strcpy(path, "/old/folder/Zurich to Basel.PLN");
  dialogs.saveOut.path = "/new/plan.PLN";
  EXPECT_EQ(save(path, nullptr, nullptr, "/ignored/", "PLNX", path), 1);
  EXPECT_EQ(dialogs.saveIn.initialDir, "/old/folder/");
  EXPECT_EQ(dialogs.saveIn.initialName, "Zurich to Basel.PLN");
  EXPECT_EQ(dialogs.saveIn.defaultExt, "PLN");
  EXPECT_EQ(std::string(path), "/new/plan.PLN");

  // Cancel, and no dialog at all, leave the buffer alone.
  dialogs.accept = false;
  EXPECT_EQ(save(path, nullptr, "", "", "", ""), 0);
  EXPECT_EQ(std::string(path), "/new/plan.PLN");
  EXPECT_EQ(dialogs.saveIn.filter, "");
  EXPECT_EQ(save(nullptr, nullptr, "", "", "", ""), 0);
  EXPECT_TRUE(ui.errors.empty()) << "a cancel is no error";
}

TEST(FlpxServicesNoDialogs, SaveOutsideAnExportsDialogScopeIsACancel) {
  char path[kFlpxPathSize] = "kept";
  EXPECT_EQ(GetFlpxServices().saveFileDialog(path, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(std::string(path), "kept");
}

}  // namespace
