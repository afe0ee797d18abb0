#pragma once
// Serialisation over a File with the framework's encodings: little-endian numbers, counts (u16,
// 0xFFFF then u32) and strings (length u8, 0xFF then u16, 0xFFFF then u32, code page 1252 bytes).
// Every read is bounded: reading past the end throws ArchiveException (endOfFile).
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/archive/DiskFile.h"
#include "platform/archive/Exceptions.h"
#include "platform/archive/File.h"
#include "platform/archive/MemoryFile.h"

namespace archive {

class Archive {
 public:
  enum Mode { store, load };

  // The file name in exceptions is `fileName`, or the file's own name when empty.
  Archive(File& file, Mode mode, std::string fileName = {});

  bool IsStoring() const { return m_mode == store; }
  bool IsLoading() const { return m_mode == load; }
  File& GetFile() { return m_file; }
  const std::string& GetFileName() const { return m_fileName; }
  // Bytes between the position and the end of the file.
  uint64_t Remaining() const;

  // Exactly `count` bytes, or ArchiveException (endOfFile).
  void Read(void* buffer, size_t count);
  void Write(const void* data, size_t count);

  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  int32_t ReadI32();
  float ReadFloat();
  double ReadDouble();
  void WriteU8(uint8_t value);
  void WriteU16(uint16_t value);
  void WriteU32(uint32_t value);
  void WriteI32(int32_t value);
  void WriteFloat(float value);
  void WriteDouble(double value);

  // A count of elements. With `elementSize`, a count whose elements could not fit in the rest
  // of the file is refused (endOfFile) before anyone allocates for it.
  uint32_t ReadCount(uint64_t elementSize = 0);
  void WriteCount(uint32_t count);

  // Code page 1252 bytes. A string stored as UTF-16 (length marker 0xFFFE) is read and
  // converted; characters outside code page 1252 become '?'.
  std::string ReadString();
  void WriteString(std::string_view text);

  [[noreturn]] void Throw(int cause) const;

  Archive& operator<<(uint8_t v) { WriteU8(v); return *this; }
  Archive& operator<<(uint16_t v) { WriteU16(v); return *this; }
  Archive& operator<<(uint32_t v) { WriteU32(v); return *this; }
  Archive& operator<<(int32_t v) { WriteI32(v); return *this; }
  Archive& operator<<(float v) { WriteFloat(v); return *this; }
  Archive& operator<<(double v) { WriteDouble(v); return *this; }
  Archive& operator>>(uint8_t& v) { v = ReadU8(); return *this; }
  Archive& operator>>(uint16_t& v) { v = ReadU16(); return *this; }
  Archive& operator>>(uint32_t& v) { v = ReadU32(); return *this; }
  Archive& operator>>(int32_t& v) { v = ReadI32(); return *this; }
  Archive& operator>>(float& v) { v = ReadFloat(); return *this; }
  Archive& operator>>(double& v) { v = ReadDouble(); return *this; }

 private:
  uint64_t ReadLe(size_t width);
  void WriteLe(uint64_t value, size_t width);

  File& m_file;
  Mode m_mode;
  std::string m_fileName;
};

}  // namespace archive
