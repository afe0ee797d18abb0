#pragma once
// Values shared by both session interfaces: ids, GUIDs, results and addresses.
#include <array>
#include <cstdint>
#include <string>

namespace dplay {

// Players and groups share one id space per session: non-zero and never handed out twice, so a
// late message about a departed player can never be taken for a newcomer.
using PlayerId = uint32_t;

// Names an asynchronous operation (enumeration, connection, group addition) until it completes.
using Handle = uint32_t;

// A GUID in the Windows field layout; on the wire the three numbers are little-endian.
struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  friend bool operator==(const Guid&, const Guid&) = default;
  bool IsNull() const { return *this == Guid{}; }

  // A fresh random (version 4) GUID, for session instances.
  static Guid Random();
  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
  std::string ToString() const;
};

// The only service provider: TCP/IP (with UDP for host enumeration).
inline constexpr Guid kServiceProviderTcpIp{
    0x3A2E1C70, 0x8F3B, 0x4D51, {0x9C, 0x0E, 0x51, 0x7B, 0x2D, 0x44, 0x60, 0xA1}};

// Outcome of every call and of every asynchronous operation. The names follow the failures the
// session layers tell apart; Ok and Pending are the two successes.
enum class Result : uint32_t {
  Ok = 0,
  Pending,                 // an asynchronous operation has started; its completion follows
  // Joining a session (connection results and enumeration completions).
  NoResponse,              // the host accepted the connection but never answered it
  NoConnection,            // nothing could be reached at the host address
  InvalidHostAddress,      // the host name cannot be resolved
  InvalidDeviceAddress,    // the local address cannot be bound
  InvalidInstance,         // the host runs another session than the one asked for
  InvalidApplication,      // the host runs another application
  InvalidPassword,
  SessionFull,
  HostRejectedConnection,  // the host's application refused the player; reply data may explain
  NotHost,                 // the address answers but hosts no session
  // A session in progress.
  ConnectionLost,          // the link to the session broke
  HostTerminatedSession,   // the host removed this player
  UserCancel,              // an operation ended by CancelAsyncOperation or Close
  InvalidPlayer,           // no such player (or it has left)
  InvalidGroup,
  InvalidHandle,
  InvalidParam,
  InvalidCall,             // not allowed in the current state, or from a transport thread
  Uninitialized,           // Initialize has not been called
  AlreadyInitialized,
  NoMessages,              // the receive queue is empty
  NoSessions,              // no enumerated session matches the one to open
};

// "InvalidPassword" etc., for logs and test output.
const char* ResultName(Result result);

enum class DestroyReason : uint32_t {
  Normal,             // the player left, or this peer closed
  ConnectionLost,     // its link broke, or the host was lost
  SessionTerminated,  // this peer's session ended
  HostDestroyed,      // the host removed it
};

// A host or device address as a value. For a host address an empty host name means the local
// network (enumeration only) and port 0 the configured session port. For a device address the
// port is the local one to bind: 0 takes any free port, and a port marked recommended is tried
// first and replaced by any free port when it is taken.
struct Address {
  std::string host;
  uint16_t port = 0;
  bool portRecommended = false;

  friend bool operator==(const Address&, const Address&) = default;
};

}  // namespace dplay
