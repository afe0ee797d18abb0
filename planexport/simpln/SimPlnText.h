#pragma once

// The texts of the simulator's flight-plan files ("PLN"): positions as degrees and hundredths of
// minutes with the hemisphere letter, elevations with a sign and two decimals, the letter of
// each waypoint kind, and the default file name made of the two airport names.

#include <string>
#include <string_view>

// "N47* 26.98', " (the blank after the comma included). A longitude of exactly 180 degrees
// either way is written just west of the date line, as the simulator reads no E180.
std::string SimPlnCoordinate(double degrees, bool longitude);

// "+001416.00" for values from zero up, "-0012.50" below zero; no line end.
std::string SimPlnAltitude(double feet);

// The waypoint line's type letter for a plan record's kind; 0 for kinds that get no line
// (climb and descent points).
char SimPlnTypeLetter(char kind);

// "<departure> to <arrival>.PLN" from the code page 1252 airport names, every character the
// file system or the dialog would read as a separator or wildcard replaced by a blank,
// converted to UTF-8 for the dialog's path buffer.
std::string SimPlnDefaultName(std::string_view departureName, std::string_view arrivalName);

// A folder below the simulator root: the settings path cut three times at its last '/', then
// `name` after the then-last '/'. When a cut finds no '/' the path as cut so far stands in.
std::string SimPlnRootFolder(std::string_view settingsPath, std::string_view name);
