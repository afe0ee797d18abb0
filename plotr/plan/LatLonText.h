#pragma once

#include <string>

// One latitude or longitude as the user chose to see positions: hemisphere letter, then
// degrees (two digits for latitudes, three for longitudes) and either minutes and seconds or
// minutes with two decimals, with or without the degree, minute and second signs. The text is
// code page 1252 (the degree sign is the byte 0xB0).
std::string FormatLatLon(double value, bool isLatitude, bool seconds, bool symbols);
