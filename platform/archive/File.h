#pragma once
// A seekable byte stream: a disk file or a memory buffer.
#include <cstddef>
#include <cstdint>
#include <string>

namespace archive {

enum class SeekFrom { begin, current, end };

class File {
 public:
  virtual ~File() = default;

  // Bytes read; fewer than `count` only at the end of the stream.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes all bytes or throws FileException.
  virtual void Write(const void* data, size_t count) = 0;
  // New position; throws FileException (badSeek) for a position before the start.
  virtual uint64_t Seek(int64_t offset, SeekFrom from) = 0;
  virtual uint64_t GetPosition() const = 0;
  virtual uint64_t GetLength() const = 0;
  virtual void SetLength(uint64_t length) = 0;
  virtual void Flush() {}
  virtual void Close() {}
  virtual std::string GetFileName() const { return {}; }

  void SeekToBegin() { Seek(0, SeekFrom::begin); }
  uint64_t SeekToEnd() { return Seek(0, SeekFrom::end); }
};

}  // namespace archive
