#include "plotr/plan/FixNameMap.h"

#include <algorithm>

FixName MakeFixName(std::string_view text) {
  FixName name{};
  std::copy_n(text.data(), std::min(text.size(), name.size() - 1), name.data());
  return name;
}

bool IsUsableFixName(std::string_view text) {
  bool blanksOnly = true;
  for (char c : text) {
    if (c == ':' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    if (c != ' ') blanksOnly = false;
  }
  return text.empty() || !blanksOnly;
}

bool CFixNameMap::LookupId(uint32_t id, FixName& name) const {
  const auto it = m_names.find(id);
  if (it == m_names.end()) {
    return false;
  }
  name = it->second;
  return true;
}

int CFixNameMap::Add(NavPoint& key, const FixName& name) {
  // Ids are handed out lowest first; the map is ordered, so the first gap is the answer.
  uint32_t id = 0;
  for (const auto& entry : m_names) {
    if (entry.first != id) break;
    ++id;
  }
  if (id >= kFixIdLimit) {
    return -1;
  }
  SetAt(id, name);
  key.word = (key.word & ~kPayloadMask) | id;
  return static_cast<int>(id);
}

void CFixNameMap::SetAt(uint32_t id, const FixName& name) {
  FixName stored = name;
  stored.back() = '\0';
  m_names[id] = stored;
}

void CFixNameMap::RemoveKey(uint32_t id) {
  m_names.erase(id);
}
