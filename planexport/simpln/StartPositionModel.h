#pragma once

// The departure-position choice of Simplanc and Simplanb, without its window: the start
// positions of the departure airport as the host lists them, the entry preselected for the
// runway the plan starts at, and the key the OK button takes.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "planexport/common/PlanSource.h"

class StartPositionModel {
 public:
  struct Entry {
    std::string display;  // the host's tab-separated line
    std::string key;
  };

  // `storedKey`: the departure's first runway, or empty when it has none.
  explicit StartPositionModel(std::string storedKey) : m_storedKey(std::move(storedKey)) {}

  // Reads the plan's first waypoint and every start position. The entry whose key is the
  // stored key (in any letter case) is preselected when the plan starts at a runway; otherwise
  // the first entry is.
  void Load(const FlpxPlanSource& plan);

  const std::vector<Entry>& Entries() const { return m_entries; }
  // The two columns of an entry's line: before and after its first tab.
  static std::array<std::string, 2> Columns(std::string_view display);

  int Selection() const { return m_selection; }
  void Select(int index) { m_selection = index >= 0 && index < static_cast<int>(m_entries.size()) ? index : -1; }
  // OK stays disabled while there is nothing to choose.
  bool OkEnabled() const { return !m_entries.empty(); }
  // OK: the selected entry's key becomes the stored key. False (the dialog stays open) when no
  // entry is selected.
  bool Accept();

  const std::string& StoredKey() const { return m_storedKey; }

 private:
  std::string m_storedKey;
  std::vector<Entry> m_entries;
  int m_selection = -1;
};
