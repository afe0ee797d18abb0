#pragma once
// One TCP link of the session engine: frames in through the decoder, frames out through a
// queue, times of the last traffic each way for heartbeats and the link time-out. Used only on
// the engine's network thread.
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <asio.hpp>

#include "platform/dplay/Wire.h"

namespace dplay {

using SteadyClock = std::chrono::steady_clock;

// A link whose queue of frames not yet written grows past this is dropped: the other side has
// stopped reading, and the rest of the session must not pay for it in memory. Room for two
// frames of the largest size.
inline constexpr size_t kMaxQueuedBytes = 2 * (wire::kFrameHeaderSize + wire::kMaxFramePayload);

class Link : public std::enable_shared_from_this<Link> {
 public:
  using FrameHandler = std::function<void(Link&, wire::Frame&)>;
  using FailHandler = std::function<void(Link&)>;

  // Data and heartbeats sent within `gather` of the last write wait for the next multiple of
  // `gather` on the steady clock and go out together in one write; any other frame takes what
  // waits with it at once. Zero writes every frame at once.
  Link(asio::ip::tcp::socket socket, uint64_t id, std::chrono::milliseconds gather = {});

  // Starts reading. `onFail` runs once when the link breaks (error, end of stream, a frame over
  // the limit, the time-out, a queue over kMaxQueuedBytes); never after Close or Abort.
  void Start(FrameHandler onFrame, FailHandler onFail);
  // The longest frame payload the other side may send from now on.
  void SetFrameLimit(uint32_t limit) { m_decoder.SetLimit(limit); }
  // Queues a frame. One that would take the queue past kMaxQueuedBytes is not queued; the link
  // then fails, from a handler of its own, so that callers may send while walking their links.
  void Send(wire::FrameKind kind, std::span<const uint8_t> payload);
  // Stops handing out frames, writes what is queued, ends its sending side and closes once the
  // other side has closed too (or after a short linger). Silent.
  void CloseAfterFlush();
  // Closes at once with a reset, dropping what is queued. Silent.
  void Abort();
  // Reports the link broken (as a failed read would).
  void Fail();

  bool IsOpen() const { return m_open; }
  bool Overflowed() const { return m_overflowed; }
  uint64_t Id() const { return m_id; }
  const std::string& RemoteAddress() const { return m_remoteAddress; }
  uint16_t RemotePort() const { return m_remotePort; }
  // When the last whole frame arrived: a link that only trickles bytes does not count as alive.
  SteadyClock::time_point LastReceived() const { return m_lastReceived; }
  SteadyClock::time_point LastSent() const { return m_lastSent; }

  // Owner's bookkeeping.
  // AwaitCreate: a spectator whose CreatePlayer waits for the application's answer.
  enum class State { AwaitHello, AwaitAnswer, Parked, Spectator, AwaitCreate, Player, ToHost };
  State state = State::AwaitHello;
  uint32_t player = 0;
  SteadyClock::time_point deadline{};
  wire::Hello hello;  // kept while the host decides

 private:
  void Read();
  // Writes now, or at the next gathering time when the last write was too recent.
  void Flush();
  void Write();
  void Shut(bool reset);
  void Drain();

  asio::ip::tcp::socket m_socket;
  asio::steady_timer m_linger;
  asio::steady_timer m_gatherTimer;
  SteadyClock::duration m_gather;
  bool m_gathering = false;  // the gather timer is set
  bool m_urgent = false;     // a frame that may not wait is queued
  SteadyClock::time_point m_lastWrite{};
  uint64_t m_id;
  std::string m_remoteAddress;
  uint16_t m_remotePort = 0;
  wire::FrameDecoder m_decoder;
  std::array<uint8_t, 65536> m_buffer;
  std::deque<std::vector<uint8_t>> m_outbox;
  std::vector<std::vector<uint8_t>> m_inFlight;  // frames of the write under way
  size_t m_queued = 0;  // bytes in the outbox and in flight
  bool m_overflowed = false;
  bool m_writing = false;
  bool m_open = true;
  bool m_reading = false;
  bool m_closing = false;  // CloseAfterFlush: close when the outbox runs dry
  FrameHandler m_onFrame;
  FailHandler m_onFail;
  SteadyClock::time_point m_lastReceived;
  SteadyClock::time_point m_lastSent;
};

}  // namespace dplay
