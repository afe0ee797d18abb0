#include "plotr/core/window/PaneRegistry.h"

#include <array>

namespace {

constexpr size_t kSlots = static_cast<size_t>(PaneSlot::Count);

std::array<PaneFactory, kSlots>& Factories() {
  static std::array<PaneFactory, kSlots> factories;
  return factories;
}

std::array<PanePrinter, kSlots>& Printers() {
  static std::array<PanePrinter, kSlots> printers;
  return printers;
}

}  // namespace

void RegisterPane(PaneSlot slot, PaneFactory factory) { Factories()[static_cast<size_t>(slot)] = std::move(factory); }

const PaneFactory& PaneFactoryOf(PaneSlot slot) { return Factories()[static_cast<size_t>(slot)]; }

void RegisterPanePrinter(PaneSlot slot, PanePrinter printer) { Printers()[static_cast<size_t>(slot)] = std::move(printer); }

bool PrintPane(PaneSlot slot, wxWindow* pane, IPlotrDocument& document, bool preview) {
  const PanePrinter& printer = Printers()[static_cast<size_t>(slot)];
  return printer && pane != nullptr && printer(pane, document, preview);
}

const char* PaneName(PaneSlot slot) {
  switch (slot) {
    case PaneSlot::Search: return "Search";
    case PaneSlot::PlanTable: return "Flightplan";
    case PaneSlot::Pilot1: return "Avionics 1";
    case PaneSlot::Pilot2: return "Avionics 2";
    case PaneSlot::Map: return "Map";
    case PaneSlot::Count: break;
  }
  return "";
}
