// Application messages of both multiplayer sessions into their player tables, with players
// joining and leaving between them, and the join-time data (connect data, peer block, reserved
// data) through their decoders. Input: records of op byte, sender byte, u16 length, bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/simapi/MpMessages.h"
#include "plotr/multiplayer/PlayerTables.h"

namespace {

void CheckEntry(const MpPlayerEntry& e) {
  if (std::memchr(e.callSign, 0, sizeof e.callSign) == nullptr) std::abort();
  if (e.hasPosition > 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Dp8PlayerMap dp8;
  Dp4PlayerMap dp4;
  static const int kVersions[] = {61, 70, 80, 90};
  size_t at = 0;
  uint32_t tick = 0;
  while (size - at >= 4) {
    const uint8_t op = data[at];
    const uint32_t sender = data[at + 1] * 0x1011u;  // spreads the ids over the buckets
    size_t length = static_cast<size_t>(data[at + 2] | data[at + 3] << 8);
    at += 4;
    if (length > size - at) length = size - at;
    const mp::Bytes message(data + at, length);
    at += length;
    tick += 100;
    switch (op & 7) {
      case 0: {
        MpPlayerRecordDP8 r;
        SetEntryName(r.entry, "p");
        if (const auto peer = mp::DecodePeerBlock(message)) {
          r.flags = peer->flags;
          SetPeerText(r, peer->text);
        }
        dp8.Set(sender, r);
        break;
      }
      case 1: {
        MpPlayerRecordDP4 r;
        r.entry.playerId = sender;
        dp4.Set(sender, r);
        break;
      }
      case 2:
        dp8.Remove(sender);
        dp4.Remove(sender);
        break;
      case 3: {
        const Dp8Members members = MembersOf(dp8);
        const mp::Admission a = mp::DecideDp8Admission(message, mp::ReadSessionLimits(message, 8), members.views);
        if (a.admit && a.reply != 0) std::abort();
        mp::ReadSessionComment(message);
        break;
      }
      case 4:
      case 5:
        ReceiveDp8PlayerMessage(dp8, sender, message, tick);
        break;
      default:
        ReceiveDp4PlayerMessage(dp4, sender, message, kVersions[(op >> 3) & 3], tick);
        if (const auto image = mp::DecodePlanAnswer(message)) {
          if (image->size() > message.size()) std::abort();
        }
        break;
    }
  }
  std::vector<MpPlayerEntry> list;
  ListDp8Players(dp8, 0x1011, false, list);
  ListDp4Players(dp4, 0x1011, false, list);
  if (list.size() > dp8.Size() + dp4.Size()) std::abort();
  for (const MpPlayerEntry& e : list) CheckEntry(e);
  dp8.ForEach([](uint32_t, const MpPlayerRecordDP8& r) {
    if (r.peerText[mp::kPeerTextSize] != 0) std::abort();
  });
  return 0;
}
