#pragma once

// Atcplan's export options without their window: the title and description the dialog starts
// with and accepts, the four runway lists (the departure's and arrival's runways, available or
// open to traffic) with their column texts and moves, and the plan information whose runway
// arrays OK replaces by the open lists.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/flpx/Flpx.h"

// The lists by their control ids.
enum class AtcList {
  kAvailableDeparture = 1004,
  kOpenDeparture = 1005,
  kAvailableArrival = 1008,
  kOpenArrival = 1009,
};

// What OK hands to the writer.
struct AtcDetails {
  std::string title;        // code page 1252, trailing blanks removed
  std::string description;
  int aircraftType = 1;     // 1 Jet, 2 Turbo-Prop, 3 Prop
  FlpxPlanInfo info{};      // with the open runways as the departure's and arrival's runways
};

class AtcDetailsModel {
 public:
  static constexpr size_t kTitleLimit = 59;
  static constexpr size_t kDescriptionLimit = 250;
  static constexpr std::array<const char*, 3> kAircraftTypes = {"Jet", "Turbo-Prop", "Prop"};

  // Every runway starts in its side's open list, the available lists empty.
  AtcDetailsModel(const FlpxPlanInfo& info, double highestAltitude);

  // "LSZH to LFSB: Cessna 172" (a missing id replaced by the airport's name).
  std::string DefaultTitle() const;
  // "Zurich to Basel - Aircraft: Cessna 172 - FlightLevel: 65", the level rounded up.
  std::string DefaultDescription() const;

  // A list's items from the top: indexes into its side's runways of the plan information.
  const std::vector<int>& Items(AtcList list) const;
  // Id, Head, Length and ILS of one runway of the list's side.
  std::array<std::string, 4> ColumnTexts(AtcList list, int runway) const;
  // The runway inserted at the top of the list.
  void InsertRunwayItem(AtcList list, int runway);
  // The list a list's move button moves into.
  static AtcList MoveTarget(AtcList source);
  // Every selected item (positions from the top), from the last to the first, taken out of
  // `source` and inserted at the top of its target. Positions outside the list are ignored.
  void MoveSelectedRunways(AtcList source, std::vector<int> selected);

  // OK: false (the dialog stays open) when the title or the description is empty once cut to
  // its limit and trailing blanks are removed. Otherwise the details are set: the runways of
  // the open lists from the last item to the first, and the aircraft type of the combo box's
  // selection (0 to 2).
  bool Accept(std::string_view title, std::string_view description, int typeSelection);
  const AtcDetails& Details() const { return m_details; }

 private:
  std::vector<int>& ItemsOf(AtcList list);
  const FlpxAirportInfo& SideOf(AtcList list) const;

  FlpxPlanInfo m_info;  // as the host gave it; the lists index its runway arrays
  double m_highestAltitude;
  std::array<std::vector<int>, 4> m_lists;
  AtcDetails m_details;
};

// Id text of the lists: a blank before an id of fewer than two digits, so " 9L" lines up with
// "27R".
std::string FormatRunwayId(std::string_view id);
// Column widths for a list's client width: Id a sixth, Head and Length a third of the rest
// each, ILS what remains.
std::array<int, 4> RunwayColumnWidths(int clientWidth);
// The runways of `items`, taken from the last item to the first out of `source`, as the
// runway array and count of `target`.
void CollectListRunways(const std::vector<int>& items, const FlpxAirportInfo& source, FlpxAirportInfo& target);
// Trailing blanks removed.
std::string TrimTrailingBlanks(std::string_view text);
