#include "planexport/simpln/StartPositionModel.h"

#include "platform/win/Codepage.h"

namespace {

// The host lists one airport's runways, parking spots and helipads; a host that never reports
// the end must not keep the dialog from opening.
constexpr size_t kMaxStartPositions = 10000;

}  // namespace

void StartPositionModel::Load(const FlpxPlanSource& plan) {
  m_entries.clear();
  m_selection = -1;
  FlpxWaypoint first;
  bool matching = plan.Waypoint(kFlpxMoveFirst, first) && first.type == 'C';
  int matched = 0;
  FlpxStartPosition position;
  for (int move = kFlpxMoveFirst; m_entries.size() < kMaxStartPositions && plan.StartPosition(move, position);
       move = kFlpxMoveNext) {
    Entry entry{std::string(FieldText(position.display)), std::string(FieldText(position.key))};
    if (matching && win::EqualsNoCase(entry.key, m_storedKey)) matched = static_cast<int>(m_entries.size());
    // A later entry may still take the choice while the first one holds it.
    matching = matching && matched == 0;
    m_entries.push_back(std::move(entry));
  }
  if (!m_entries.empty()) m_selection = matched;
}

std::array<std::string, 2> StartPositionModel::Columns(std::string_view display) {
  const size_t tab = display.find('\t');
  if (tab == std::string_view::npos) return {std::string(display), std::string()};
  return {std::string(display.substr(0, tab)), std::string(display.substr(tab + 1))};
}

bool StartPositionModel::Accept() {
  if (m_selection < 0 || m_selection >= static_cast<int>(m_entries.size())) return false;
  m_storedKey = m_entries[static_cast<size_t>(m_selection)].key;
  return true;
}
