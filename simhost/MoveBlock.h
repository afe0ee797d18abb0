#pragma once
// The tagged block through which a module hands the host a new aircraft position.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace simhost {

struct MoveTarget {
  double latitude = 0;      // degrees
  double longitude = 0;     // degrees
  double altitudeFeet = 0;
  double pitch = 0;         // degrees
  double bank = 0;          // degrees
  double heading = 0;       // degrees true
};

// nullopt unless the data holds a complete, well-formed block with six finite values.
std::optional<MoveTarget> ParseMoveBlock(const unsigned char* data, size_t size);

struct PipeAnnouncement {
  uint32_t readHandle = 0;
  uint32_t processId = 0;
};

// The text of the copy-data call: "<HA>" and two eight-digit hexadecimal numbers, the pipe's
// read end and the sender's process id, followed by a terminating zero within `size`.
std::optional<PipeAnnouncement> ParsePipeAnnouncement(const void* data, size_t size);

}  // namespace simhost
