#include "plotr/views/TowerViewForm.h"

std::variant<int, FieldError> ReadTowerAltitude(std::string_view text) {
  const std::optional<int> feet = ParseDialogInt(text);
  if (!feet) return FieldError{kIdTowerAltitude, "Please enter an integer."};
  if (*feet < 0 || *feet > kTowerAltitudeHighest) {
    return FieldError{kIdTowerAltitude, IntegerRangeMessage(0, kTowerAltitudeHighest)};
  }
  return *feet;
}
