#include "plotr/multiplayer/PlayerTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

mp::AircraftReport At(double lat, double lon) {
  mp::AircraftReport a;
  a.latitude = lat;
  a.longitude = lon;
  a.altitudeFeet = 3000;
  a.heading = 90;
  a.northVelocity = 10;
  a.eastVelocity = 20;
  a.groundSpeed = 120;
  return a;
}

MpPlayerRecordDP8 Dp8Record(uint32_t id, const char* name, uint32_t flags = 0) {
  MpPlayerRecordDP8 r;
  r.flags = flags;
  r.entry.playerId = id;
  SetEntryName(r.entry, name);
  return r;
}

MpPlayerRecordDP4 Dp4Record(uint32_t id, const char* name, uint32_t kind, bool isPublic = false) {
  MpPlayerRecordDP4 r;
  r.kind = kind;
  r.publicPlan = isPublic ? 1 : 0;
  r.entry.playerId = id;
  SetEntryName(r.entry, name);
  return r;
}

std::vector<std::string> Names(const std::vector<MpPlayerEntry>& list) {
  std::vector<std::string> names;
  for (const MpPlayerEntry& e : list) names.emplace_back(EntryName(e));
  return names;
}

TEST(PlayerMap, WalksBucketsInOrderNewestFirstWithinABucket) {
  PlayerMap<int> map;
  map.Set(0x10, 1);        // bucket 1
  map.Set(0x01, 2);        // bucket 0
  map.Set(0x02, 3);        // bucket 0, newer
  map.Set(0x10 * 18, 4);   // bucket 18 mod 17 = 1, newer than 0x10
  EXPECT_EQ(map.Ids(), (std::vector<uint32_t>{0x02, 0x01, 0x10 * 18, 0x10}));
  map.Set(0x01, 5);  // replaced in place
  EXPECT_EQ(map.Ids(), (std::vector<uint32_t>{0x02, 0x01, 0x10 * 18, 0x10}));
  EXPECT_EQ(*map.Find(0x01), 5);
  EXPECT_TRUE(map.Remove(0x02));
  EXPECT_FALSE(map.Remove(0x02));
  EXPECT_EQ(map.Size(), 3u);
}

TEST(PlayerTables, NewerSessionTakesReportsInSequence) {
  Dp8PlayerMap players;
  players.Set(7, Dp8Record(7, "Host"));
  struct Step {
    const char* name;
    uint32_t id;
    uint32_t sequence;
    double latitude;
    bool taken;
  } steps[] = {
      {"firstTakenWhateverItsSequence", mp::dp8::kState, 0x90000000u, 10, true},
      {"equalDropped", mp::dp8::kState, 0x90000000u, 11, false},
      {"olderDropped", mp::dp8::kPosition, 0x8FFFFFFFu, 12, false},
      {"smallerByHalfDropped", mp::dp8::kPosition, 0x10000000u, 13, false},
      {"smallerByHalfPlusOneTaken", mp::dp8::kPosition, 0x0FFFFFFFu, 14, true},
      {"nextTaken", mp::dp8::kState, 0x10000000u, 15, true},
  };
  uint32_t tick = 1000;
  float expected = 0;
  for (const Step& s : steps) {
    tick += 100;
    const auto bytes = mp::EncodeDp8Report(s.id, s.sequence, At(s.latitude, 8));
    EXPECT_TRUE(ReceiveDp8PlayerMessage(players, 7, bytes, tick)) << s.name;
    const MpPlayerEntry& e = players.Find(7)->entry;
    if (s.taken) expected = static_cast<float>(s.latitude);
    EXPECT_NEAR(e.latitude, expected, 1e-4) << s.name;
    EXPECT_EQ(e.hasPosition, 1) << s.name;
    if (s.taken) {
      EXPECT_EQ(e.reportTime, tick) << s.name;
      // A position report carries no velocities and clears them.
      EXPECT_NEAR(e.speed, s.id == mp::dp8::kState ? 120 : 0, 1e-3) << s.name;
      EXPECT_NEAR(e.northVelocity, s.id == mp::dp8::kState ? 10 : 0, 1e-3) << s.name;
    }
  }
  // A sender without a record changes nothing; the peer text of one with a record is replaced.
  EXPECT_TRUE(ReceiveDp8PlayerMessage(players, 8, mp::EncodeDp8Report(mp::dp8::kState, 1, At(1, 1)), tick));
  EXPECT_EQ(players.Size(), 1u);
  std::vector<uint8_t> text = {0x03, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'h', 'i', 0};
  EXPECT_TRUE(ReceiveDp8PlayerMessage(players, 7, text, tick));
  EXPECT_STREQ(players.Find(7)->peerText, "hi");
  EXPECT_FALSE(ReceiveDp8PlayerMessage(players, 7, mp::EncodeBare(0x100B), tick));
}

TEST(PlayerTables, OlderSessionTakesReportsNoticesAndGrants) {
  Dp4PlayerMap players;
  players.Set(3, Dp4Record(3, "Host", mp::dp4::kKindUnknown));
  uint32_t tick = 50;
  const auto report = [&](uint32_t id, uint32_t seq, double lat) {
    tick += 10;
    ReceiveDp4PlayerMessage(players, 3, mp::EncodeDp4Report(id, seq, At(lat, 8), 70), 70, tick);
    return players.Find(3)->entry.latitude;
  };
  EXPECT_NEAR(report(mp::dp4::kState, 0x80000005u, 1), 1, 1e-4);
  EXPECT_NEAR(players.Find(3)->entry.speed, 120, 1e-3);
  EXPECT_NEAR(report(mp::dp4::kPosition, 0x80000005u, 2), 1, 1e-4);  // equal
  EXPECT_NEAR(report(mp::dp4::kPosition, 5, 3), 3, 1e-4);             // smaller by exactly 2^31
  EXPECT_EQ(players.Find(3)->entry.speed, 0.0f);
  EXPECT_NEAR(report(mp::dp4::kPosition, 4, 4), 3, 1e-4);             // older

  EXPECT_TRUE(ReceiveDp4PlayerMessage(players, 3, mp::EncodePublicNotice(true), 70, tick));
  EXPECT_EQ(players.Find(3)->publicPlan, 1);
  EXPECT_TRUE(ReceiveDp4PlayerMessage(players, 99, mp::EncodePlayerId(mp::dp4::kPilotGranted, 3), 70, tick));
  EXPECT_EQ(players.Find(3)->kind, mp::dp4::kKindPilot);
  EXPECT_TRUE(ReceiveDp4PlayerMessage(players, 99, mp::EncodePlayerId(mp::dp4::kObserverGranted, 3), 70, tick));
  EXPECT_EQ(players.Find(3)->kind, mp::dp4::kKindObserver);
  // A notice cut short keeps the byte.
  auto cut = mp::EncodePublicNotice(false);
  cut.resize(11);
  ReceiveDp4PlayerMessage(players, 3, cut, 70, tick);
  EXPECT_EQ(players.Find(3)->publicPlan, 1);
  EXPECT_FALSE(ReceiveDp4PlayerMessage(players, 3, mp::EncodeBare(mp::dp4::kStatusQuery), 70, tick));
}

TEST(PlayerTables, PlayerListsHoldPilotsOnlyAndTheOwnPlayerUnlessPublicOnly) {
  Dp8PlayerMap dp8;
  dp8.Set(0x10, Dp8Record(0x10, "Own", mp::kPeerPublicPlan));
  dp8.Set(0x20, Dp8Record(0x20, "Public", mp::kPeerPublicPlan));
  dp8.Set(0x30, Dp8Record(0x30, "Private"));
  dp8.Set(0x40, Dp8Record(0x40, "Watcher", mp::kPeerObserver | mp::kPeerPublicPlan));
  std::vector<MpPlayerEntry> list;
  ListDp8Players(dp8, 0x10, false, list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Own", "Public", "Private"}));
  list.clear();
  ListDp8Players(dp8, 0x10, true, list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Public"}));
  EXPECT_EQ(CountPilots(dp8), 3u);
  EXPECT_EQ(CountObservers(dp8), 1u);

  Dp4PlayerMap dp4;
  dp4.Set(0x10, Dp4Record(0x10, "Own", mp::dp4::kKindPilot, true));
  dp4.Set(0x20, Dp4Record(0x20, "Public", mp::dp4::kKindPilot, true));
  dp4.Set(0x30, Dp4Record(0x30, "Unknown", mp::dp4::kKindUnknown, true));
  dp4.Set(0x40, Dp4Record(0x40, "Watcher", mp::dp4::kKindObserver, true));
  list.clear();
  ListDp4Players(dp4, 0x10, false, list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Own", "Public"}));
  list.clear();
  ListDp4Players(dp4, 0x10, true, list);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Public"}));
}

TEST(PlayerTables, NamesAreCutTo30Characters) {
  MpPlayerEntry e;
  SetEntryName(e, std::string(40, 'n'));
  EXPECT_EQ(EntryName(e), std::string(30, 'n'));
  SetEntryName(e, "ab");
  EXPECT_EQ(EntryName(e), "ab");
}

}  // namespace

#include "platform/archive/MemoryFile.h"
#include "plotr/multiplayer/SessionSlots.h"

namespace {

TEST(SessionSlots, PlanAnswersComeOnlyFromThePlayerAskedAndTheLastOneWins) {
  const auto bytes = [](const char* text) { return mp::Bytes(reinterpret_cast<const uint8_t*>(text), std::strlen(text)); };
  ReceivedPlanSlot slot;
  archive::MemoryFile file;
  std::string failure;
  slot.Offer(5, bytes("unasked"));
  EXPECT_FALSE(slot.Load(file, failure));
  slot.Ask(5);
  slot.Offer(6, bytes("other player"));
  slot.Offer(5, bytes("first"));
  slot.Offer(5, bytes("second"));
  file.Write("old content", 11);
  ASSERT_TRUE(slot.Load(file, failure));
  EXPECT_EQ(std::string(file.Bytes().begin(), file.Bytes().end()), "second");
  EXPECT_EQ(file.GetPosition(), 0u);
  EXPECT_FALSE(slot.Load(file, failure));
  slot.Offer(5, bytes("after the load"));
  EXPECT_FALSE(slot.Load(file, failure));

  PendingMessageSlot pending;
  pending.Set("one", 1);
  pending.Set("two", 2);
  EXPECT_EQ(pending.Take().text, "two");
  EXPECT_TRUE(pending.Take().text.empty());
}

}  // namespace
