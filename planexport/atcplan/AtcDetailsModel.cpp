#include "planexport/atcplan/AtcDetailsModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "planexport/common/ExportFile.h"
#include "planexport/common/PlanSource.h"

namespace {

size_t ListIndex(AtcList list) {
  switch (list) {
    case AtcList::kAvailableDeparture:
      return 0;
    case AtcList::kOpenDeparture:
      return 1;
    case AtcList::kAvailableArrival:
      return 2;
    case AtcList::kOpenArrival:
      break;
  }
  return 3;
}

bool IsDeparture(AtcList list) { return list == AtcList::kAvailableDeparture || list == AtcList::kOpenDeparture; }

std::string S(std::string_view text) { return std::string(text); }

std::string IdOrName(const FlpxAirportInfo& airport) {
  const std::string_view ident = FieldText(airport.ident);
  return S(ident.empty() ? FieldText(airport.name) : ident);
}

std::string Cut(std::string text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

}  // namespace

std::string FormatRunwayId(std::string_view id) {
  const auto digits = std::count_if(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
  return digits < 2 ? " " + S(id) : S(id);
}

std::array<int, 4> RunwayColumnWidths(int clientWidth) {
  const int id = clientWidth / 6;
  const int rest = clientWidth - id;
  return {id, rest / 3, rest / 3, rest - 2 * (rest / 3)};
}

void CollectListRunways(const std::vector<int>& items, const FlpxAirportInfo& source, FlpxAirportInfo& target) {
  const int available = RunwayCount(source);
  int count = 0;
  for (auto it = items.rbegin(); it != items.rend() && count < kFlpxMaxRunways; ++it) {
    if (*it < 0 || *it >= available) continue;
    target.runways[count++] = source.runways[*it];
  }
  target.runwayCount = count;
}

std::string TrimTrailingBlanks(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return S(text.substr(0, n));
}

AtcDetailsModel::AtcDetailsModel(const FlpxPlanInfo& info, double highestAltitude)
    : m_info(info), m_highestAltitude(highestAltitude) {
  for (int i = 0; i < RunwayCount(m_info.departure); ++i) InsertRunwayItem(AtcList::kOpenDeparture, i);
  for (int i = 0; i < RunwayCount(m_info.arrival); ++i) InsertRunwayItem(AtcList::kOpenArrival, i);
}

std::string AtcDetailsModel::DefaultTitle() const {
  return Cut(FormatC("%s to %s: %s", IdOrName(m_info.departure).c_str(), IdOrName(m_info.arrival).c_str(),
                     S(FieldText(m_info.aircraftName)).c_str()),
             kTitleLimit);
}

std::string AtcDetailsModel::DefaultDescription() const {
  return Cut(FormatC("%s to %s - Aircraft: %s - FlightLevel: %0.0f", S(FieldText(m_info.departure.name)).c_str(),
                     S(FieldText(m_info.arrival.name)).c_str(), S(FieldText(m_info.aircraftName)).c_str(),
                     std::ceil(m_highestAltitude / 100.0)),
             kDescriptionLimit);
}

const std::vector<int>& AtcDetailsModel::Items(AtcList list) const { return m_lists[ListIndex(list)]; }
std::vector<int>& AtcDetailsModel::ItemsOf(AtcList list) { return m_lists[ListIndex(list)]; }

const FlpxAirportInfo& AtcDetailsModel::SideOf(AtcList list) const {
  return IsDeparture(list) ? m_info.departure : m_info.arrival;
}

std::array<std::string, 4> AtcDetailsModel::ColumnTexts(AtcList list, int runway) const {
  const FlpxAirportInfo& side = SideOf(list);
  if (runway < 0 || runway >= RunwayCount(side)) return {};
  const FlpxRunwayInfo& r = side.runways[runway];
  const double ils = r.ilsFrequency;
  return {FormatRunwayId(FieldText(r.ident)), FormatC("%0.0f", r.heading), FormatC("%0.0f", r.length),
          ils == 0 ? std::string() : FormatC("%0.2f", ils)};
}

void AtcDetailsModel::InsertRunwayItem(AtcList list, int runway) {
  std::vector<int>& items = ItemsOf(list);
  items.insert(items.begin(), runway);
}

AtcList AtcDetailsModel::MoveTarget(AtcList source) {
  switch (source) {
    case AtcList::kAvailableDeparture:
      return AtcList::kOpenDeparture;
    case AtcList::kOpenDeparture:
      return AtcList::kAvailableDeparture;
    case AtcList::kAvailableArrival:
      return AtcList::kOpenArrival;
    case AtcList::kOpenArrival:
      break;
  }
  return AtcList::kAvailableArrival;
}

void AtcDetailsModel::MoveSelectedRunways(AtcList source, std::vector<int> selected) {
  std::vector<int>& from = ItemsOf(source);
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    if (*it < 0 || *it >= static_cast<int>(from.size())) continue;
    const int runway = from[static_cast<size_t>(*it)];
    from.erase(from.begin() + *it);
    InsertRunwayItem(MoveTarget(source), runway);
  }
}

bool AtcDetailsModel::Accept(std::string_view title, std::string_view description, int typeSelection) {
  std::string t = TrimTrailingBlanks(title.substr(0, std::min(title.size(), kTitleLimit)));
  std::string d = TrimTrailingBlanks(description.substr(0, std::min(description.size(), kDescriptionLimit)));
  if (t.empty() || d.empty()) return false;
  m_details.title = std::move(t);
  m_details.description = std::move(d);
  m_details.aircraftType = std::clamp(typeSelection, 0, 2) + 1;
  // Collected from the host's arrays, never from the ones being rebuilt: an item may name a
  // runway whose slot an earlier item already took.
  m_details.info = m_info;
  CollectListRunways(Items(AtcList::kOpenDeparture), m_info.departure, m_details.info.departure);
  CollectListRunways(Items(AtcList::kOpenArrival), m_info.arrival, m_details.info.arrival);
  return true;
}
