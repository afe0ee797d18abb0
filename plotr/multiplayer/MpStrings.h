#pragma once
// The multiplayer sessions' numbered texts (code page 1252) and the message boxes they leave for
// the tick to show.

#include <cstdint>
#include <string>

namespace mpstr {

inline constexpr unsigned kHostMigrated = 6422;
inline constexpr unsigned kConnectionLost = 6423;
inline constexpr unsigned kRemovedByHost = 6424;
inline constexpr unsigned kInvalidPassword4 = 6425;
inline constexpr unsigned kCannotOpenSession = 6427;
inline constexpr unsigned kHostNotFound = 6512;
inline constexpr unsigned kCouldNotConnect = 6516;
inline constexpr unsigned kHostRejected = 6517;
inline constexpr unsigned kInvalidPassword = 6518;
inline constexpr unsigned kNoConnection = 6519;
inline constexpr unsigned kNoResponse = 6520;
inline constexpr unsigned kSessionFull = 6521;
inline constexpr unsigned kNotAllReachable = 6522;
inline constexpr unsigned kUnknownError = 6523;
inline constexpr unsigned kConnectFailed = 6524;

}  // namespace mpstr

// Adds the texts to the string table (once; later calls do nothing), the admission replies
// 6513 to 6515 included.
void AddMultiplayerStrings();

// One message box left for the session's tick; the text replaces any not yet shown.
struct PendingMessage {
  std::string text;  // empty: none
  uint32_t style = 0;
};
