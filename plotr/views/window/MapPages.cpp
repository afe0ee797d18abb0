#include "plotr/views/window/MapPages.h"

#include <array>

namespace {

std::array<MapPageFactory, 3>& PageFactories() {
  static std::array<MapPageFactory, 3> factories;
  return factories;
}

}  // namespace

void RegisterMapPage(int tab, MapPageFactory factory) {
  if (tab >= 1 && tab <= 2) PageFactories()[static_cast<size_t>(tab)] = std::move(factory);
}

const MapPageFactory& MapPageFactoryOf(int tab) {
  static const MapPageFactory none;
  return tab >= 1 && tab <= 2 ? PageFactories()[static_cast<size_t>(tab)] : none;
}
