#include "platform/dplay/Types.h"

#include <cstdio>
#include <random>

namespace dplay {

Guid Guid::Random() {
  static thread_local std::mt19937_64 engine{std::random_device{}()};
  const uint64_t a = engine();
  const uint64_t b = engine();
  Guid g;
  g.data1 = static_cast<uint32_t>(a);
  g.data2 = static_cast<uint16_t>(a >> 32);
  g.data3 = static_cast<uint16_t>(((a >> 48) & 0x0FFF) | 0x4000);  // version 4
  for (int i = 0; i < 8; ++i) g.data4[i] = static_cast<uint8_t>(b >> (8 * i));
  g.data4[0] = static_cast<uint8_t>((g.data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return g;
}

std::string Guid::ToString() const {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1,
                data2, data3, data4[0], data4[1], data4[2], data4[3], data4[4], data4[5],
                data4[6], data4[7]);
  return text;
}

const char* ResultName(Result result) {
  switch (result) {
    case Result::Ok: return "Ok";
    case Result::Pending: return "Pending";
    case Result::NoResponse: return "NoResponse";
    case Result::NoConnection: return "NoConnection";
    case Result::InvalidHostAddress: return "InvalidHostAddress";
    case Result::InvalidDeviceAddress: return "InvalidDeviceAddress";
    case Result::InvalidInstance: return "InvalidInstance";
    case Result::InvalidApplication: return "InvalidApplication";
    case Result::InvalidPassword: return "InvalidPassword";
    case Result::SessionFull: return "SessionFull";
    case Result::HostRejectedConnection: return "HostRejectedConnection";
    case Result::NotHost: return "NotHost";
    case Result::ConnectionLost: return "ConnectionLost";
    case Result::HostTerminatedSession: return "HostTerminatedSession";
    case Result::UserCancel: return "UserCancel";
    case Result::InvalidPlayer: return "InvalidPlayer";
    case Result::InvalidGroup: return "InvalidGroup";
    case Result::InvalidHandle: return "InvalidHandle";
    case Result::InvalidParam: return "InvalidParam";
    case Result::InvalidCall: return "InvalidCall";
    case Result::Uninitialized: return "Uninitialized";
    case Result::AlreadyInitialized: return "AlreadyInitialized";
    case Result::NoMessages: return "NoMessages";
    case Result::NoSessions: return "NoSessions";
  }
  return "Unknown";
}

}  // namespace dplay
