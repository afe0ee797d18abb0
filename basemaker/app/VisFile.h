#pragma once

// The scenery-set file (".vis") of the oldest simulator version. Little-endian; offsets count
// from the start of the file. Only the parts Basemaker reads are named.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "basemaker/app/AreaEntry.h"

namespace vis {

inline constexpr size_t kHeaderSize = 36;
inline constexpr size_t kOffSetSize = 0;        // u16: bytes of the file that make up the set
inline constexpr size_t kOffMagic = 2;          // 'M', 'R'
inline constexpr size_t kOffTitle = 4;          // u16 offset of the set title
inline constexpr size_t kOffDescription = 6;    // u16 offset of the set description
inline constexpr size_t kOffFirstArea = 10;     // u16 offset of the first area record
inline constexpr size_t kOffFirstCd = 12;       // u16 offset of the first CD record
// A record is read only while its start plus this is still inside the bytes read.
inline constexpr size_t kRecordGuard = 10;
inline constexpr size_t kCdRecordText = 6;    // disc folder, then the set's folder
inline constexpr size_t kAreaRecordFlags = 2; // bit 0: active
inline constexpr size_t kAreaRecordText = 3;  // folder, then title
// The set's own spelling of the simulator root at the start of a folder.
inline constexpr char kRootToken[] = "=:\\=\\";
// The largest set the u16 size field can describe.
inline constexpr size_t kMaxSetSize = 0xFFFF;

}  // namespace vis

struct VisSet {
  std::string title;
  std::string description;
  std::vector<AreaEntry> areas;
};

// Parses the bytes at the start of a set file (at least as many as its size field names, when
// the file has them). Empty when the header is short or lacks the 'M','R' mark. Offsets and
// texts that point outside the bytes read give empty or cut texts; nothing outside is read.
std::optional<VisSet> ParseVisSet(std::span<const uint8_t> file);
