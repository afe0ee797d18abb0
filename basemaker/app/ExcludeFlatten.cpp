#include "basemaker/app/ExcludeFlatten.h"

#include <cstring>
#include <vector>

#include "basemaker/app/BuilderStrings.h"
#include "basemaker/app/TextCase.h"
#include "basemaker/compiler/NavTextFields.h"

namespace {

constexpr int kLowestAltitude = -2000;
constexpr int kHighestAltitude = 99999;

// Cuts the text into items with the text files' own field cutter, remembering where each lies.
class ItemReader {
 public:
  explicit ItemReader(std::string_view text) : m_buffer(text.begin(), text.end()) {
    // The cutter stops at a NUL; an embedded one ends the items there.
    m_buffer.push_back('\0');
    m_cursor = m_buffer.data();
  }
  const char* Next() { return NextToken(m_cursor, ","); }
  int PositionOf(const char* item) const { return static_cast<int>(item - m_buffer.data()); }
  int EndOf(const char* item) const { return PositionOf(item) + static_cast<int>(std::strlen(item)); }

 private:
  std::vector<char> m_buffer;
  char* m_cursor;
};

// A whole decimal number with an optional sign filling the item, kept in range while it is read
// so that no digit string overflows.
bool ReadAltitude(const char* item, int& value) {
  const char* p = item;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p < '0' || *p > '9') return false;
  long magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
    if (magnitude <= kHighestAltitude) magnitude = magnitude * 10 + (*p - '0');
  if (*p != '\0') return false;
  if (magnitude > kHighestAltitude + 1) magnitude = kHighestAltitude + 1;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

// Reads `count` coordinates, latitude first. On failure sets the selection and returns false.
bool ReadPoints(ItemReader& items, int count, int length, TextSelection& selection) {
  for (int i = 0; i < count; ++i) {
    const char* item = items.Next();
    if (item == nullptr) {
      selection = {length, length};
      return false;
    }
    float value = 0;
    const int failedAt = ParseCoordinate(value, item, i % 2 == 0, false);
    if (failedAt >= 0) {
      selection = {items.PositionOf(item) + failedAt, items.EndOf(item)};
      return false;
    }
  }
  return true;
}

bool EndsWithComma(std::string_view text, TextSelection& selection) {
  if (text.empty() || text.back() != ',') return false;
  const int length = static_cast<int>(text.size());
  selection = {length - 1, length};
  return true;
}

bool IsExcludeKeyword(const char* item) {
  for (const char* keyword : {"objects", "vors", "ndbs", "all"})
    if (CompareNoCase(item, keyword) == 0) return true;
  return false;
}

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void TrimRight(std::string& text) {
  while (!text.empty() && IsWhite(text.back())) text.pop_back();
}

void TrimLeft(std::string& text) {
  size_t first = 0;
  while (first < text.size() && IsWhite(text[first])) ++first;
  text.erase(0, first);
}

}  // namespace

bool ValidateFlatten(std::string_view text, TextSelection& selection) {
  const int length = static_cast<int>(text.size());
  selection = {length, length};
  ItemReader items(text);
  const char* altitude = items.Next();
  if (altitude == nullptr) return false;
  int value = 0;
  if (!ReadAltitude(altitude, value) || value < kLowestAltitude || value > kHighestAltitude) {
    selection = {items.PositionOf(altitude), items.EndOf(altitude)};
    return false;
  }
  if (!ReadPoints(items, 8, length, selection)) return false;
  return !EndsWithComma(text, selection);
}

bool ValidateExclude(std::string_view text, TextSelection& selection) {
  const int length = static_cast<int>(text.size());
  selection = {length, length};
  ItemReader items(text);
  if (!ReadPoints(items, 4, length, selection)) return false;
  const char* item = items.Next();
  if (item == nullptr) return false;
  for (; item != nullptr; item = items.Next()) {
    if (!IsExcludeKeyword(item)) {
      selection = {items.PositionOf(item), items.EndOf(item)};
      return false;
    }
  }
  return !EndsWithComma(text, selection);
}

ExcludeFlattenTexts ExcludeFlattenTextsOf(const AreaEntry& entry) {
  ExcludeFlattenTexts texts;
  for (size_t i = 0; i < entry.flatten.size(); ++i) texts[i] = entry.flatten[i];
  texts[kExcludeField] = entry.exclude;
  return texts;
}

void StoreExcludeFlattenTexts(const ExcludeFlattenTexts& texts, AreaEntry& entry) {
  for (size_t i = 0; i < entry.flatten.size(); ++i) entry.flatten[i] = texts[i];
  entry.exclude = texts[kExcludeField];
}

std::optional<ExcludeFlattenError> AcceptExcludeFlatten(ExcludeFlattenTexts& texts) {
  ExcludeFlattenTexts trimmed = texts;
  for (std::string& text : trimmed) TrimRight(text);
  for (int field = 0; field < static_cast<int>(trimmed.size()); ++field) {
    if (trimmed[field].empty()) continue;
    TextSelection selection;
    const bool exclude = field == kExcludeField;
    const bool valid = exclude ? ValidateExclude(trimmed[field], selection) : ValidateFlatten(trimmed[field], selection);
    if (!valid) return ExcludeFlattenError{field, selection, exclude ? IDS_WRONG_EXCLUDE : IDS_WRONG_FLATTEN};
  }
  for (std::string& text : trimmed) TrimLeft(text);
  texts = trimmed;
  return std::nullopt;
}

std::string WithoutLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r' && c != '\n') out += c;
  return out;
}
