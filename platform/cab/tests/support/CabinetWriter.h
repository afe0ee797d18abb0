#pragma once

// Test-side writer of small uncompressed cabinets, for the shapes a cabinet maker will not
// produce on request: sets that span several cabinets, hostile member names.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testcab {

struct Member {
  std::string name;
  std::string data;
  uint16_t dosDate = (40 << 9) | (3 << 5) | 4;  // 2020-03-04
  uint16_t dosTime = (5 << 11) | (6 << 5) | 4;  // 05:06:08
};

struct SetLinks {
  uint16_t setId = 0;
  uint16_t index = 0;
  std::string previous;  // cabinet name; empty for the first of a set
  std::string next;      // empty for the last
};

inline std::vector<uint8_t> MakeCabinet(const std::vector<Member>& members, const SetLinks& links = {}) {
  std::vector<uint8_t> out;
  auto u8 = [&out](uint32_t v) { out.push_back(static_cast<uint8_t>(v)); };
  auto u16 = [&](uint32_t v) { u8(v & 0xFF); u8(v >> 8); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  auto text = [&](const std::string& s) { out.insert(out.end(), s.begin(), s.end()); u8(0); };
  auto patch32 = [&out](size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); };

  std::string body;
  for (const Member& m : members) body += m.data;
  uint16_t flags = 0;
  if (!links.previous.empty()) flags |= 0x1;
  if (!links.next.empty()) flags |= 0x2;

  out.insert(out.end(), {'M', 'S', 'C', 'F'});
  u32(0);
  const size_t sizeAt = out.size();
  u32(0);
  u32(0);
  const size_t filesAt = out.size();
  u32(0);
  u32(0);
  u8(3);
  u8(1);
  u16(1);
  u16(static_cast<uint32_t>(members.size()));
  u16(flags);
  u16(links.setId);
  u16(links.index);
  if (!links.previous.empty()) { text(links.previous); text("DISK"); }
  if (!links.next.empty()) { text(links.next); text("DISK"); }
  const size_t dataStartAt = out.size();
  u32(0);
  const uint32_t blocks = static_cast<uint32_t>((body.size() + 32767) / 32768);
  u16(blocks);
  u16(0);  // stored, no compression
  patch32(filesAt, static_cast<uint32_t>(out.size()));
  uint32_t offset = 0;
  for (const Member& m : members) {
    u32(static_cast<uint32_t>(m.data.size()));
    u32(offset);
    u16(0);
    u16(m.dosDate);
    u16(m.dosTime);
    u16(0x20);
    text(m.name);
    offset += static_cast<uint32_t>(m.data.size());
  }
  patch32(dataStartAt, static_cast<uint32_t>(out.size()));
  for (size_t at = 0; at < body.size(); at += 32768) {
    const size_t n = std::min<size_t>(32768, body.size() - at);
    u32(0);  // no checksum
    u16(static_cast<uint32_t>(n));
    u16(static_cast<uint32_t>(n));
    out.insert(out.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
               body.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  patch32(sizeAt, static_cast<uint32_t>(out.size()));
  return out;
}

}  // namespace testcab
