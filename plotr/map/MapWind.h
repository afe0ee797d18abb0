#pragma once

// What the map's wind indicator shows and how large it is, for any text measurer: the window
// control and the tests measure with their own fonts.

#include <functional>
#include <string>
#include <string_view>

#include "platform/gdi/Dc.h"

// "Wind: 005°/13" in code page 1252 (the degree sign is the byte 0xB0), C locale.
std::string FormatWindText(double speed, double direction);

// The indicator's fixed size: the text for direction 360 and speed 200 plus one average
// character and a pixel of border each side, whatever it shows now.
gdi::Size WindIndicatorSize(const std::function<gdi::Size(std::string_view)>& extent, int aveCharWidth);
