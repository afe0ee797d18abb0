#include "navdb/ProfileFile.h"

#include "navdb/CheckedFile.h"
#include "platform/win/AtomicFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>
#include <utility>

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

// Copies `text` with the rules of a fixed buffer: at most size - 1 characters, NUL after them
// and in the rest of the buffer. Returns the copied length.
size_t CopyText(std::string_view text, char* buffer, size_t size) {
  const size_t length = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  std::memset(buffer + length, 0, size - length);
  return std::strlen(buffer);  // a value may hold a NUL of its own
}

// A list of names, each followed by NUL, closed by a second NUL right after the last name
// (and NUL in the rest of the buffer), cut so that the last two bytes of the buffer are NUL.
size_t CopyList(const std::string& list, char* buffer, size_t size) {
  std::memset(buffer, 0, size);
  if (list.empty()) {
    return 0;
  }
  std::memcpy(buffer, list.data(), std::min(list.size(), size));
  buffer[size - 1] = '\0';
  if (size >= 2) {
    buffer[size - 2] = '\0';
  }
  // `list` ends with the NUL of its last name; the closing NUL is not counted.
  const size_t length = list.size() - 1;
  return size >= 2 && length < size - 2 ? length : (size >= 2 ? size - 2 : 0);
}

}  // namespace

const CProfileFile::Section* CProfileFile::FindSection(const char* name) const {
  for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
    if (SameName(it->name, name)) {
      return &*it;
    }
  }
  return nullptr;
}

CProfileFile::Section* CProfileFile::FindSection(const char* name) {
  return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const CProfileFile::Entry* CProfileFile::FindEntry(const Section& section, const char* key) {
  for (auto it = section.entries.rbegin(); it != section.entries.rend(); ++it) {
    if (SameName(it->key, key)) {
      return &*it;
    }
  }
  return nullptr;
}

bool CProfileFile::Load(const std::string& path, const char* sectionFilter) {
  m_sections.clear();
  CCheckedFile file;
  if (!file.Open(path, CCheckedFile::modeRead | CCheckedFile::shareDenyWrite)) {
    return false;
  }
  CFileException error;
  const uint64_t length = file.GetLength(&error);
  if (error.m_cause != CFileException::none) {
    return false;
  }
  if (length == 0) {
    return true;
  }
  std::string text;
  try {
    text.resize(static_cast<size_t>(length));
  } catch (const std::exception&) {
    return false;
  }
  if (file.Read(text.data(), text.size()) != text.size()) {
    return false;
  }
  file.Close();
  Parse(text.data(), text.size(), sectionFilter);
  return true;
}

void CProfileFile::Parse(const char* data, size_t size, const char* sectionFilter) {
  const std::string_view text(data, size);
  std::string headerName;  // empty: lines are not kept (no header yet, or filtered out)
  Section* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    // Files edited on Linux end their lines with LF alone; those load like CR LF files.
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view line = text.substr(start, end - start);
    start = next;

    while (!line.empty() && IsBlank(line.front())) {
      line.remove_prefix(1);
    }
    if (line.empty() || line.front() == ';') {
      continue;
    }
    if (line.front() == '[') {
      const size_t close = line.find(']');
      std::string_view name = close == std::string_view::npos ? std::string_view() : Trim(line.substr(1, close - 1));
      if (sectionFilter != nullptr && !SameName(name, sectionFilter)) {
        name = {};
      }
      headerName.assign(name);
      current = nullptr;
      continue;
    }
    if (headerName.empty()) {
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key.empty() || value.empty()) {
      continue;
    }
    if (current == nullptr) {
      m_sections.push_back(Section{headerName, {}});
      current = &m_sections.back();
    }
    current->entries.push_back(Entry{std::string(key), std::string(value)});
  }
}

bool CProfileFile::Save(const std::string& path) const {
  std::string text;
  for (size_t i = 0; i < m_sections.size(); ++i) {
    text += i == 0 ? "[" : "\r\n[";
    text += m_sections[i].name;
    text += "]\r\n";
    for (const Entry& entry : m_sections[i].entries) {
      text += entry.key;
      text += '=';
      text += entry.value;
      text += "\r\n";
    }
  }

  // The old file stays untouched until the new one is complete on disk.
  return win::WriteFileAtomically(path, text);
}

size_t CProfileFile::GetString(const char* section, const char* key, const char* defaultText, char* buffer,
                               size_t size) const {
  if (buffer == nullptr || size == 0) {
    return 0;
  }
  const std::string_view fallback = defaultText != nullptr ? defaultText : "";
  if (section == nullptr) {
    std::string list;
    for (const Section& s : m_sections) {
      list += s.name;
      list += '\0';
    }
    return CopyList(list, buffer, size);
  }
  const Section* found = FindSection(section);
  if (found == nullptr) {
    return CopyText(fallback, buffer, size);
  }
  if (key == nullptr) {
    std::string list;
    for (const Entry& e : found->entries) {
      list += e.key;
      list += '\0';
    }
    return CopyList(list, buffer, size);
  }
  const Entry* entry = FindEntry(*found, key);
  return CopyText(entry != nullptr ? std::string_view(entry->value) : fallback, buffer, size);
}

bool CProfileFile::WriteString(const char* section, const char* key, const char* value) {
  if (section == nullptr || key == nullptr) {
    return false;
  }
  Section* found = FindSection(section);
  if (found == nullptr) {
    m_sections.push_back(Section{section, {}});
    found = &m_sections.back();
  }
  auto& entries = found->entries;
  const auto it = std::find_if(entries.rbegin(), entries.rend(), [&](const Entry& e) { return SameName(e.key, key); });
  if (value == nullptr) {
    if (it != entries.rend()) {
      entries.erase(std::next(it).base());
    }
  } else if (it != entries.rend()) {
    it->value = value;
  } else {
    entries.push_back(Entry{key, value});
  }
  return true;
}

int CProfileFile::GetInt(const char* section, const char* key, int defaultValue) const {
  if (section == nullptr || key == nullptr) {
    return defaultValue;
  }
  const Section* found = FindSection(section);
  const Entry* entry = found != nullptr ? FindEntry(*found, key) : nullptr;
  if (entry == nullptr || entry->value.empty()) {
    return defaultValue;
  }
  std::string_view text = entry->value;
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Saturates instead of overflowing on absurdly long digit runs.
  int64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      break;
    }
    magnitude = std::min<int64_t>(magnitude * 10 + (c - '0'), int64_t{INT_MAX} + 1);
  }
  const int64_t value = negative ? -magnitude : std::min<int64_t>(magnitude, INT_MAX);
  return static_cast<int>(value);
}

bool CProfileFile::WriteInt(const char* section, const char* key, int value) {
  char text[16];
  const auto result = std::to_chars(text, text + sizeof text - 1, value);
  *result.ptr = '\0';
  return WriteString(section, key, text);
}
