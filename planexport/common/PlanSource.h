#pragma once

// A module's view of the plan: the host's services from the module's import table, called on
// records the module zeroed and sized first. A missing service reads as a failed call. Records
// come from outside the module: their texts are read within their widths and their numbers
// clamped before they reach a format.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/flpx/Flpx.h"

class FlpxPlanSource {
 public:
  FlpxPlanSource(const FlpxImportTableRecord& imports, void* plan) : m_imports(imports), m_plan(plan) {}

  bool PlanInfo(FlpxPlanInfo& info) const;
  bool Waypoint(int move, FlpxWaypoint& waypoint) const;
  bool StartPosition(int move, FlpxStartPosition& position) const;
  // `path` holds kFlpxPathSize bytes; it may also be passed as `initialName`.
  bool SaveFileDialog(char* path, void* parent, const char* filter, const char* initialDir, const char* defaultExt,
                      const char* initialName) const;

 private:
  const FlpxImportTableRecord& m_imports;
  void* m_plan;
};

// A record's text field up to its terminator or its width.
template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n] != '\0') ++n;
  return std::string_view(field, n);
}

// Conversions of record numbers for integer formats: truncated toward zero, NaN gives 0, and
// values beyond the type's range give its nearest end.
unsigned TruncUnsigned(double value);
int TruncInt(double value);
// A runway count from a record, within 0 to 16.
int RunwayCount(const FlpxAirportInfo& airport);
