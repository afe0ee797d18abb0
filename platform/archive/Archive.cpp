#include "platform/archive/Archive.h"

#include <cstring>
#include <vector>

#include "platform/win/Codepage.h"

namespace archive {

namespace {

constexpr uint16_t kCountEscape = 0xFFFF;
constexpr uint8_t kShortLengthEscape = 0xFF;
constexpr uint16_t kLengthEscape = 0xFFFF;
// A 16-bit length of 0xFFFE announces a UTF-16 string; its length follows in characters.
constexpr uint16_t kUnicodeMarker = 0xFFFE;

}  // namespace

Archive::Archive(File& file, Mode mode, std::string fileName)
    : m_file(file), m_mode(mode), m_fileName(fileName.empty() ? file.GetFileName() : std::move(fileName)) {}

void Archive::Throw(int cause) const { throw ArchiveException(cause, m_fileName); }

uint64_t Archive::Remaining() const {
  uint64_t length = m_file.GetLength();
  uint64_t position = m_file.GetPosition();
  return position < length ? length - position : 0;
}

void Archive::Read(void* buffer, size_t count) {
  if (IsStoring()) Throw(ArchiveException::writeOnly);
  if (count == 0) return;
  if (m_file.Read(buffer, count) != count) Throw(ArchiveException::endOfFile);
}

void Archive::Write(const void* data, size_t count) {
  if (IsLoading()) Throw(ArchiveException::readOnly);
  m_file.Write(data, count);
}

uint64_t Archive::ReadLe(size_t width) {
  uint8_t bytes[8];
  Read(bytes, width);
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  return value;
}

void Archive::WriteLe(uint64_t value, size_t width) {
  uint8_t bytes[8];
  for (size_t i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  Write(bytes, width);
}

uint8_t Archive::ReadU8() { return static_cast<uint8_t>(ReadLe(1)); }
uint16_t Archive::ReadU16() { return static_cast<uint16_t>(ReadLe(2)); }
uint32_t Archive::ReadU32() { return static_cast<uint32_t>(ReadLe(4)); }
int32_t Archive::ReadI32() { return static_cast<int32_t>(ReadU32()); }

float Archive::ReadFloat() {
  uint32_t bits = ReadU32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double Archive::ReadDouble() {
  uint64_t bits = ReadLe(8);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void Archive::WriteU8(uint8_t value) { WriteLe(value, 1); }
void Archive::WriteU16(uint16_t value) { WriteLe(value, 2); }
void Archive::WriteU32(uint32_t value) { WriteLe(value, 4); }
void Archive::WriteI32(int32_t value) { WriteLe(static_cast<uint32_t>(value), 4); }

void Archive::WriteFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteLe(bits, 4);
}

void Archive::WriteDouble(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteLe(bits, 8);
}

uint32_t Archive::ReadCount(uint64_t elementSize) {
  uint32_t count = ReadU16();
  if (count == kCountEscape) count = ReadU32();
  if (elementSize > 0 && count > Remaining() / elementSize) Throw(ArchiveException::endOfFile);
  return count;
}

void Archive::WriteCount(uint32_t count) {
  if (count < kCountEscape) {
    WriteU16(static_cast<uint16_t>(count));
  } else {
    WriteU16(kCountEscape);
    WriteU32(count);
  }
}

std::string Archive::ReadString() {
  uint64_t length = ReadU8();
  bool unicode = false;
  if (length == kShortLengthEscape) {
    length = ReadU16();
    if (length == kUnicodeMarker) {
      unicode = true;
      length = ReadU8();
      if (length == kShortLengthEscape) length = ReadU16();
    }
    if (length == kLengthEscape) length = ReadU32();
  }
  const uint64_t unit = unicode ? 2 : 1;
  // Checked against what the file holds before anything is allocated.
  if (length > Remaining() / unit) Throw(ArchiveException::endOfFile);
  std::string bytes(static_cast<size_t>(length * unit), '\0');
  Read(bytes.data(), bytes.size());
  if (!unicode) return bytes;

  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                     (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  }
  return win::Utf16ToCp1252(units);
}

void Archive::WriteString(std::string_view text) {
  if (text.size() > UINT32_MAX) Throw(ArchiveException::badIndex);
  size_t length = text.size();
  if (length < kShortLengthEscape) {
    WriteU8(static_cast<uint8_t>(length));
  } else if (length < kUnicodeMarker) {
    WriteU8(kShortLengthEscape);
    WriteU16(static_cast<uint16_t>(length));
  } else {
    WriteU8(kShortLengthEscape);
    WriteU16(kLengthEscape);
    WriteU32(static_cast<uint32_t>(length));
  }
  Write(text.data(), length);
}

}  // namespace archive
