#pragma once

// The two sessions' player records and what application messages do to them. The sessions call
// these under their player lock; nothing here locks or talks to a transport.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/simapi/MpMessages.h"
#include "plotr/core/MpPlayerEntry.h"
#include "plotr/multiplayer/PlayerMap.h"

// One player of the newer session, the own one included.
struct MpPlayerRecordDP8 {
  uint32_t flags = 0;      // the peer block's bits: observer, the simulator's two, public plan
  char peerText[mp::kPeerTextSize + 1] = {};
  uint32_t lastSequence = 0;
  MpPlayerEntry entry;
};

// One player of the older session.
struct MpPlayerRecordDP4 {
  uint32_t kind = mp::dp4::kKindUnknown;
  uint8_t publicPlan = 0;
  int32_t queryCountdown = 0;  // state steps until the next status query
  uint32_t lastSequence = 0;
  MpPlayerEntry entry;
};

using Dp8PlayerMap = PlayerMap<MpPlayerRecordDP8>;
using Dp4PlayerMap = PlayerMap<MpPlayerRecordDP4>;

// Copies at most 30 characters and always ends the name.
void SetEntryName(MpPlayerEntry& entry, std::string_view name);
std::string_view EntryName(const MpPlayerEntry& entry);
void SetPeerText(MpPlayerRecordDP8& record, std::string_view text);

// Applies the newer session's 0x1003, 0x100C and 0x100D from `sender`; false for anything else
// (the plan messages are the session's). Reports for a sender without a record change nothing.
bool ReceiveDp8PlayerMessage(Dp8PlayerMap& players, uint32_t sender, mp::Bytes message, uint32_t tick);

// Applies the older session's 0x1018, 0x1019 (at the simulator version) and 0xE000 from `sender`
// and the kinds that 0x1003/0x1004 grant; false for anything else.
bool ReceiveDp4PlayerMessage(Dp4PlayerMap& players, uint32_t sender, mp::Bytes message, int simVersion,
                             uint32_t tick);

// The member names and kinds the newer session's admission compares.
struct Dp8Members {
  std::vector<mp::MemberView> views;
};
Dp8Members MembersOf(const Dp8PlayerMap& players);
uint32_t CountPilots(const Dp8PlayerMap& players);
uint32_t CountObservers(const Dp8PlayerMap& players);

// Slot 20's walks: every pilot, or with `onlyPublic` the other pilots with a public plan.
void ListDp8Players(const Dp8PlayerMap& players, uint32_t ownId, bool onlyPublic, std::vector<MpPlayerEntry>& out);
// Every pilot, or with `onlyPublic` the other pilots whose public-plan notice was set.
void ListDp4Players(const Dp4PlayerMap& players, uint32_t ownId, bool onlyPublic, std::vector<MpPlayerEntry>& out);
