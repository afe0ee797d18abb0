#pragma once
// A client that speaks the transport's frames by hand over a plain socket, for tests that play
// a hostile or broken peer against a real engine on loopback. Every read gives up after a time
// limit, so a host that never answers fails the test instead of hanging it.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/dplay/Wire.h"
#include "platform/dplay/tests/support/TestApp.h"

namespace dplaytest {

class RawClient {
 public:
  using Ms = std::chrono::milliseconds;

  // `receiveBuffer` > 0 shrinks the socket's receive buffer before connecting: a client that
  // stops reading then backs up the host's queue sooner.
  explicit RawClient(uint16_t port, int receiveBuffer = 0) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  }
  ~RawClient() {
    StopHeartbeats();
    Close();
  }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool Connected() const { return m_connected; }

  // False when the link is gone.
  bool Write(std::span<const uint8_t> bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
      const ssize_t n = send(m_fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (n <= 0) return false;
      at += static_cast<size_t>(n);
    }
    return true;
  }
  bool Send(dplay::wire::FrameKind kind, std::span<const uint8_t> payload) {
    return Write(dplay::wire::EncodeFrame(kind, payload));
  }
  static dplay::wire::Hello MakeHello(const std::string& name) {
    dplay::wire::Hello hello;
    hello.application = kTestApp;
    hello.name = name;
    return hello;
  }
  bool Hello(const std::string& name) { return Hello(MakeHello(name)); }
  bool Hello(const dplay::wire::Hello& hello) {
    return Send(dplay::wire::FrameKind::Hello, dplay::wire::Encode(hello));
  }

  // The next frame of one of `kinds`, reading past others; nothing when the link closes or
  // `limit` passes first.
  std::optional<dplay::wire::Frame> ReadFrame(std::initializer_list<dplay::wire::FrameKind> kinds,
                                              Ms limit = Ms(5000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      dplay::wire::Frame frame;
      while (m_decoder.Next(frame) == dplay::wire::FrameDecoder::Status::Frame)
        for (auto kind : kinds)
          if (frame.kind == static_cast<uint16_t>(kind)) return frame;
      std::array<uint8_t, 4096> buffer;
      const ssize_t n = Receive(buffer, end);
      if (n <= 0) return std::nullopt;
      m_decoder.Feed(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(n)));
    }
  }
  bool ReadUntil(dplay::wire::FrameKind kind, Ms limit = Ms(5000)) { return ReadFrame({kind}, limit).has_value(); }

  // What the host answers a Hello with: its Welcome, or the result of its Refuse (NoResponse
  // when neither came).
  struct Answer {
    std::optional<dplay::wire::Welcome> welcome;
    dplay::Result refused = dplay::Result::NoResponse;
  };
  Answer ReadAnswer(Ms limit = Ms(5000)) {
    using dplay::wire::FrameKind;
    Answer answer;
    auto frame = ReadFrame({FrameKind::Welcome, FrameKind::Refuse}, limit);
    if (!frame) return answer;
    if (frame->kind == static_cast<uint16_t>(FrameKind::Welcome)) {
      answer.welcome = dplay::wire::DecodeWelcome(frame->payload);
      answer.refused = dplay::Result::Ok;
    } else if (auto refuse = dplay::wire::DecodeRefuse(frame->payload)) {
      answer.refused = refuse->result;
    }
    return answer;
  }

  // True once the host has closed the link (reads to the end within `limit`).
  bool ClosedByHost(Ms limit = Ms(2000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::array<uint8_t, 4096> buffer;
    for (;;) {
      const ssize_t n = Receive(buffer, end);
      if (n == 0) return true;
      if (n < 0) return m_reset;
    }
  }
  // Keeps the link alive from a thread of its own until StopHeartbeats; the test writes nothing
  // else meanwhile.
  void StartHeartbeats(Ms interval = Ms(50)) {
    m_beating = true;
    m_heart = std::thread([this, interval] {
      while (m_beating) {
        Send(dplay::wire::FrameKind::Heartbeat, {});
        std::this_thread::sleep_for(interval);
      }
    });
  }
  void StopHeartbeats() {
    m_beating = false;
    if (m_heart.joinable()) m_heart.join();
  }
  void Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
  }

 private:
  // > 0: bytes read; 0: the host closed; < 0: time-out (or a reset, noted in m_reset).
  ssize_t Receive(std::array<uint8_t, 4096>& buffer, std::chrono::steady_clock::time_point end) {
    for (;;) {
      const auto left = std::chrono::duration_cast<Ms>(end - std::chrono::steady_clock::now()).count();
      if (left <= 0) return -1;
      pollfd p{m_fd, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      const ssize_t n = recv(m_fd, buffer.data(), buffer.size(), 0);
      if (n < 0) {
        m_reset = true;
        return 0;
      }
      return n;
    }
  }

  int m_fd = -1;
  bool m_connected = false;
  bool m_reset = false;
  dplay::wire::FrameDecoder m_decoder;
  std::atomic<bool> m_beating{false};
  std::thread m_heart;
};

}  // namespace dplaytest
