#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/archive/File.h"

namespace archive {

// A file in a growable buffer. Seeking past the end is allowed; a write there fills the gap with
// zeros, as a disk file does.
class MemoryFile : public File {
 public:
  MemoryFile() = default;
  explicit MemoryFile(std::vector<uint8_t> bytes, std::string name = {});
  MemoryFile(const void* data, size_t size, std::string name = {});

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* data, size_t count) override;
  uint64_t Seek(int64_t offset, SeekFrom from) override;
  uint64_t GetPosition() const override { return m_position; }
  uint64_t GetLength() const override { return m_bytes.size(); }
  void SetLength(uint64_t length) override;
  std::string GetFileName() const override { return m_name; }

  const std::vector<uint8_t>& Bytes() const { return m_bytes; }
  // Hands the buffer over and leaves the file empty.
  std::vector<uint8_t> Detach();

 private:
  std::vector<uint8_t> m_bytes;
  uint64_t m_position = 0;
  std::string m_name;
};

}  // namespace archive
