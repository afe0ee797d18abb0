#include "platform/simapi/MpMessages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Buffer = std::vector<uint8_t>;

void Put32(Buffer& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4, 0);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Buffer Msg(uint32_t id, uint32_t length, size_t size) {
  Buffer b(size, 0);
  if (size >= 8) {
    Put32(b, 0, id);
    Put32(b, 4, length);
  }
  return b;
}

// A position block of known values: heading word 256 << 2 (90 degrees), 1 degree of latitude in
// metres, -2^30 longitude units (-90 degrees) and 1000 m.
void PutBlock(Buffer& b, size_t at) {
  Put32(b, at, 256u << 2);
  Put32(b, at + 4, 111131);  // 40007000 / 360 rounded
  Put32(b, at + 8, static_cast<uint32_t>(-(1 << 30)));
  Put32(b, at + 12, 1000);
}

void ExpectBlock(const mp::Report& r, const char* name) {
  EXPECT_FLOAT_EQ(r.heading, 90.0f) << name;
  EXPECT_NEAR(r.latitude, 111131 * 360.0 / 40007000.0, 1e-6) << name;
  EXPECT_NEAR(r.longitude, -(1 << 30) * 8.38190317349087e-8, 1e-5) << name;
  EXPECT_NEAR(r.altitude, 3280.83989501312, 1e-3) << name;
}

TEST(MpMessages, ReportsDecodeTheirUnitsAtTheVersionsOffsets) {
  struct Case {
    const char* name;
    bool dp8;
    int version;
    uint32_t id;
    uint32_t length;
    size_t size;
    size_t sequenceAt;
    size_t blockAt;
    bool speeds;
  } cases[] = {
      {"dp8Position", true, 90, mp::dp8::kPosition, 36, 36, 12, 20, false},
      {"dp8State", true, 90, mp::dp8::kState, 52, 52, 8, 36, true},
      {"dp4Position70", false, 70, mp::dp4::kPosition, 36, 44, 12, 20, false},
      {"dp4Position61", false, 61, mp::dp4::kPosition, 32, 40, 12, 16, false},
      {"dp4State70", false, 70, mp::dp4::kState, 52, 60, 8, 36, true},
      {"dp4State61", false, 61, mp::dp4::kState, 48, 56, 8, 32, true},
      {"dp4State80", false, 80, mp::dp4::kState, 52, 60, 8, 36, true},
  };
  for (const Case& c : cases) {
    Buffer b = Msg(c.id, c.length, c.size);
    Put32(b, c.sequenceAt, 77);
    PutBlock(b, c.blockAt);
    if (c.speeds) {
      Put32(b, 16, 0x00018000);                         // 1.5 ft/s north
      Put32(b, 20, static_cast<uint32_t>(-0x00020000));  // -2 ft/s east
      Put32(b, 24, 0x00004000);                         // 0.25
      Put32(b, 28, 100u << 16);                         // 100 m/s
    }
    const auto r = c.dp8 ? mp::DecodeDp8Report(b) : mp::DecodeDp4Report(b, c.version);
    ASSERT_TRUE(r) << c.name;
    EXPECT_EQ(r->sequence, 77u) << c.name;
    ExpectBlock(*r, c.name);
    if (c.speeds) {
      EXPECT_FLOAT_EQ(r->speeds[0], 1.5f) << c.name;
      EXPECT_FLOAT_EQ(r->speeds[1], -2.0f) << c.name;
      EXPECT_FLOAT_EQ(r->speeds[2], 0.25f) << c.name;
      EXPECT_NEAR(r->speeds[3], 100 * 3600.0 / 1852.0, 1e-3) << c.name;
    } else {
      for (float s : r->speeds) EXPECT_EQ(s, 0.0f) << c.name;
    }
  }
}

TEST(MpMessages, StateReportOfExactlyItsLengthFieldCarriesSpeedTimesPi) {
  for (int version : {61, 70}) {
    const uint32_t length = version > 61 ? 52 : 48;
    Buffer b = Msg(mp::dp4::kState, length, length);
    Put32(b, 28, 100u << 16);
    const auto exact = mp::DecodeDp4Report(b, version);
    ASSERT_TRUE(exact) << version;
    EXPECT_NEAR(exact->speeds[3], 100 * 3600.0 / 1852.0 / M_PI, 1e-3) << version;
    b.resize(length + 1);
    const auto longer = mp::DecodeDp4Report(b, version);
    ASSERT_TRUE(longer) << version;
    EXPECT_NEAR(longer->speeds[3], 100 * 3600.0 / 1852.0, 1e-3) << version;
  }
}

TEST(MpMessages, HostileMessagesAreDropped) {
  struct Case {
    const char* name;
    Buffer message;
    int version;  // 90: newer session decoder
  } cases[] = {
      {"empty", {}, 90},
      {"sevenBytes", Buffer(7, 0x10), 90},
      {"dp8UnknownId", Msg(0x100B, 52, 52), 90},
      {"dp8PositionLengthFieldShort", Msg(mp::dp8::kPosition, 35, 64), 90},
      {"dp8PositionTruncatedBlock", Msg(mp::dp8::kPosition, 36, 35), 90},
      {"dp8PositionLengthHuge", Msg(mp::dp8::kPosition, 0xFFFFFFFF, 20), 90},
      {"dp8StateLengthFieldShort", Msg(mp::dp8::kState, 51, 64), 90},
      {"dp8StateTruncated", Msg(mp::dp8::kState, 52, 51), 90},
      {"dp8StateOnlySpeeds", Msg(mp::dp8::kState, 52, 32), 90},
      {"dp4UnknownId", Msg(0x1017, 60, 60), 70},
      {"dp4PositionShort70", Msg(mp::dp4::kPosition, 35, 60), 70},
      {"dp4PositionShort61", Msg(mp::dp4::kPosition, 31, 60), 61},
      {"dp4PositionTruncated70", Msg(mp::dp4::kPosition, 36, 35), 70},
      {"dp4StateShort70", Msg(mp::dp4::kState, 51, 60), 70},
      {"dp4StateShort61", Msg(mp::dp4::kState, 47, 60), 61},
      {"dp4StateTruncated70", Msg(mp::dp4::kState, 52, 51), 70},
      {"dp4StateTruncated61", Msg(mp::dp4::kState, 48, 47), 61},
      {"dp4StateLengthHuge", Msg(mp::dp4::kState, 0x80000000, 12), 70},
  };
  for (const Case& c : cases) {
    const auto r = c.version >= 90 ? mp::DecodeDp8Report(c.message) : mp::DecodeDp4Report(c.message, c.version);
    EXPECT_FALSE(r) << c.name;
  }
  // A 61 report's 48 bytes are too few where the block sits four bytes later.
  EXPECT_TRUE(mp::DecodeDp4Report(Msg(mp::dp4::kState, 48, 48), 61));
  EXPECT_FALSE(mp::DecodeDp4Report(Msg(mp::dp4::kState, 52, 48), 70));

  struct SmallCase {
    const char* name;
    Buffer message;
  } small[] = {
      {"noHeader", Buffer(6, 0)},
      {"lengthBelowFour", Msg(mp::dp4::kPilotGranted, 3, 12)},
      {"idOutsideBytes", Msg(mp::dp4::kPilotGranted, 4, 11)},
      {"lengthClaimsMore", Msg(mp::dp4::kPilotGranted, 400, 10)},
  };
  for (const SmallCase& c : small) {
    EXPECT_FALSE(mp::DecodePlayerId(c.message)) << c.name;
    EXPECT_FALSE(mp::DecodePublicNotice(c.message)) << c.name;
  }

  struct PlanCase {
    const char* name;
    Buffer message;
    std::optional<size_t> image;
  } plans[] = {
      {"noHeader", Buffer(7, 0), std::nullopt},
      {"emptyImage", Msg(mp::dp8::kPlanAnswer, 0, 8), 0},
      {"exact", Msg(mp::dp8::kPlanAnswer, 5, 13), 5},
      {"trailingBytesIgnored", Msg(mp::dp4::kPlanAnswer, 5, 20), 5},
      {"oneShort", Msg(mp::dp8::kPlanAnswer, 6, 13), std::nullopt},
      {"lengthMax", Msg(mp::dp4::kPlanAnswer, 0xFFFFFFFF, 64), std::nullopt},
  };
  for (const PlanCase& c : plans) {
    const auto image = mp::DecodePlanAnswer(c.message);
    ASSERT_EQ(image.has_value(), c.image.has_value()) << c.name;
    if (image) {
      EXPECT_EQ(image->size(), *c.image) << c.name;
    }
  }
}

TEST(MpMessages, PeerTextIsCutToItsBytesAndItsField) {
  EXPECT_FALSE(mp::DecodePeerText(Buffer(11, 0)));
  EXPECT_EQ(*mp::DecodePeerText(Msg(mp::dp8::kPeerText, 0, 12)), "");
  Buffer unterminated = Msg(mp::dp8::kPeerText, 0, 12);
  for (char c : std::string("ABC")) unterminated.push_back(static_cast<uint8_t>(c));
  EXPECT_EQ(*mp::DecodePeerText(unterminated), "ABC");
  Buffer tooLong = Msg(mp::dp8::kPeerText, 0, 12);
  tooLong.resize(12 + 400, 'x');
  EXPECT_EQ(mp::DecodePeerText(tooLong)->size(), 264u);

  EXPECT_FALSE(mp::DecodePeerBlock(Buffer(267, 'a')));
  Buffer block = mp::EncodePeerBlock(0xFFFFFFFF, std::string(300, 'y'));
  ASSERT_EQ(block.size(), 268u);
  const auto info = mp::DecodePeerBlock(block);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->flags, mp::kPeerReadFlags);
  EXPECT_EQ(info->text, std::string(263, 'y'));
  // A block whose text fills its field without a NUL, followed by more data.
  Buffer full(268, 'z');
  full.resize(400, 'q');
  EXPECT_EQ(mp::DecodePeerBlock(full)->text, std::string(264, 'z'));
}

TEST(MpMessages, ConnectDataCarriesTheNameInUtf16) {
  const Buffer data = mp::EncodeConnectData(false, "*Caf\xE9");
  EXPECT_EQ(data.size(), 24u + 12u);
  const auto request = mp::DecodeConnectData(data);
  ASSERT_TRUE(request);
  EXPECT_FALSE(request->observer);
  EXPECT_EQ(request->name, "*Caf\xE9");

  EXPECT_FALSE(mp::DecodeConnectData(Buffer(25, 0)));
  // Cut before the terminator, odd last byte: the name ends with the data.
  Buffer cut = mp::EncodeConnectData(true, "ABCDEF");
  cut.resize(24 + 7);
  const auto partial = mp::DecodeConnectData(cut);
  ASSERT_TRUE(partial);
  EXPECT_TRUE(partial->observer);
  EXPECT_EQ(partial->name, "ABC");
  EXPECT_EQ(mp::DecodeConnectData(mp::EncodeConnectData(false, std::string(40, 'n')))->name.size(), 30u);
}

TEST(MpMessages, NewerSequenceKeepsBothHalfRangeBoundaries) {
  constexpr uint32_t k2p31 = 0x80000000u;
  struct Case {
    const char* name;
    uint32_t last;
    uint32_t next;
    bool dp8;
    bool dp4;
  } cases[] = {
      {"equal", 5, 5, false, false},
      {"next", 5, 6, true, true},
      {"older", 5, 4, false, false},
      {"aheadByHalfMinusOne", 5, 5 + k2p31 - 1, true, true},
      {"aheadByHalf", 5, 5 + k2p31, false, true},
      {"aheadByHalfPlusOne", 5, 5 + k2p31 + 1, false, false},
      {"behindByHalf", k2p31 + 5, 5, false, true},
      {"behindByHalfPlusOne", k2p31 + 5, 4, true, true},
      {"behindByHalfMinusOne", k2p31 + 5, 6, false, false},
      {"wrapForward", 0xFFFFFFFF, 0, true, true},
      {"highLastSmallStep", k2p31 + 5, k2p31 + 6, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mp::IsNewerSequenceDp8(c.last, c.next), c.dp8) << c.name;
    EXPECT_EQ(mp::IsNewerSequenceDp4(c.last, c.next), c.dp4) << c.name;
  }
}

TEST(MpMessages, EncodedReportsDecodeToTheAircraft) {
  mp::AircraftReport a;
  a.latitude = 47.4582;
  a.longitude = -122.3098;
  a.altitudeFeet = 4500;
  a.heading = 271;
  a.northVelocity = 120.5;
  a.eastVelocity = -33.25;
  a.verticalVelocity = 8;
  a.groundSpeed = 143;
  struct Case {
    const char* name;
    uint32_t id;
    int version;  // 90 newer session
  } cases[] = {
      {"dp8Position", mp::dp8::kPosition, 90}, {"dp8State", mp::dp8::kState, 90},
      {"dp4Position61", mp::dp4::kPosition, 61}, {"dp4State61", mp::dp4::kState, 61},
      {"dp4Position80", mp::dp4::kPosition, 80}, {"dp4State80", mp::dp4::kState, 80},
  };
  for (const Case& c : cases) {
    const Buffer b = c.version >= 90 ? mp::EncodeDp8Report(c.id, 9, a) : mp::EncodeDp4Report(c.id, 9, a, c.version);
    const auto r = c.version >= 90 ? mp::DecodeDp8Report(b) : mp::DecodeDp4Report(b, c.version);
    ASSERT_TRUE(r) << c.name;
    EXPECT_EQ(r->sequence, 9u) << c.name;
    EXPECT_NEAR(r->latitude, a.latitude, 1e-4) << c.name;
    EXPECT_NEAR(r->longitude, a.longitude, 1e-4) << c.name;
    EXPECT_NEAR(r->altitude, a.altitudeFeet, 2) << c.name;
    EXPECT_NEAR(r->heading, a.heading, 0.2) << c.name;
    const bool state = c.id == mp::dp8::kState || c.id == mp::dp4::kState;
    EXPECT_NEAR(r->speeds[3], state ? a.groundSpeed : 0, 1e-3) << c.name;
    EXPECT_NEAR(r->speeds[0], state ? a.northVelocity : 0, 1e-3) << c.name;
  }
}

TEST(MpMessages, SessionReservedDataCountsOnlyWhenWhole) {
  Buffer reserved = mp::EncodeSessionReserved(6, 2, "Friday night fly-in over the Alps!");
  EXPECT_EQ(mp::ReadSessionLimits(reserved, 9).pilots, 6u);
  EXPECT_EQ(mp::ReadSessionLimits(reserved, 9).observers, 2u);
  EXPECT_EQ(mp::ReadSessionComment(reserved), "Friday night fly-in over the Alp");
  ASSERT_TRUE(mp::WriteSessionLimits(reserved, {3, 1}));
  EXPECT_EQ(mp::ReadSessionLimits(reserved, 9).pilots, 3u);

  Buffer shortData(43, 'c');
  EXPECT_EQ(mp::ReadSessionLimits(shortData, 9).pilots, 9u);
  EXPECT_EQ(mp::ReadSessionLimits(shortData, 9).observers, 0u);
  EXPECT_EQ(mp::ReadSessionComment(shortData), "");
  EXPECT_FALSE(mp::WriteSessionLimits(shortData, {3, 1}));
  EXPECT_EQ(mp::ReadSessionLimits({}, 4).pilots, 4u);
}

TEST(MpMessages, NewerSessionHostAdmitsByLimitsAndName) {
  const mp::MemberView twoPilots[] = {{false, "Host"}, {false, "*Alice"}};
  const mp::MemberView withObserver[] = {{false, "Host"}, {true, "*Watcher"}};
  struct Case {
    const char* name;
    Buffer data;
    mp::SessionLimits limits;
    std::span<const mp::MemberView> members;
    bool admit;
    unsigned reply;
  } cases[] = {
      {"pilotLimitReached", mp::EncodeConnectData(false, "*Bob"), {2, 1}, twoPilots, false, mp::kReplyNoMorePilots},
      {"observerWithRoom", mp::EncodeConnectData(true, "*Bob"), {2, 1}, twoPilots, true, 0},
      {"observerLimitZero", mp::EncodeConnectData(true, "*Bob"), {8, 0}, twoPilots, false, mp::kReplyNoMoreObservers},
      {"observerLimitReached", mp::EncodeConnectData(true, "*Bob"), {8, 1}, withObserver, false,
       mp::kReplyNoMoreObservers},
      {"nameDiffersInCaseOnly", mp::EncodeConnectData(false, "*ALICE"), {4, 0}, twoPilots, false,
       mp::kReplyDuplicateCallsign},
      {"pilotWithRoom", mp::EncodeConnectData(false, "*Bob"), {3, 0}, twoPilots, true, 0},
      {"connectDataUnder26", Buffer(25, 0), {8, 8}, twoPilots, false, 0},
  };
  for (const Case& c : cases) {
    const mp::Admission a = mp::DecideDp8Admission(c.data, c.limits, c.members);
    EXPECT_EQ(a.admit, c.admit) << c.name;
    EXPECT_EQ(a.reply, c.reply) << c.name;
  }
  const Buffer reply = mp::AdmissionReplyBytes(mp::kReplyNoMorePilots);
  EXPECT_EQ(std::string(reply.begin(), reply.end()), std::string("No more players allowed.", 25));
}

TEST(MpMessages, OlderSessionHostAnswersRequestsByCounts) {
  using namespace mp::dp4;
  const mp::SessionCounts full{0, 2, 4, 4};  // 4 of 4 pilots, 0 of 2 observers
  const mp::SessionCounts room{1, 1, 1, 4};  // 1 of 4 pilots, 1 of 1 observers
  struct Case {
    const char* name;
    uint32_t request;
    bool hasRecord;
    uint32_t kind;
    mp::SessionCounts counts;
    uint32_t answer;
    bool counted;
    uint8_t pilotsAfter;
    uint8_t observersAfter;
  } cases[] = {
      {"pilotLimitReached", kPilotRequest, true, kKindUnknown, full, kPilotRefused, false, 4, 0},
      {"forcedPilotOverLimit", kForcedPilotRequest, true, kKindUnknown, full, kPilotGranted, true, 5, 0},
      {"pilotWithRoom", kPilotRequest, true, kKindUnknown, room, kPilotGranted, true, 2, 1},
      {"alreadyPilot", kPilotRequest, true, kKindPilot, room, kPilotRefused, false, 1, 1},
      {"alreadyPilotForced", kForcedPilotRequest, true, kKindPilot, room, kPilotGranted, false, 1, 1},
      {"noRecord", kForcedPilotRequest, false, kKindUnknown, room, kPilotRefused, false, 1, 1},
      {"observerWithRoom", kObserverRequest, true, kKindUnknown, full, kObserverGranted, true, 4, 1},
      {"observerLimitReached", kObserverRequest, true, kKindUnknown, room, kObserverRefused, false, 1, 1},
      {"forcedObserver", kForcedObserverRequest, true, kKindUnknown, room, kObserverGranted, true, 1, 2},
      {"moveWithRoom", kMoveToObservers, true, kKindPilot, full, kMoveAccepted, true, 3, 1},
      {"moveNoRoom", kMoveToObservers, true, kKindPilot, room, kMoveRefused, false, 1, 1},
      {"moveUnknownKind", kMoveToObservers, true, kKindUnknown, full, kMoveRefused, false, 4, 0},
      {"moveForcedUnknownKind", kForcedMoveToObservers, true, kKindUnknown, full, kMoveAccepted, false, 4, 0},
  };
  for (const Case& c : cases) {
    const auto d = mp::DecideDp4Admission(c.request, c.hasRecord, c.kind, c.counts);
    ASSERT_TRUE(d) << c.name;
    EXPECT_EQ(d->answer, c.answer) << c.name;
    EXPECT_EQ(d->counts, c.counted) << c.name;
    const mp::SessionCounts after = d->counts ? d->after : c.counts;
    EXPECT_EQ(after.pilotsAdmitted, c.pilotsAfter) << c.name;
    EXPECT_EQ(after.observersAdmitted, c.observersAfter) << c.name;
    EXPECT_EQ(after.pilotLimit, c.counts.pilotLimit) << c.name;
  }
  EXPECT_FALSE(mp::DecideDp4Admission(kStatusQuery, true, kKindUnknown, room));
  // Counts stay in their byte.
  const auto saturated = mp::DecideDp4Admission(kForcedPilotRequest, true, kKindUnknown, {0, 0, 255, 255});
  EXPECT_EQ(saturated->after.pilotsAdmitted, 255);
  EXPECT_EQ(mp::CountsAfterLeave({0, 0, 0, 4}, kKindPilot).pilotsAdmitted, 0);
  EXPECT_EQ(mp::CountsAfterLeave({2, 4, 3, 4}, kKindObserver).observersAdmitted, 1);
}

TEST(MpMessages, CountsPackIntoUser1) {
  const mp::SessionCounts c{1, 2, 3, 4};
  EXPECT_EQ(mp::PackCounts(c), 0x04030201u);
  EXPECT_EQ(mp::UnpackCounts(0x04030201u), c);
}

TEST(MpMessages, OlderSessionLimitsHoldThePlayersPresentAndTheirByte) {
  struct Case {
    const char* name;
    mp::SessionCounts counts;
    uint32_t current;
    uint32_t pilots;
    uint32_t observers;
    int version;
    uint8_t pilotLimit;
    uint8_t observerLimit;
  } cases[] = {
      {"asAsked", {0, 0, 2, 4}, 3, 6, 2, 80, 6, 2},
      {"raisedToPlayersPresent", {1, 2, 5, 8}, 6, 2, 1, 80, 5, 1},
      {"raisedForPlayersNotYetAdmitted", {0, 1, 2, 4}, 5, 2, 1, 80, 4, 1},
      {"pilotsNeverBelowTwo", {0, 0, 0, 4}, 1, 0, 0, 80, 2, 0},
      {"observersNotBelowAdmitted", {3, 4, 2, 4}, 5, 2, 0, 80, 2, 3},
      {"ceiling16From80", {0, 0, 1, 4}, 1, 400, 70, 80, 16, 16},
      {"byteBelow80", {0, 0, 1, 4}, 1, 400, 70, 70, 255, 70},
  };
  for (const Case& c : cases) {
    const mp::Dp4Limits l = mp::ApplyDp4Limits(c.counts, c.current, c.pilots, c.observers, c.version);
    EXPECT_EQ(l.counts.pilotLimit, c.pilotLimit) << c.name;
    EXPECT_EQ(l.counts.observerLimit, c.observerLimit) << c.name;
    EXPECT_EQ(l.maxPlayers, uint32_t{c.pilotLimit} + c.observerLimit) << c.name;
    EXPECT_EQ(l.counts.pilotsAdmitted, c.counts.pilotsAdmitted) << c.name;
  }
}

TEST(MpMessages, ApplicationIdsFollowTheVersion) {
  EXPECT_EQ(mp::kDp8Application.data1, 0x0808CAA5u);
  EXPECT_EQ(mp::kDp8Application.data4[7], 0xDA);
  EXPECT_NE(mp::Dp4Application(61), mp::Dp4Application(70));
  EXPECT_EQ(mp::Dp4Application(80), mp::Dp4Application(90));
  EXPECT_NE(mp::Dp4Application(70), mp::Dp4Application(80));
  EXPECT_EQ(mp::Dp4Application(61).data1, 0xCC080A27u);
}

}  // namespace
