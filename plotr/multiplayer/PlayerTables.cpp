#include "plotr/multiplayer/PlayerTables.h"

#include <algorithm>
#include <cstring>

namespace {

template <size_t N>
void CopyText(char (&out)[N], std::string_view text) {
  const size_t n = std::min(text.size(), N - 1);
  std::memcpy(out, text.data(), n);
  std::memset(out + n, 0, N - n);
}

void TakeReport(MpPlayerEntry& e, uint32_t& lastSequence, const mp::Report& r, uint32_t tick) {
  lastSequence = r.sequence;
  e.hasPosition = 1;
  e.reportTime = tick;
  e.northVelocity = r.speeds[0];
  e.eastVelocity = r.speeds[1];
  e.verticalSpeed = r.speeds[2];
  e.speed = r.speeds[3];
  e.heading = r.heading;
  e.latitude = r.latitude;
  e.longitude = r.longitude;
  e.altitude = r.altitude;
}

}  // namespace

void SetEntryName(MpPlayerEntry& entry, std::string_view name) { CopyText(entry.callSign, name); }

std::string_view EntryName(const MpPlayerEntry& entry) {
  return std::string_view(entry.callSign, strnlen(entry.callSign, sizeof entry.callSign));
}

void SetPeerText(MpPlayerRecordDP8& record, std::string_view text) { CopyText(record.peerText, text); }

bool ReceiveDp8PlayerMessage(Dp8PlayerMap& players, uint32_t sender, mp::Bytes message, uint32_t tick) {
  const auto header = mp::ReadHeader(message);
  if (!header) return false;
  switch (header->id) {
    case mp::dp8::kPeerText: {
      MpPlayerRecordDP8* record = players.Find(sender);
      const auto text = mp::DecodePeerText(message);
      if (record != nullptr && text) SetPeerText(*record, *text);
      return true;
    }
    case mp::dp8::kPosition:
    case mp::dp8::kState: {
      MpPlayerRecordDP8* record = players.Find(sender);
      const auto report = mp::DecodeDp8Report(message);
      if (record == nullptr || !report) return true;
      if (!record->entry.hasPosition || mp::IsNewerSequenceDp8(record->lastSequence, report->sequence))
        TakeReport(record->entry, record->lastSequence, *report, tick);
      return true;
    }
    default:
      return false;
  }
}

bool ReceiveDp4PlayerMessage(Dp4PlayerMap& players, uint32_t sender, mp::Bytes message, int simVersion,
                             uint32_t tick) {
  const auto header = mp::ReadHeader(message);
  if (!header) return false;
  switch (header->id) {
    case mp::dp4::kPosition:
    case mp::dp4::kState: {
      MpPlayerRecordDP4* record = players.Find(sender);
      const auto report = mp::DecodeDp4Report(message, simVersion);
      if (record == nullptr || !report) return true;
      if (!record->entry.hasPosition || mp::IsNewerSequenceDp4(record->lastSequence, report->sequence))
        TakeReport(record->entry, record->lastSequence, *report, tick);
      return true;
    }
    case mp::dp4::kPublicNotice: {
      MpPlayerRecordDP4* record = players.Find(sender);
      const auto value = mp::DecodePublicNotice(message);
      if (record != nullptr && value) record->publicPlan = *value ? 1 : 0;
      return true;
    }
    case mp::dp4::kPilotGranted:
    case mp::dp4::kObserverGranted: {
      const auto id = mp::DecodePlayerId(message);
      if (!id) return true;
      if (MpPlayerRecordDP4* record = players.Find(*id))
        record->kind = header->id == mp::dp4::kPilotGranted ? mp::dp4::kKindPilot : mp::dp4::kKindObserver;
      return true;
    }
    default:
      return false;
  }
}

Dp8Members MembersOf(const Dp8PlayerMap& players) {
  Dp8Members m;
  players.ForEach([&](uint32_t, const MpPlayerRecordDP8& r) {
    m.views.push_back({(r.flags & mp::kPeerObserver) != 0, EntryName(r.entry)});
  });
  return m;
}

uint32_t CountPilots(const Dp8PlayerMap& players) { return mp::CountPilots(MembersOf(players).views); }
uint32_t CountObservers(const Dp8PlayerMap& players) { return mp::CountObservers(MembersOf(players).views); }

void ListDp8Players(const Dp8PlayerMap& players, uint32_t ownId, bool onlyPublic, std::vector<MpPlayerEntry>& out) {
  players.ForEach([&](uint32_t id, const MpPlayerRecordDP8& r) {
    if ((r.flags & mp::kPeerObserver) != 0) return;
    if (onlyPublic && (id == ownId || (r.flags & mp::kPeerPublicPlan) == 0)) return;
    out.push_back(r.entry);
  });
}

void ListDp4Players(const Dp4PlayerMap& players, uint32_t ownId, bool onlyPublic, std::vector<MpPlayerEntry>& out) {
  players.ForEach([&](uint32_t id, const MpPlayerRecordDP4& r) {
    if (r.kind != mp::dp4::kKindPilot) return;
    if (onlyPublic && (id == ownId || r.publicPlan == 0)) return;
    out.push_back(r.entry);
  });
}
