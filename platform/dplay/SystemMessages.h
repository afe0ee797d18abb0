#pragma once
// Byte layouts of the system messages that the older interface queues from player 0. Packed,
// little-endian; strings are NUL-terminated bytes at an offset from the message start, so a
// reader checks every offset and size against the bytes it received.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/dplay/Types.h"

namespace dplay {

// The sender of system messages.
inline constexpr PlayerId kSystemPlayer = 0;

// First u32 of every system message.
inline constexpr uint32_t kSysCreatePlayerOrGroup = 0x0003;
inline constexpr uint32_t kSysDestroyPlayerOrGroup = 0x0005;
inline constexpr uint32_t kSysSessionLost = 0x0031;
inline constexpr uint32_t kSysHost = 0x0101;  // only the new host gets it
inline constexpr uint32_t kSysSetPlayerOrGroupName = 0x0109;

// Player type field
inline constexpr uint32_t kPlayerTypePlayer = 1;
inline constexpr uint32_t kPlayerTypeGroup = 2;

#pragma pack(push, 1)
struct SysCreatePlayerOrGroup {
  uint32_t type;
  uint32_t playerType;
  uint32_t id;
  uint32_t currentPlayers;
  uint32_t dataOffset, dataSize;
  uint32_t shortNameOffset, shortNameSize;  // size includes the NUL; 0 = no name
  uint32_t longNameOffset, longNameSize;
  uint32_t parentId;
  uint32_t flags;
};
static_assert(sizeof(SysCreatePlayerOrGroup) == 48);

struct SysDestroyPlayerOrGroup {
  uint32_t type;
  uint32_t playerType;
  uint32_t id;
  uint32_t localDataOffset, localDataSize;
  uint32_t remoteDataOffset, remoteDataSize;
  uint32_t shortNameOffset, shortNameSize;
  uint32_t longNameOffset, longNameSize;
  uint32_t parentId;
  uint32_t flags;
};
static_assert(sizeof(SysDestroyPlayerOrGroup) == 52);

struct SysSetPlayerOrGroupName {
  uint32_t type;
  uint32_t playerType;
  uint32_t id;
  uint32_t shortNameOffset, shortNameSize;
  uint32_t longNameOffset, longNameSize;
};
static_assert(sizeof(SysSetPlayerOrGroupName) == 28);
#pragma pack(pop)

// What a system message says, read with every offset checked.
struct SystemMessage {
  uint32_t type = 0;
  uint32_t playerType = 0;  // create, destroy and rename
  PlayerId id = 0;
  std::string shortName;    // code page 1252
};

// Builders (the transport's side) and the checked reader. The reader gives nothing for fewer
// bytes than the type's fixed part, for an unknown type, or for a name outside the message.
std::vector<uint8_t> BuildCreatePlayerOrGroup(uint32_t playerType, PlayerId id,
                                              uint32_t currentPlayers, const std::string& shortName);
std::vector<uint8_t> BuildDestroyPlayerOrGroup(uint32_t playerType, PlayerId id,
                                               const std::string& shortName);
std::vector<uint8_t> BuildSessionLost();
std::vector<uint8_t> BuildHost();
std::optional<SystemMessage> ReadSystemMessage(std::span<const uint8_t> bytes);

}  // namespace dplay
