#include "basemaker/app/AreaList.h"

int CAreaList::AddArea(const AreaEntry& entry) {
  m_entries.push_back(entry);
  return static_cast<int>(m_entries.size()) - 1;
}
