#pragma once

// Bounded access to a scenery file image. Every offset and length a parser takes from the file
// goes through here; one that points outside the image raises BglParseError, which ends the
// file's parse and nothing else (the loader catches this type alone).

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

class BglParseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class BglImage {
 public:
  BglImage(const uint8_t* data, uint64_t size) : m_data(data), m_size(data != nullptr ? size : 0) {}

  uint64_t Size() const { return m_size; }
  bool Holds(uint64_t offset, uint64_t length) const {
    return offset <= m_size && length <= m_size - offset;
  }
  void Require(uint64_t offset, uint64_t length) const {
    if (!Holds(offset, length)) throw BglParseError("scenery file truncated or inconsistent");
  }

  uint8_t U8(uint64_t offset) const { return Read<uint8_t>(offset); }
  uint16_t U16(uint64_t offset) const { return Read<uint16_t>(offset); }
  uint32_t U32(uint64_t offset) const { return Read<uint32_t>(offset); }
  int32_t I32(uint64_t offset) const { return Read<int32_t>(offset); }
  float F32(uint64_t offset) const { return Read<float>(offset); }

  // `length` bytes at `offset`, all inside the image.
  std::string_view Bytes(uint64_t offset, uint64_t length) const {
    Require(offset, length);
    return {reinterpret_cast<const char*>(m_data + offset), static_cast<size_t>(length)};
  }
  // The NUL-terminated text at `offset`; a text that runs to the image's end is an error.
  std::string_view CString(uint64_t offset) const {
    Require(offset, 1);
    const void* nul = std::memchr(m_data + offset, 0, static_cast<size_t>(m_size - offset));
    if (nul == nullptr) throw BglParseError("unterminated text in scenery file");
    return {reinterpret_cast<const char*>(m_data + offset),
            static_cast<size_t>(static_cast<const uint8_t*>(nul) - (m_data + offset))};
  }

 private:
  template <class T>
  T Read(uint64_t offset) const {
    Require(offset, sizeof(T));
    T v;
    std::memcpy(&v, m_data + offset, sizeof(T));
    return v;
  }

  const uint8_t* m_data;
  uint64_t m_size;
};
