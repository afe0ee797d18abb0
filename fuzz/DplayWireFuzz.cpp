// The session transport's decoders: a TCP stream cut into frames at the input's own split
// point, each frame payload through the decoder of its kind, and the whole input as an
// enumeration datagram and as a system message. Nothing may read outside the input, and a
// frame handed out never exceeds the cap.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/dplay/SystemMessages.h"
#include "platform/dplay/Wire.h"

using namespace dplay::wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> input(data, size);
  const size_t split = size > 0 ? data[0] % (size + 1) : 0;

  FrameDecoder decoder;
  decoder.Feed(input.first(split));
  decoder.Feed(input.subspan(split));
  Frame frame;
  while (decoder.Next(frame) == FrameDecoder::Status::Frame) {
    if (frame.payload.size() > kMaxFramePayload) std::abort();
    std::span<const uint8_t> p(frame.payload);
    switch (static_cast<FrameKind>(frame.kind)) {
      case FrameKind::Hello: (void)DecodeHello(p); break;
      case FrameKind::Welcome: (void)DecodeWelcome(p); break;
      case FrameKind::Refuse: (void)DecodeRefuse(p); break;
      case FrameKind::PlayerJoined: (void)DecodePlayerRecord(p); break;
      case FrameKind::PlayerCreated: (void)DecodeOwnPlayer(p); break;
      case FrameKind::PlayerLeft: (void)DecodePlayerLeft(p); break;
      case FrameKind::PlayerInfo: (void)DecodePlayerInfo(p); break;
      case FrameKind::Data: (void)DecodeData(p); break;
      case FrameKind::Description: (void)DecodeDescription(p); break;
      case FrameKind::GroupCreated: (void)DecodeGroupRecord(p); break;
      case FrameKind::GroupAdded: (void)DecodeGroupAdded(p); break;
      case FrameKind::Terminate: (void)DecodeTerminate(p); break;
      default: break;
    }
  }

  (void)DecodeEnumQuery(input);
  if (auto response = DecodeEnumResponse(input)) {
    if (response->description.name.size() > size) std::abort();
  }
  (void)dplay::ReadSystemMessage(input);
  return 0;
}
