#include "basemaker/app/VisFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/TextCase.h"

namespace {

// Reads inside the first `size` bytes only; every position past them reads as the end.
class BoundedBytes {
 public:
  explicit BoundedBytes(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
  size_t Size() const { return m_bytes.size(); }

  uint16_t U16(size_t offset) const {
    if (offset > m_bytes.size() || m_bytes.size() - offset < 2) return 0;
    return static_cast<uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
  }
  uint8_t U8(size_t offset) const { return offset < m_bytes.size() ? m_bytes[offset] : 0; }

  // The NUL-terminated text at `offset`; a text without its NUL ends with the bytes. `next`
  // receives the position after the NUL (or the end).
  std::string Text(size_t offset, size_t* next = nullptr) const {
    if (offset >= m_bytes.size()) {
      if (next) *next = m_bytes.size();
      return {};
    }
    const auto* start = m_bytes.data() + offset;
    const size_t avail = m_bytes.size() - offset;
    const void* nul = std::memchr(start, 0, avail);
    const size_t len = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - start) : avail;
    if (next) *next = nul ? offset + len + 1 : m_bytes.size();
    return std::string(reinterpret_cast<const char*>(start), len);
  }

 private:
  std::span<const uint8_t> m_bytes;
};

void AddTrailingBackslash(std::string& folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
}

void ReplaceRootToken(std::string& folder) {
  if (folder.starts_with(vis::kRootToken)) folder.replace(0, std::strlen(vis::kRootToken), ".\\");
}

bool RecordFits(const BoundedBytes& bytes, size_t start) {
  return start + vis::kRecordGuard < bytes.Size();
}

// Set folder (lower-cased, with trailing backslash) -> "[]" + the folder on the disc.
std::map<std::string, std::string> ReadCdRecords(const BoundedBytes& bytes, size_t pos) {
  std::map<std::string, std::string> discFolders;
  while (RecordFits(bytes, pos) && bytes.U8(pos) != 0) {
    size_t next = 0;
    std::string disc = bytes.Text(pos + vis::kCdRecordText, &next);
    if (disc.size() >= 3 && disc.compare(1, 2, ":\\") == 0) disc.erase(0, 3);
    AddTrailingBackslash(disc);
    std::string key = bytes.Text(next, &next);
    ReplaceRootToken(key);
    AddTrailingBackslash(key);
    discFolders[LowerCp1252(key)] = "[]" + disc;
    pos = next;
  }
  return discFolders;
}

void ReadAreaRecords(const BoundedBytes& bytes, size_t pos,
                     const std::map<std::string, std::string>& discFolders,
                     std::vector<AreaEntry>& areas) {
  while (RecordFits(bytes, pos) && bytes.U8(pos) != 0) {
    AreaEntry entry;
    entry.active = (bytes.U8(pos + vis::kAreaRecordFlags) & 1) != 0;
    size_t next = 0;
    std::string folder = bytes.Text(pos + vis::kAreaRecordText, &next);
    entry.title = bytes.Text(next, &next);
    ReplaceRootToken(folder);
    // A folder may end in a file pattern ("...\*"): only the folder before it names the area.
    const size_t star = folder.rfind('*');
    if (star != std::string::npos) folder.erase(star);
    AddTrailingBackslash(folder);
    const auto disc = discFolders.find(LowerCp1252(folder));
    entry.remote = disc != discFolders.end();
    entry.ParsePathValue(entry.remote ? disc->second : folder);
    areas.push_back(std::move(entry));
    pos = next;
  }
}

}  // namespace

std::optional<VisSet> ParseVisSet(std::span<const uint8_t> file) {
  if (file.size() < vis::kHeaderSize || file[vis::kOffMagic] != 'M' ||
      file[vis::kOffMagic + 1] != 'R') {
    return std::nullopt;
  }
  const BoundedBytes header(file);
  const size_t setSize = header.U16(vis::kOffSetSize);
  const BoundedBytes bytes(file.first(std::min(setSize, file.size())));

  VisSet set;
  set.title = bytes.Text(header.U16(vis::kOffTitle));
  set.description = bytes.Text(header.U16(vis::kOffDescription));
  const auto discFolders = ReadCdRecords(bytes, header.U16(vis::kOffFirstCd));
  ReadAreaRecords(bytes, header.U16(vis::kOffFirstArea), discFolders, set.areas);
  return set;
}

bool CAreaList::ReadVisFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  // The size field is 16 bits, so no set is longer than this; the header needs its 36 bytes
  // even when the size field is smaller.
  std::vector<uint8_t> bytes(std::max(vis::kMaxSetSize, vis::kHeaderSize));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  auto set = ParseVisSet(bytes);
  if (!set) return false;
  m_worldTitle = std::move(set->title);
  m_worldDescription = std::move(set->description);
  for (auto& area : set->areas) m_entries.push_back(std::move(area));
  return true;
}
