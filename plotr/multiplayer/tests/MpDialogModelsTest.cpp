#include "plotr/multiplayer/MpDialogModels.h"

#include <gtest/gtest.h>

namespace {

MpPlayerRecordDP8 Dp8(uint32_t id, const char* name, bool observer) {
  MpPlayerRecordDP8 r;
  r.flags = observer ? mp::kPeerObserver : 0;
  r.entry.playerId = id;
  SetEntryName(r.entry, name);
  return r;
}

TEST(MpDialogModels, HostSettingsRangesKeepTheLimitsWithinTheSession) {
  struct Case {
    const char* name;
    SpinRange range;
    SpinRange expected;
  } cases[] = {
      {"dp8ThreePilotsObserverLimit4", Dp8PilotRange(3, 4), {3, 12}},
      {"dp8FewerThanTwoPilots", Dp8PilotRange(1, 0), {2, 16}},
      {"dp8ObserversBesidePilotLimit14", Dp8ObserverRange(1, 14), {1, 2}},
      {"dp8ObserversAtMostFour", Dp8ObserverRange(0, 2), {0, 4}},
      {"dp8ObserverLimitBeyondSixteen", Dp8PilotRange(3, 20), {3, 3}},
      {"dp4Below80UpTo255", Dp4PilotRange(1, 70), {2, 255}},
      {"dp4From80UpTo16", Dp4PilotRange(5, 80), {5, 16}},
      {"dp4ObserversFromAdmitted", Dp4ObserverRange(3, 90), {3, 16}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.range, c.expected) << c.name;
}

TEST(MpDialogModels, Dp8HostSettingsRemovesOthersAndMovesTheOtherRange) {
  Dp8PlayerMap players;
  players.Set(0x10, Dp8(0x10, "*me", false));
  players.Set(0x20, Dp8(0x20, "Host", false));
  players.Set(0x30, Dp8(0x30, "*bob", false));
  players.Set(0x40, Dp8(0x40, "*eve", true));
  Dp8HostSettingsModel m(0x10, players, {6, 2});
  HostPlayerList& list = m.Players();
  ASSERT_EQ(list.Lines().size(), 4u);
  EXPECT_EQ(list.Lines()[0].text, "*bob (P)");
  EXPECT_EQ(list.Lines()[1].text, "*eve (O)");
  EXPECT_EQ(list.Lines()[2].text, "*me (P)");
  EXPECT_EQ(list.Lines()[3].text, "Host (P)");
  list.Select(2);
  EXPECT_FALSE(list.CanRemove());
  list.Select(3);
  ASSERT_TRUE(list.CanRemove());  // the host simulator's own player too
  list.RemoveSelected();
  EXPECT_EQ(list.Selection(), 2);  // the new last line
  list.Select(0);
  list.RemoveSelected();
  EXPECT_EQ(list.Selection(), 0);
  EXPECT_EQ(list.RemainingIds(), (std::vector<uint32_t>{0x40, 0x10}));
  // Removals do not lower the ranges in this showing.
  EXPECT_EQ(m.PilotRange(), (SpinRange{3, 14}));
  m.SetPilotLimit(13);
  EXPECT_EQ(m.ObserverRange(), (SpinRange{1, 3}));
  m.SetObserverLimit(3);
  EXPECT_EQ(m.PilotRange(), (SpinRange{3, 13}));
  EXPECT_EQ(m.Limits().pilots, 13u);
  EXPECT_EQ(m.Limits().observers, 3u);

  HostPlayerList single(1, {{"only", 1}}, true);
  EXPECT_FALSE(single.CanRemove());
  HostPlayerList other(1, {{"other", 2}}, true);
  other.RemoveSelected();
  EXPECT_EQ(other.Selection(), -1);
  EXPECT_FALSE(other.CanRemove());
}

TEST(MpDialogModels, Dp4HostSettingsKeepsTypedLimitsInTheirRange) {
  Dp4PlayerMap players;
  MpPlayerRecordDP4 r;
  SetEntryName(r.entry, "*me");
  players.Set(5, r);
  Dp4HostSettingsModel m(5, players, {1, 2, 3, 8}, 70);
  EXPECT_EQ(m.PilotLimit(), 8u);
  m.SetPilotLimit(1000);
  EXPECT_EQ(m.PilotLimit(), 255u);
  m.SetPilotLimit(1);
  EXPECT_EQ(m.PilotLimit(), 3u);
  m.SetObserverLimit(0);
  EXPECT_EQ(m.ObserverLimit(), 1u);
  EXPECT_FALSE(m.Players().CanRemove());
}

TEST(MpDialogModels, OpenRemoteNeedsAChosenPlayer) {
  OpenRemoteModel empty({});
  EXPECT_FALSE(empty.CanOk());
  EXPECT_FALSE(empty.Chosen());
  MpPlayerEntry a, b;
  a.playerId = 7;
  b.playerId = 9;
  OpenRemoteModel two({a, b});
  EXPECT_EQ(*two.Chosen(), 7u);
  two.Select(1);
  EXPECT_EQ(*two.Chosen(), 9u);
  two.Select(5);
  EXPECT_FALSE(two.CanOk());
}

TEST(MpDialogModels, SessionListTexts) {
  EXPECT_EQ(SessionListName("Alps tour[]hidden"), "Alps tour");
  EXPECT_EQ(SessionListName("Alps [tour]"), "Alps [tour]");
  EXPECT_EQ(PilotsColumn({1, 2, 3, 4}), "3/4");
  EXPECT_EQ(ObserversColumn({1, 2, 3, 4}), "1/2");
  EXPECT_EQ(ReadUnsigned("12"), 12u);
  EXPECT_EQ(ReadUnsigned(""), 0u);
  EXPECT_EQ(ReadUnsigned("99999999999"), UINT32_MAX);
}

}  // namespace
