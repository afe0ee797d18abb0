#pragma once

// The typed latitude or longitude of a user waypoint: a hemisphere letter, whole degrees, then
// either decimal minutes or whole minutes and decimal seconds, blanks between the parts and,
// where the caller allows them, a unit mark after each number (degree sign or asterisk,
// apostrophe, double quote). Texts are code page 1252; no locale takes part.

#include <string>
#include <string_view>

// What a coordinate field lets the user type (code page 1252; byte 0xB0 is the degree sign).
inline constexpr std::string_view kLatitudeCharacters = " .0123456789NnSs\xB0'";
inline constexpr std::string_view kLongitudeCharacters = " .0123456789EeWw\xB0'";

struct CoordinateParse {
  // -1 when the whole text is a coordinate, else the index of the byte where it stopped being
  // one (0 for an empty text).
  int position = 0;
  // Degrees, north and east positive; set only when position is -1.
  float value = 0;

  bool Valid() const { return position < 0; }
};

// North/south and 90 degrees for a latitude, east/west and 180 otherwise. Degrees are digits
// only; minutes and seconds digits with at most one decimal point. Minutes with a decimal point
// end the value, so "N45.5" is 45 degrees and half a minute.
CoordinateParse ParseCoordinateText(std::string_view text, bool latitude, bool symbols);

// A coordinate as a field shows it: degrees and minutes with two decimals, no unit marks
// ("N47 30.00", "W008 15.00").
std::string CoordinateFieldText(double value, bool latitude);
