#include "platform/dplay/Link.h"

namespace dplay {

Link::Link(asio::ip::tcp::socket socket, uint64_t id, std::chrono::milliseconds gather)
    : m_socket(std::move(socket)),
      m_linger(m_socket.get_executor()),
      m_gatherTimer(m_socket.get_executor()),
      m_gather(gather),
      m_id(id) {
  std::error_code ec;
  // Position reports are small and frequent: do not hold them back to fill a segment.
  m_socket.set_option(asio::ip::tcp::no_delay(true), ec);
  auto remote = m_socket.remote_endpoint(ec);
  if (!ec) {
    m_remoteAddress = remote.address().to_string();
    m_remotePort = remote.port();
  }
  m_lastReceived = m_lastSent = SteadyClock::now();
}

void Link::Start(FrameHandler onFrame, FailHandler onFail) {
  m_onFrame = std::move(onFrame);
  m_onFail = std::move(onFail);
  Read();
}

void Link::Read() {
  if (!m_open || m_closing || m_reading) return;
  m_reading = true;
  m_socket.async_read_some(asio::buffer(m_buffer), [self = shared_from_this()](std::error_code ec,
                                                                               size_t n) {
    self->m_reading = false;
    if (!self->m_open) return;
    if (self->m_closing) {
      // The other side has already closed: nothing more to wait for.
      if (ec) {
        self->Shut(false);
      } else {
        self->Drain();
      }
      return;
    }
    if (ec) {
      self->Fail();
      return;
    }
    self->m_decoder.Feed(std::span<const uint8_t>(self->m_buffer.data(), n));
    wire::Frame frame;
    for (;;) {
      auto status = self->m_decoder.Next(frame);
      if (status == wire::FrameDecoder::Status::NeedMore) break;
      if (status == wire::FrameDecoder::Status::Error) {
        self->Fail();
        return;
      }
      self->m_lastReceived = SteadyClock::now();
      self->m_onFrame(*self, frame);
      // The handler may have closed or failed the link.
      if (!self->m_open) return;
      if (self->m_closing) {
        self->Drain();
        return;
      }
    }
    self->Read();
  });
}

void Link::Send(wire::FrameKind kind, std::span<const uint8_t> payload) {
  if (!m_open || m_closing || m_overflowed) return;
  const size_t size = wire::kFrameHeaderSize + payload.size();
  if (m_queued + size > kMaxQueuedBytes) {
    m_overflowed = true;
    asio::post(m_socket.get_executor(), [self = shared_from_this()] { self->Fail(); });
    return;
  }
  m_queued += size;
  m_outbox.push_back(wire::EncodeFrame(kind, payload));
  m_lastSent = SteadyClock::now();
  // Only data and heartbeats wait to be gathered: who joined or left must be on its way before
  // anything else can happen to the session, the host's end included.
  if (kind != wire::FrameKind::Data && kind != wire::FrameKind::Heartbeat) m_urgent = true;
  Flush();
}

void Link::Flush() {
  if (m_writing || !m_open) return;
  const auto now = SteadyClock::now();
  if (m_urgent || m_outbox.empty() || m_gather == SteadyClock::duration::zero() || now - m_lastWrite >= m_gather)
    return Write();
  if (m_gathering) return;
  // A host relaying a busy session has a frame for this link every few milliseconds, and a
  // system call per frame costs more than the frames: hold them to a common time, at which every
  // link's gathering ends together.
  const auto ticks = now.time_since_epoch() / m_gather + 1;
  m_gathering = true;
  m_gatherTimer.expires_at(SteadyClock::time_point(ticks * m_gather));
  m_gatherTimer.async_wait([self = shared_from_this()](std::error_code ec) {
    self->m_gathering = false;
    if (ec || !self->m_open || self->m_writing) return;
    self->Write();
  });
}

void Link::Write() {
  if (m_writing || !m_open) return;
  if (m_outbox.empty()) {
    if (m_closing) {
      // Closing with unread bytes would reset the link and could cost the other side the last
      // frames (a termination notice): end sending, read until the other side closes.
      std::error_code ec;
      m_socket.shutdown(asio::ip::tcp::socket::shutdown_send, ec);
      Drain();
    }
    return;
  }
  // Everything queued goes out in one write: a host relaying to many members often has several
  // frames waiting for one of them.
  m_writing = true;
  m_lastWrite = SteadyClock::now();
  while (!m_outbox.empty() && m_inFlight.size() < 64) {
    m_inFlight.push_back(std::move(m_outbox.front()));
    m_outbox.pop_front();
  }
  if (m_outbox.empty()) m_urgent = false;
  std::vector<asio::const_buffer> buffers;
  buffers.reserve(m_inFlight.size());
  for (const auto& frame : m_inFlight) buffers.push_back(asio::buffer(frame));
  asio::async_write(m_socket, buffers, [self = shared_from_this()](std::error_code ec, size_t) {
    self->m_writing = false;
    for (const auto& frame : self->m_inFlight) self->m_queued -= frame.size();
    self->m_inFlight.clear();
    if (!self->m_open) {
      self->m_outbox.clear();
      self->m_queued = 0;
      return;
    }
    if (ec) {
      if (self->m_closing) {
        self->Shut(true);
      } else {
        self->Fail();
      }
      return;
    }
    self->Flush();
  });
}

void Link::CloseAfterFlush() {
  if (!m_open || m_closing) return;
  m_closing = true;
  m_onFail = nullptr;
  m_onFrame = nullptr;
  m_linger.expires_after(std::chrono::seconds(2));
  m_linger.async_wait([self = shared_from_this()](std::error_code ec) {
    if (!ec) self->Shut(true);
  });
  if (!m_writing) Write();
}

void Link::Drain() {
  if (!m_open || m_reading) return;
  m_reading = true;
  m_socket.async_read_some(asio::buffer(m_buffer), [self = shared_from_this()](std::error_code ec,
                                                                               size_t) {
    self->m_reading = false;
    if (!self->m_open) return;
    if (ec) {
      self->Shut(false);
      return;
    }
    self->Drain();
  });
}

void Link::Abort() {
  if (!m_open) return;
  Shut(true);
  m_onFail = nullptr;
  m_onFrame = nullptr;
}

void Link::Fail() {
  if (!m_open) return;
  Shut(true);
  auto onFail = std::move(m_onFail);
  m_onFail = nullptr;
  m_onFrame = nullptr;
  if (onFail) onFail(*this);
}

void Link::Shut(bool reset) {
  m_open = false;
  m_linger.cancel();
  m_gatherTimer.cancel();
  // A write in flight still points into its frames; its completion sees the closed link.
  for (const auto& frame : m_outbox) m_queued -= frame.size();
  m_outbox.clear();
  std::error_code ec;
  if (reset) {
    m_socket.set_option(asio::socket_base::linger(true, 0), ec);
  } else {
    m_onFail = nullptr;
    m_onFrame = nullptr;
  }
  m_socket.close(ec);
}

}  // namespace dplay
