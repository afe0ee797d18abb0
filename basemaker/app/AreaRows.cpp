#include "basemaker/app/AreaRows.h"

#include <cstdio>
#include <utility>

#include "basemaker/app/BuilderStrings.h"

AreaRows::AreaRows(CAreaList& areas, bool requiredStay) : m_areas(areas), m_requiredStay(requiredStay) {
  for (size_t i = 0; i < areas.m_entries.size(); ++i)
    m_rows.push_back({static_cast<int>(i), areas.m_entries[i].active});
}

std::string AreaRows::PriorityText(int row) const {
  char text[16];
  std::snprintf(text, sizeof text, m_renumbered ? "%03u" : "%u", static_cast<unsigned>(row + 1));
  return text;
}

int AreaRows::SetChecked(int row, bool checked) {
  AreaRow& r = m_rows.at(row);
  if (r.checked && !checked && m_requiredStay && EntryOf(row).required) return IDS_REQUIRED_OFF;
  r.checked = checked;
  return 0;
}

void AreaRows::CheckAll() {
  for (AreaRow& r : m_rows) r.checked = true;
}

int AreaRows::MoveUp(int row) {
  if (row < 1 || row >= Count()) return -1;
  std::swap(m_rows[row - 1], m_rows[row]);
  m_renumbered = true;
  return row - 1;
}

int AreaRows::MoveDown(int row) {
  if (row < 0 || row + 1 >= Count()) return -1;
  std::swap(m_rows[row], m_rows[row + 1]);
  m_renumbered = true;
  return row + 1;
}

int AreaRows::EditRefusal(int row) const {
  return m_requiredStay && EntryOf(row).required ? IDS_REQUIRED_EDIT : 0;
}

int AreaRows::DeleteRefusal(int row) const {
  return m_requiredStay && EntryOf(row).required ? IDS_REQUIRED_DELETE : 0;
}

void AreaRows::ReplaceEntry(int row, const AreaEntry& entry) {
  m_areas.m_entries.at(m_rows.at(row).entry) = entry;
}

int AreaRows::AddAtTop(const AreaEntry& entry) {
  const int index = m_areas.AddArea(entry);
  m_rows.insert(m_rows.begin(), AreaRow{index, entry.active});
  m_renumbered = true;
  return 0;
}

int AreaRows::Delete(int row) {
  m_rows.erase(m_rows.begin() + row);
  m_renumbered = true;
  if (m_rows.empty()) return -1;
  return row < Count() ? row : Count() - 1;
}

void AreaRows::AppendRows(CAreaList& out) {
  for (const AreaRow& r : m_rows) {
    AreaEntry& entry = m_areas.m_entries.at(r.entry);
    entry.active = r.checked;
    out.m_entries.push_back(entry);
  }
}

CAreaList AreaRows::ListToBuild() {
  CAreaList out;
  out.m_databaseName = m_areas.m_databaseName;
  out.m_worldTitle = m_areas.m_worldTitle;
  out.m_worldDescription = m_areas.m_worldDescription;
  AppendRows(out);
  return out;
}

CAreaList AreaRows::ListToSave() {
  CAreaList out;
  out.m_generalPairs = m_areas.m_generalPairs;
  out.m_cacheSections = m_areas.m_cacheSections;
  AppendRows(out);
  return out;
}
