#include "platform/archive/MemoryFile.h"

#include <algorithm>
#include <cstring>

#include "platform/archive/Exceptions.h"

namespace archive {

MemoryFile::MemoryFile(std::vector<uint8_t> bytes, std::string name)
    : m_bytes(std::move(bytes)), m_name(std::move(name)) {}

MemoryFile::MemoryFile(const void* data, size_t size, std::string name)
    : m_bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size),
      m_name(std::move(name)) {}

size_t MemoryFile::Read(void* buffer, size_t count) {
  if (m_position >= m_bytes.size()) return 0;
  size_t n = static_cast<size_t>(std::min<uint64_t>(count, m_bytes.size() - m_position));
  if (n > 0) std::memcpy(buffer, m_bytes.data() + m_position, n);
  m_position += n;
  return n;
}

void MemoryFile::Write(const void* data, size_t count) {
  if (count == 0) return;
  if (m_position > m_bytes.max_size() || count > m_bytes.max_size() - m_position) throw FileException(FileException::diskFull, -1, m_name);
  uint64_t end = m_position + count;
  if (end > m_bytes.size()) m_bytes.resize(static_cast<size_t>(end));
  std::memcpy(m_bytes.data() + m_position, data, count);
  m_position = end;
}

uint64_t MemoryFile::Seek(int64_t offset, SeekFrom from) {
  int64_t origin = from == SeekFrom::begin     ? 0
                   : from == SeekFrom::current ? static_cast<int64_t>(m_position)
                                               : static_cast<int64_t>(m_bytes.size());
  if ((offset < 0 && -offset > origin) || (offset > 0 && offset > INT64_MAX - origin)) {
    throw FileException(FileException::badSeek, -1, m_name);
  }
  m_position = static_cast<uint64_t>(origin + offset);
  return m_position;
}

void MemoryFile::SetLength(uint64_t length) {
  if (length > m_bytes.max_size()) throw FileException(FileException::diskFull, -1, m_name);
  m_bytes.resize(static_cast<size_t>(length));
  m_position = std::min<uint64_t>(m_position, length);
}

std::vector<uint8_t> MemoryFile::Detach() {
  std::vector<uint8_t> bytes = std::move(m_bytes);
  m_bytes.clear();
  m_position = 0;
  return bytes;
}

}  // namespace archive
