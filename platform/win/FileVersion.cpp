#include "platform/win/FileVersion.h"

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace win {

namespace {

constexpr uint32_t kSectionNote = 7;  // SHT_NOTE
constexpr uint32_t kSegmentNote = 4;  // PT_NOTE
// Our note is 32 bytes; a note area larger than this is not worth reading.
constexpr uint64_t kMaxNoteArea = 1 << 20;

// No header table of a real executable comes near this.
constexpr uint64_t kMaxTable = 16 << 20;

// Reads ranges of the file, refusing any that do not lie wholly inside it.
class BoundedFile {
 public:
  explicit BoundedFile(const std::filesystem::path& path) : m_in(path, std::ios::binary) {
    if (m_in) {
      m_in.seekg(0, std::ios::end);
      auto end = m_in.tellg();
      m_size = end < 0 ? 0 : static_cast<uint64_t>(end);
    }
  }

  bool Read(uint64_t offset, uint64_t size, std::vector<uint8_t>& out) {
    if (!m_in || offset > m_size || size > m_size - offset || size > kMaxTable) return false;
    out.resize(static_cast<size_t>(size));
    m_in.clear();
    m_in.seekg(static_cast<std::streamoff>(offset));
    m_in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
    return static_cast<uint64_t>(m_in.gcount()) == size;
  }

 private:
  std::ifstream m_in;
  uint64_t m_size = 0;
};

class BoundedImage {
 public:
  explicit BoundedImage(std::string_view image) : m_image(image) {}

  bool Read(uint64_t offset, uint64_t size, std::vector<uint8_t>& out) const {
    if (offset > m_image.size() || size > m_image.size() - offset) return false;
    out.assign(m_image.begin() + static_cast<std::ptrdiff_t>(offset),
               m_image.begin() + static_cast<std::ptrdiff_t>(offset + size));
    return true;
  }

 private:
  std::string_view m_image;
};

uint64_t Le(const std::vector<uint8_t>& bytes, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint64_t>(bytes[offset + i]) << (8 * i);
  return value;
}

struct NoteArea {
  uint64_t offset;
  uint64_t size;
  uint64_t align;
};

uint64_t PadTo(uint64_t value, uint64_t align) { return (value + align - 1) / align * align; }

std::optional<FileVersion> FindVersionNote(const std::vector<uint8_t>& area, uint64_t align) {
  const uint64_t size = area.size();
  uint64_t pos = 0;
  while (size - pos >= 12) {
    const uint64_t nameSize = Le(area, pos, 4);
    const uint64_t descSize = Le(area, pos + 4, 4);
    const uint64_t type = Le(area, pos + 8, 4);
    const uint64_t nameAt = pos + 12;
    if (nameSize > size - nameAt) return std::nullopt;
    const uint64_t descAt = nameAt + PadTo(nameSize, align);
    if (descAt > size || descSize > size - descAt) return std::nullopt;
    if (nameSize == sizeof(kVersionNoteOwner) && type == kVersionNoteType && descSize >= 8 &&
        std::memcmp(area.data() + nameAt, kVersionNoteOwner, sizeof(kVersionNoteOwner)) == 0) {
      return FileVersion{static_cast<uint16_t>(Le(area, descAt, 2)),
                         static_cast<uint16_t>(Le(area, descAt + 2, 2)),
                         static_cast<uint16_t>(Le(area, descAt + 4, 2)),
                         static_cast<uint16_t>(Le(area, descAt + 6, 2))};
    }
    pos = descAt + PadTo(descSize, align);  // beyond the end when this was the last note
    if (pos > size) return std::nullopt;
  }
  return std::nullopt;
}

template <typename Reader>
std::optional<FileVersion> FindInElf(Reader& file) {
  std::vector<uint8_t> header;
  if (!file.Read(0, 52, header)) return std::nullopt;  // 52: the smaller, 32-bit header
  if (std::memcmp(header.data(), "\x7f" "ELF", 4) != 0 || header[5] != 1) return std::nullopt;
  const bool wide = header[4] == 2;
  if (!wide && header[4] != 1) return std::nullopt;
  if (wide && !file.Read(0, 64, header)) return std::nullopt;

  const size_t w = wide ? 8 : 4;
  const uint64_t segmentTable = Le(header, wide ? 32 : 28, w);
  const uint64_t sectionTable = Le(header, wide ? 40 : 32, w);
  const uint64_t segmentEntry = Le(header, wide ? 54 : 42, 2);
  const uint64_t segmentCount = Le(header, wide ? 56 : 44, 2);
  const uint64_t sectionEntry = Le(header, wide ? 58 : 46, 2);
  const uint64_t sectionCount = Le(header, wide ? 60 : 48, 2);

  // Sections when the file has them (each note section on its own), else note segments.
  std::vector<NoteArea> areas;
  std::vector<uint8_t> table;
  const uint64_t sectionNeeds = wide ? 64 : 40;
  if (sectionTable != 0 && sectionEntry >= sectionNeeds &&
      file.Read(sectionTable, sectionEntry * sectionCount, table)) {
    for (uint64_t i = 0; i < sectionCount; ++i) {
      size_t at = static_cast<size_t>(i * sectionEntry);
      if (Le(table, at + 4, 4) != kSectionNote) continue;
      areas.push_back({Le(table, at + (wide ? 24 : 16), w), Le(table, at + (wide ? 32 : 20), w),
                       Le(table, at + (wide ? 48 : 32), w)});
    }
  }
  const uint64_t segmentNeeds = wide ? 56 : 32;
  if (areas.empty() && segmentTable != 0 && segmentEntry >= segmentNeeds &&
      file.Read(segmentTable, segmentEntry * segmentCount, table)) {
    for (uint64_t i = 0; i < segmentCount; ++i) {
      size_t at = static_cast<size_t>(i * segmentEntry);
      if (Le(table, at, 4) != kSegmentNote) continue;
      areas.push_back({Le(table, at + (wide ? 8 : 4), w), Le(table, at + (wide ? 32 : 16), w),
                       Le(table, at + (wide ? 48 : 28), w)});
    }
  }

  std::vector<uint8_t> area;
  for (const auto& note : areas) {
    if (note.size > kMaxNoteArea || !file.Read(note.offset, note.size, area)) continue;
    if (auto version = FindVersionNote(area, note.align == 8 ? 8 : 4)) return version;
  }
  return std::nullopt;
}

}  // namespace

std::optional<FileVersion> GetFileVersion(const std::filesystem::path& executable) {
  BoundedFile file(executable);
  return FindInElf(file);
}

std::optional<FileVersion> ParseFileVersion(std::string_view image) {
  BoundedImage reader(image);
  return FindInElf(reader);
}

}  // namespace win
