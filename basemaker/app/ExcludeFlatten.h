#pragma once

// The rules of the Exclude/Flatten dialog: the syntax of the eleven texts of an area and what
// OK does with them. Positions are byte positions in the code page 1252 text, one per
// character, so the window selects exactly what they mark.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "basemaker/app/AreaEntry.h"

// What to select in a refused text: [start, end), both within the text.
struct TextSelection {
  int start = 0;
  int end = 0;
  bool operator==(const TextSelection&) const = default;
};

// Altitude (-2000..99999), then four points as latitude, longitude pairs; what follows the
// fourth point is not examined. The text must not end with ",".
bool ValidateFlatten(std::string_view text, TextSelection& selection);

// Two points (the corners of the excluded rectangle), then one or more of the keywords
// "objects", "vors", "ndbs" and "all". The text must not end with ",".
bool ValidateExclude(std::string_view text, TextSelection& selection);

// The eleven texts in the dialog's order: Flatten 0 to 9, then Exclude.
inline constexpr int kExcludeField = 10;
using ExcludeFlattenTexts = std::array<std::string, 11>;

ExcludeFlattenTexts ExcludeFlattenTextsOf(const AreaEntry& entry);
void StoreExcludeFlattenTexts(const ExcludeFlattenTexts& texts, AreaEntry& entry);

struct ExcludeFlattenError {
  int field = 0;            // index into the texts
  TextSelection selection;  // within the field's text as shown
  int messageId = 0;        // "Wrong Flatten." or "Wrong Exclude."
};

// OK of the dialog: checks the non-empty texts, Flatten before Exclude, and gives the first
// wrong one. When all are valid the texts are trimmed at both ends and nullopt is returned;
// otherwise they are left as they are.
std::optional<ExcludeFlattenError> AcceptExcludeFlatten(ExcludeFlattenTexts& texts);

// Entries take pasted line breaks, which would start new lines in the scenery configuration.
std::string WithoutLineBreaks(std::string_view text);
