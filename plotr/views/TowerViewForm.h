#pragma once

// The Tower View dialog's one field without its window: the altitude in feet at which the
// simulator's tower view is placed.

#include <string_view>
#include <variant>

#include "plotr/plan/PlanDialogForms.h"

inline constexpr int kIdTowerAltitude = 8216;
inline constexpr int kTowerAltitudeHighest = 99999;

// The typed feet, or the refusal for the field.
std::variant<int, FieldError> ReadTowerAltitude(std::string_view text);
