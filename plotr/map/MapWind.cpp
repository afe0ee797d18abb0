#include "plotr/map/MapWind.h"

#include <cstdio>

#include "platform/win/CLocale.h"

std::string FormatWindText(double speed, double direction) {
  win::CLocaleScope cLocale;
  char text[64];
  std::snprintf(text, sizeof text, "Wind: %03.0f\xB0/%1.0f", direction, speed);
  return text;
}

gdi::Size WindIndicatorSize(const std::function<gdi::Size(std::string_view)>& extent, int aveCharWidth) {
  const gdi::Size widest = extent(FormatWindText(200, 360));
  return {widest.cx + aveCharWidth + 2, widest.cy + 2};
}
