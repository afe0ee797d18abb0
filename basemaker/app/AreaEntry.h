#pragma once

// One scenery area of the simulator as Basemaker lists it: the record the dialogs edit, the
// build worker copies and the area file collector reads. Kept apart from the list and the
// worker so the scenery compiler can include it alone.

#include <array>
#include <cstdint>
#include <string>

struct AreaEntry {
  bool active = true;
  // Priority read from the configuration; only used to order the list while reading it.
  int32_t layer = 0;
  std::string title;
  bool onCd = false;     // the path value began with "[": the area lives on a removable disc
  bool remote = false;   // configured under "Remote" (cached) rather than "Local" (used directly)
  bool required = false; // the dialogs refuse to switch off, edit or delete such an area
  std::string cdLabel;   // volume label of the disc, between "[" and "]"
  // Windows form: absolute, relative to the simulator root (".\..."), or for a disc area
  // relative to the disc's root.
  std::string path;
  // Carried through unchanged from the configuration.
  std::string group;
  std::string id;
  std::string groupId;
  std::string textureId;
  std::string exclude;  // exclusion rectangle and classes, read by the area compiler
  std::array<std::string, 10> flatten;

  // "[LABEL]folder" sets onCd, the label and the folder; any other value is the folder alone.
  // Only a "[" in the very first position opens a label, and the first "]" after it closes it.
  void ParsePathValue(const std::string& value);
  // The inverse; also the area's key in the previous database.
  std::string FormatPathValue() const;
};

struct KeyValuePair {
  std::string key;
  std::string value;
};
