#include "platform/profile/Document.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/win/AtomicFile.h"
#include "platform/win/Codepage.h"

namespace profile {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

int ParseProfileInt(std::string_view text, int fallback) {
  if (text.empty()) return fallback;
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  // Saturate instead of wrapping: a huge number should not turn into a small or negative one.
  int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = std::min<int64_t>(value * 10 + (text[pos] - '0'), int64_t(INT_MAX) + 1);
  }
  if (negative) return static_cast<int>(-value);
  return static_cast<int>(std::min<int64_t>(value, INT_MAX));
}

Document::Line Document::Classify(std::string text) {
  Line line;
  std::string_view body = Trim(text);
  if (!body.empty() && body.front() == '[') {
    body.remove_prefix(1);
    size_t close = body.find(']');
    line.kind = Kind::Section;
    line.name = std::string(Trim(body.substr(0, close)));
  } else if (!body.empty() && body.front() != ';') {
    size_t equals = body.find('=');
    if (equals != std::string_view::npos) {
      std::string_view key = Trim(body.substr(0, equals));
      if (!key.empty()) {
        line.kind = Kind::Entry;
        line.name = std::string(key);
      }
    }
  }
  line.text = std::move(text);
  return line;
}

std::string Document::ValueOf(const Line& line) {
  std::string_view text = line.text;
  std::string_view value = Trim(text.substr(text.find('=') + 1));
  // One pair of enclosing quotes is taken off, so values can keep outer blanks.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

void Document::Parse(std::string_view text) {
  m_lines.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    m_lines.push_back(Classify(std::string(line)));
    pos = end + 1;
  }
}

std::string Document::ToText() const {
  std::string text;
  size_t total = 0;
  for (const auto& line : m_lines) total += line.text.size() + 2;
  text.reserve(total);
  for (const auto& line : m_lines) {
    text += line.text;
    text += "\r\n";
  }
  return text;
}

bool Document::Load(const std::filesystem::path& file) {
  m_lines.clear();
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  std::string text;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok) return false;
  Parse(text);
  return true;
}

bool Document::Save(const std::filesystem::path& file) const {
  return win::WriteFileAtomically(file, ToText());
}

size_t Document::SectionEnd(size_t header) const {
  size_t end = header + 1;
  while (end < m_lines.size() && m_lines[end].kind != Kind::Section) ++end;
  return end;
}

std::optional<std::pair<size_t, size_t>> Document::FindSection(std::string_view section) const {
  for (size_t i = 0; i < m_lines.size(); ++i) {
    if (m_lines[i].kind == Kind::Section && win::EqualsNoCase(m_lines[i].name, section)) {
      return std::make_pair(i, SectionEnd(i));
    }
  }
  return std::nullopt;
}

std::optional<size_t> Document::FindKey(size_t first, size_t last, std::string_view key) const {
  for (size_t i = first; i < last; ++i) {
    if (m_lines[i].kind == Kind::Entry && win::EqualsNoCase(m_lines[i].name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> Document::Get(std::string_view section, std::string_view key) const {
  auto range = FindSection(section);
  if (!range) return std::nullopt;
  auto at = FindKey(range->first + 1, range->second, key);
  if (!at) return std::nullopt;
  return ValueOf(m_lines[*at]);
}

std::string Document::GetString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  auto value = Get(section, key);
  return value ? *value : std::string(defaultValue);
}

int Document::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
  auto value = Get(section, key);
  return value ? ParseProfileInt(*value, defaultValue) : defaultValue;
}

bool Document::HasSection(std::string_view section) const { return FindSection(section).has_value(); }

std::vector<std::string> Document::SectionNames() const {
  std::vector<std::string> names;
  for (const auto& line : m_lines) {
    if (line.kind != Kind::Section) continue;
    bool seen = std::any_of(names.begin(), names.end(),
                            [&](const std::string& n) { return win::EqualsNoCase(n, line.name); });
    if (!seen) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> Document::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  auto range = FindSection(section);
  if (!range) return keys;
  for (size_t i = range->first + 1; i < range->second; ++i) {
    const Line& line = m_lines[i];
    if (line.kind != Kind::Entry) continue;
    bool seen = std::any_of(keys.begin(), keys.end(),
                            [&](const std::string& k) { return win::EqualsNoCase(k, line.name); });
    if (!seen) keys.push_back(line.name);
  }
  return keys;
}

bool Document::Set(std::string_view section, std::string_view key, std::string_view value) {
  // Anything that would read back differently, or break the file into other lines, is refused.
  if (HasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
  if (Trim(section) != section) return false;
  std::string_view trimmedKey = Trim(key);
  if (trimmedKey.empty() || trimmedKey != key || HasLineBreak(key) ||
      key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';') {
    return false;
  }
  if (HasLineBreak(value)) return false;

  auto range = FindSection(section);
  if (!range) {
    if (!m_lines.empty() && !Trim(m_lines.back().text).empty()) m_lines.push_back(Classify(""));
    m_lines.push_back(Classify("[" + std::string(section) + "]"));
    m_lines.push_back(Classify(std::string(key) + "=" + std::string(value)));
    return true;
  }
  if (auto at = FindKey(range->first + 1, range->second, key)) {
    // Keep the line's own spelling of the key and its spacing around '='.
    Line& line = m_lines[*at];
    size_t valueAt = line.text.find('=') + 1;
    while (valueAt < line.text.size() && IsBlank(line.text[valueAt])) ++valueAt;
    line = Classify(line.text.substr(0, valueAt) + std::string(value));
    return true;
  }
  size_t insertAt = range->first + 1;
  for (size_t i = range->first + 1; i < range->second; ++i) {
    if (m_lines[i].kind == Kind::Entry) insertAt = i + 1;
  }
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                 Classify(std::string(key) + "=" + std::string(value)));
  return true;
}

bool Document::SetInt(std::string_view section, std::string_view key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return Set(section, key, text);
}

bool Document::DeleteKey(std::string_view section, std::string_view key) {
  auto range = FindSection(section);
  if (!range) return false;
  bool removed = false;
  for (size_t i = range->second; i-- > range->first + 1;) {
    if (m_lines[i].kind == Kind::Entry && win::EqualsNoCase(m_lines[i].name, key)) {
      m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    }
  }
  return removed;
}

bool Document::DeleteSection(std::string_view section) {
  bool removed = false;
  while (auto range = FindSection(section)) {
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(range->first),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(range->second));
    removed = true;
  }
  return removed;
}

}  // namespace profile
