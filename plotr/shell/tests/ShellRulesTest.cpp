#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plotr/core/CommandIds.h"
#include "plotr/shell/ShellRules.h"

namespace {

TEST(ShellRules, ExactlyOneSaveAsProcedureItemStaysInTheMenu) {
  for (int check : {-1, 0, 1}) {
    PlanCommandFacts f;
    f.sidStarCheck = check;
    int kept = 0;
    for (int id : {cmd::kSaveAsSidStar, cmd::kSaveAsSid, cmd::kSaveAsStar}) {
      const CommandState s = PlanCommandState(id, f, true);
      if (s.kept) {
        ++kept;
        EXPECT_TRUE(s.enabled) << id;
      }
      // Outside a menu (a tool bar) nothing is removed, only disabled.
      EXPECT_TRUE(PlanCommandState(id, f, false).kept);
    }
    EXPECT_EQ(kept, 1) << check;
  }
  PlanCommandFacts sid;
  sid.sidStarCheck = 0;
  EXPECT_TRUE(PlanCommandState(cmd::kSaveAsSid, sid, true).kept);
  PlanCommandFacts star;
  star.sidStarCheck = 1;
  EXPECT_TRUE(PlanCommandState(cmd::kSaveAsStar, star, true).kept);
}

TEST(ShellRules, MultiplayerItemsFollowTheSession) {
  PlanCommandFacts off;
  EXPECT_TRUE(PlanCommandState(cmd::kMultiplayerConnect, off, true).kept);
  EXPECT_TRUE(PlanCommandState(cmd::kMultiplayerConnect, off, true).enabled);
  EXPECT_FALSE(PlanCommandState(cmd::kMultiplayerDisconnect, off, true).kept);
  EXPECT_TRUE(PlanCommandState(cmd::kMultiplayerDisconnect, off, false).enabled);
  EXPECT_FALSE(PlanCommandState(cmd::kPublicPlan, off, true).enabled);

  PlanCommandFacts on;
  on.connected = true;
  on.planPublic = true;
  EXPECT_FALSE(PlanCommandState(cmd::kMultiplayerConnect, on, true).kept);
  EXPECT_TRUE(PlanCommandState(cmd::kMultiplayerDisconnect, on, true).kept);
  EXPECT_TRUE(PlanCommandState(cmd::kMultiplayerDisconnect, on, true).enabled);
  EXPECT_TRUE(PlanCommandState(cmd::kPublicPlan, on, true).checked);
  EXPECT_FALSE(PlanCommandState(cmd::kHostSettings, on, true).enabled);
  on.sessionHost = true;
  EXPECT_TRUE(PlanCommandState(cmd::kHostSettings, on, true).enabled);
  on.sessionLost = true;
  EXPECT_FALSE(PlanCommandState(cmd::kMultiplayerDisconnect, on, true).enabled);
  EXPECT_FALSE(PlanCommandState(cmd::kPublicPlan, on, true).enabled);
}

TEST(ShellRules, AutoRouteCommandsNeedWaypointsOrRoutePoints) {
  PlanCommandFacts f;
  f.waypointCount = 1;
  EXPECT_FALSE(PlanCommandState(cmd::kCalcAutoRoute, f, true).enabled);
  f.waypointCount = 2;
  EXPECT_TRUE(PlanCommandState(cmd::kCalcAutoRoute, f, true).enabled);
  EXPECT_FALSE(PlanCommandState(cmd::kRemoveAutoRoute, f, true).enabled);
  f.anyAutoRoutePoint = true;
  EXPECT_TRUE(PlanCommandState(cmd::kRemoveAutoRoute, f, true).enabled);
}

TEST(ShellRules, FirstSaveNameIsTheTitleCutAtItsFirstSeparator) {
  EXPECT_EQ(DefaultSaveName("KSEA to KPDX", ".cwp"), "KSEA.cwp");
  EXPECT_EQ(DefaultSaveName("LSZH#2", ".cwp"), "LSZH.cwp");
  EXPECT_EQ(DefaultSaveName("a/b", ".cwp"), "a.cwp");
  EXPECT_EQ(DefaultSaveName("", ".cwp"), ".cwp");
  EXPECT_EQ(DefaultSaveName("Plan", ".cwp"), "Plan.cwp");
}

TEST(ShellRules, PeriodicHintOnTicksTwoSevenTwelve) {
  std::vector<uint32_t> due;
  for (uint32_t t = 0; t < 15; ++t)
    if (PeriodicHintDue(t)) due.push_back(t);
  EXPECT_EQ(due, (std::vector<uint32_t>{2, 7, 12}));
}

TEST(ShellRules, TickRunsOnlyIdleUntilTheFirstShow) {
  for (uint32_t c : {0u, 1u, 5u}) {
    const TickWork w = PlanTick(c, false, false);
    EXPECT_EQ(w.idle, c % 5 == 0);
    EXPECT_FALSE(w.documentTick);
    EXPECT_FALSE(w.dialogWatch);
  }
  EXPECT_FALSE(PlanTick(0, false, true).idle);
  const TickWork shown0 = PlanTick(10, true, false);
  EXPECT_TRUE(shown0.idle && shown0.dialogWatch && shown0.documentTick);
  const TickWork shown1 = PlanTick(11, true, false);
  EXPECT_TRUE(!shown1.idle && !shown1.dialogWatch && shown1.documentTick);
}

TEST(ShellRules, OnlyTheBookDialogKeepsTheModuleHidden) {
  struct Case {
    int simVer;
    HostDialogFacts facts;
    bool mayShow;
  } cases[] = {
      {90, {true, true, "book"}, false},
      {80, {true, true, "book"}, false},
      {70, {true, true, "book"}, true},
      {90, {false, true, "book"}, true},
      {90, {true, false, "book"}, true},
      {90, {true, true, "Book"}, true},
      {90, {true, true, "OK"}, true},
  };
  for (const Case& c : cases) EXPECT_EQ(MayShowOverHostDialog(c.simVer, c.facts), c.mayShow);
}

TEST(ShellRules, StatusTextWithoutTextIsIgnoredUnlessACustomTextShows) {
  bool custom = false;
  EXPECT_FALSE(AcceptStatusText(false, custom));
  EXPECT_TRUE(AcceptStatusText(true, custom));
  EXPECT_TRUE(custom);
  EXPECT_TRUE(AcceptStatusText(false, custom));
  EXPECT_FALSE(custom);
}

TEST(ShellRules, RecentFilesShownEndAtTheFirstUnusedEntry) {
  using List = std::vector<std::string>;
  const struct {
    List recent;
    size_t shown;
  } cases[] = {
      {{}, 0},
      {{"", "", "", ""}, 0},  // a profile without the section
      {{"", "a.cwp", "", ""}, 0},
      {{"a.cwp", "", "c.cwp", ""}, 1},
      {{"a.cwp", "b.cwp"}, 2},  // after a removal the list is shorter
      {{"a.cwp", "b.cwp", "c.cwp", "d.cwp"}, 4},
  };
  for (const auto& c : cases) EXPECT_EQ(RecentFilesShown(c.recent), c.shown) << ::testing::PrintToString(c.recent);
}

TEST(ShellRules, TheOpenPlanUnmodifiedIsOnlyBroughtForward) {
  const std::string open = "/sim/Modules/Chartwright/Plan/Trip.cwp";
  const struct {
    std::string path;
    bool modified;
    MatchConfidence match;
  } cases[] = {
      {open, false, MatchConfidence::kYesAlreadyOpen},
      {"/sim/Modules/Chartwright/Plan/../Plan/Trip.cwp", false, MatchConfidence::kYesAlreadyOpen},
      {open, true, MatchConfidence::kYesAttemptNative},  // the edits give way to the stored file
      {"/sim/Modules/Chartwright/Plan/Other.cwp", false, MatchConfidence::kYesAttemptNative},
      {"/sim/Modules/Chartwright/Plan/OTHER.CWP", false, MatchConfidence::kYesAttemptNative},
      {"/sim/Modules/Chartwright/Plan/Trip.cwp.bak", false, MatchConfidence::kMaybeAttemptNative},
      {"/sim/Modules/Chart.wright/Plan/Trip", false, MatchConfidence::kMaybeAttemptNative},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchDocType(c.path, open, c.modified), c.match) << c.path << (c.modified ? " modified" : "");
  // An untitled plan is no file's.
  EXPECT_EQ(MatchDocType("", "", false), MatchConfidence::kMaybeAttemptNative);
  EXPECT_EQ(MatchDocType(open, "", false), MatchConfidence::kYesAttemptNative);
}

}  // namespace
