#pragma once

// Names of a route's user fixes by fix id (bits 0-29 of the fix's point word). A name is at
// most 5 characters; the stored six bytes always end in NUL.

#include <array>
#include <cstdint>
#include <map>
#include <string_view>

#include "navdb/NavPoint.h"

using FixName = std::array<char, 6>;

// Ids are kept below this so that they fit the 16-bit fields other records give them.
inline constexpr uint32_t kFixIdLimit = 0xFFFF;

FixName MakeFixName(std::string_view text);
// Whether a name a user gives a fix can travel with it: names go into ':'-separated waypoint
// lines of procedure files, one line each, read back with blanks trimmed. So no ':', no control
// character, and not blanks only. An empty name is usable: the fix is then named automatically.
bool IsUsableFixName(std::string_view text);
inline std::string_view FixNameText(const FixName& name) {
  size_t n = 0;
  while (n < name.size() && name[n] != '\0') ++n;
  return std::string_view(name.data(), n);
}

class CFixNameMap {
 public:
  // The name stored under the key's fix id.
  bool Lookup(const NavPoint& key, FixName& name) const { return LookupId(key.word & kPayloadMask, name); }
  bool LookupId(uint32_t id, FixName& name) const;
  // Takes the lowest unused id below kFixIdLimit, stores the name under it, writes the id into
  // bits 0-29 of the key (keeping bits 30-31) and returns it; -1 (key unchanged) when every id
  // is taken.
  int Add(NavPoint& key, const FixName& name);
  void SetAt(uint32_t id, const FixName& name);
  void RemoveKey(uint32_t id);
  void RemoveAll() { m_names.clear(); }
  size_t GetCount() const { return m_names.size(); }

  const std::map<uint32_t, FixName>& Entries() const { return m_names; }

 private:
  std::map<uint32_t, FixName> m_names;
};
