#pragma once

// The eight private formats that carry plan points, map objects, SID/STAR procedures,
// frequencies and headings between the module's windows by drag and drop and the clipboard,
// with the text offered beside them. Their bytes are fixed: little-endian, packed records.
// Readers treat every length as hostile: a short or inconsistent block reads as absent.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "navdb/Payloads.h"
#include "plotr/plan/PlanPoint.h"
#include "plotr/plan/SidStarRecords.h"

class CRoute;
class CSceneryDatabase;
struct SimSnapshot;

namespace clip {

inline constexpr char kPlanPointArray[] = "Plotr Plan Point Array";
inline constexpr char kFullPoint[] = "Plotr Full Point";
inline constexpr char kSidStar[] = "Plotr Sid/Star";
inline constexpr char kComFrequencyArray[] = "Plotr COM Frequency Array";
inline constexpr char kComFrequency[] = "Plotr COM Frequency";
inline constexpr char kNavFrequency[] = "Plotr NAV Frequency";
inline constexpr char kAdfFrequency[] = "Plotr ADF Frequency";
inline constexpr char kHeading[] = "Plotr Heading";
// The plain text offered beside them (code page 1252, ending in one NUL).
inline constexpr char kText[] = "TEXT";

// The "Plotr Sid/Star" record is the catalogue reference the SID/STAR trees carry.
using SidStarRefClip = ::SidStarRefClip;

// The formats of one drag or copy, in the order offered: format name and bytes.
using ClipData = std::vector<std::pair<std::string, std::string>>;
// The bytes of a format in `data`, null when it is not offered.
const std::string* Find(const ClipData& data, std::string_view format);

// A COM frequency an avionics bar can tune: 118 <= f < 137 MHz on a 25 kHz channel whose
// hundredths digit is 0, 2, 5 or 7.
bool IsValidComFrequency(float mhz);
std::vector<FrequencyEntry> ValidComFrequencies(std::span<const FrequencyEntry> entries);
// The heading of a course as dragged: whole degrees 0 to 359.
float HeadingOfCourse(double course);

// ---- Writers ----------------------------------------------------------------------------------------
std::string WritePlanPoints(std::span<const PlanPoint> points);
std::string WriteFullPoint(const FullPoint& point);
std::string WriteSidStar(const SidStarRefClip& ref);
std::string WriteComArray(std::span<const FrequencyEntry> entries);
std::string WriteFloat(float value);
// Descriptions as text: each followed by `separator`, then one NUL.
std::string WriteText(std::span<const std::string> descriptions, std::string_view separator);

// ---- Readers ----------------------------------------------------------------------------------------
// Every record must be there in full and every position a real one; a count of zero or less
// gives no points.
std::optional<std::vector<PlanPoint>> ReadPlanPoints(std::string_view bytes);
std::optional<FullPoint> ReadFullPoint(std::string_view bytes);
// Only procedure references of a SID (0) or a STAR (1) are read; whether the indices are in
// the catalogue is for the reader to check against the catalogue as it is now.
std::optional<SidStarRefClip> ReadSidStar(std::string_view bytes);
// The count and count x 6 bytes must be there; a count of zero or less gives no entries.
std::optional<std::vector<FrequencyEntry>> ReadComArray(std::string_view bytes);
// Four bytes of a finite float.
std::optional<float> ReadFloat(std::string_view bytes);

// ---- What a source offers ---------------------------------------------------------------------------

// The frequency format of one object, by its kind; none when it has no frequency to offer.
// `fromPlanList`: an airport offers its array even with a count of 0 when its record has any
// frequency entry, as the plan list does. The caller holds a DatabaseLease.
std::optional<std::pair<std::string, std::string>> FrequencyFormat(const FullPoint& object, const CSceneryDatabase& db,
                                                                   bool mapBcIls, bool fromPlanList);

// A map or search drag of one object: "Plotr Full Point" (when the kind can stand in a plan and
// it resolves, or it is a user point), its description with "\r\n" and its frequency format.
ClipData ObjectDrag(const FullPoint& object, const CRoute& route, const SimSnapshot& sim, bool mapBcIls);
// A map or search copy of one object: a one-point array (when it resolves and is not an
// airspace, COM frequency or marker) and its description with `separator`.
ClipData ObjectCopy(const FullPoint& object, const CRoute& route, const SimSnapshot& sim, std::string_view separator);

// The string id of the status text while an object (or a new user fix) is dragged out of the
// map or the search list; 0 for none. The caller holds a DatabaseLease.
unsigned DragStatusId(const FullPoint& object, bool newFix, const CRoute& route, bool mapBcIls);

// ---- The drag in progress ---------------------------------------------------------------------------

// Drop targets see only the format names before the drop; the bytes of the drag in progress in
// this process wait here for their drag-over checks. The source sets them for the length of
// its drag.
class DragSession {
 public:
  explicit DragSession(ClipData data);
  ~DragSession();
  DragSession(const DragSession&) = delete;
  DragSession& operator=(const DragSession&) = delete;
  // The data of the drag in progress, null when none.
  static const ClipData* Current();

 private:
  ClipData m_data;
  const ClipData* m_previous;
};

}  // namespace clip
