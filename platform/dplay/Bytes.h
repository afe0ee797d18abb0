#pragma once
// Little-endian byte writer and a bounded reader for the transport's frames and datagrams. The
// reader never reads past its span: a read that does not fit fails, and the failure sticks, so a
// decoder checks once at the end.
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/dplay/Types.h"

namespace dplay {

class ByteWriter {
 public:
  void U8(uint8_t v) { m_bytes.push_back(v); }
  void U16(uint16_t v) {
    for (int i = 0; i < 2; ++i) m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void GuidValue(const Guid& g) {
    U32(g.data1);
    U16(g.data2);
    U16(g.data3);
    Raw(g.data4.data(), g.data4.size());
  }
  void Raw(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
  }
  // u32 length, then the bytes.
  void Blob(std::span<const uint8_t> bytes) {
    U32(static_cast<uint32_t>(bytes.size()));
    Raw(bytes.data(), bytes.size());
  }
  void Text(const std::string& text) {
    U32(static_cast<uint32_t>(text.size()));
    Raw(text.data(), text.size());
  }
  // Overwrites 4 bytes already written, for lengths known only at the end.
  void PatchU32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  size_t Size() const { return m_bytes.size(); }
  std::vector<uint8_t>& Bytes() { return m_bytes; }
  std::vector<uint8_t> Take() { return std::move(m_bytes); }

 private:
  std::vector<uint8_t> m_bytes;
};

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

  uint8_t U8() {
    uint8_t v = 0;
    if (Need(1)) v = m_bytes[m_at++];
    return v;
  }
  uint16_t U16() {
    uint16_t v = 0;
    if (Need(2)) {
      v = static_cast<uint16_t>(m_bytes[m_at] | (m_bytes[m_at + 1] << 8));
      m_at += 2;
    }
    return v;
  }
  uint32_t U32() {
    uint32_t v = 0;
    if (Need(4)) {
      for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(m_bytes[m_at + i]) << (8 * i);
      m_at += 4;
    }
    return v;
  }
  Guid GuidValue() {
    Guid g;
    g.data1 = U32();
    g.data2 = U16();
    g.data3 = U16();
    if (Need(8)) {
      std::memcpy(g.data4.data(), m_bytes.data() + m_at, 8);
      m_at += 8;
    }
    return g;
  }
  // A u32 length and that many bytes; the length is checked against what is left.
  std::vector<uint8_t> Blob() {
    const uint32_t size = U32();
    if (!Need(size)) return {};
    std::vector<uint8_t> out(m_bytes.begin() + m_at, m_bytes.begin() + m_at + size);
    m_at += size;
    return out;
  }
  std::string Text() {
    const uint32_t size = U32();
    if (!Need(size)) return {};
    std::string out(reinterpret_cast<const char*>(m_bytes.data()) + m_at, size);
    m_at += size;
    return out;
  }
  // A count of items of at least `minItemSize` bytes each: a count the remaining bytes cannot
  // hold fails here, before anyone reserves memory for it.
  uint32_t Count(size_t minItemSize) {
    const uint32_t count = U32();
    if (m_ok && minItemSize > 0 && count > Remaining() / minItemSize) m_ok = false;
    return m_ok ? count : 0;
  }
  std::span<const uint8_t> Rest() {
    auto rest = m_ok ? m_bytes.subspan(m_at) : std::span<const uint8_t>{};
    m_at = m_bytes.size();
    return rest;
  }

  bool Ok() const { return m_ok; }
  bool AtEnd() const { return m_ok && m_at == m_bytes.size(); }
  size_t Remaining() const { return m_ok ? m_bytes.size() - m_at : 0; }

 private:
  bool Need(size_t n) {
    if (!m_ok || n > m_bytes.size() - m_at) {
      m_ok = false;
      return false;
    }
    return true;
  }
  std::span<const uint8_t> m_bytes;
  size_t m_at = 0;
  bool m_ok = true;
};

}  // namespace dplay
