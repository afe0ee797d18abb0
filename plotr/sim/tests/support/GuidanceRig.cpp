#include "plotr/sim/tests/support/GuidanceRig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "navdb/Geodesy.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/DatabaseAccess.h"

namespace fs = std::filesystem;

namespace guidancetest {

Rig::Rig(int simVer, const simhost::AircraftStart& start, const std::string& extraSettings)
    : folder("guidance-" + std::to_string(reinterpret_cast<uintptr_t>(this))), host(simVer, start), block(&g_Settings) {
  std::ofstream(folder.ProgramCfg(), std::ios::binary)
      << "[Essential]\r\nSimVer=" << simVer << "\r\n[Settings]\r\nUseIndicatedAirSpeed=0\r\n" << extraSettings;
  CSettings& settings = g_Settings;
  settings.GetUseIndicatedAirSpeed(true);
  settings.GetUseSound(true);
  settings.GetMapBcIls(true);
  settings.GetAvionicsAutoMode2(true);
  for (int set = 0; set < 2; ++set) {
    if (set == 0) {
      settings.GetAvionicsAutoHead(true), settings.GetAvionicsAutoAlt(true), settings.GetAvionicsAutoSpeed(true);
      settings.GetAvionicsAutoNav1(true), settings.GetAvionicsAutoNav2(true), settings.GetAvionicsAutoAdf(true);
    } else {
      settings.GetAvionics2AutoHead(true), settings.GetAvionics2AutoAlt(true), settings.GetAvionics2AutoSpeed(true);
      settings.GetAvionics2AutoNav1(true), settings.GetAvionics2AutoNav2(true), settings.GetAvionics2AutoAdf(true);
    }
  }
  table.services = host.GetServices();
  block.SetImportTable(&table);
  PlanSimServices services;
  services.sim = &block;
  services.clock = &clock;
  services.settings = &g_Settings;
  services.frame = &frame;
  services.playCue = [this](int id) { cues.push_back(id); };
  plan = std::make_unique<CFlightPlanStatus>(services);
}

Rig::~Rig() { plan.reset(); }

void Rig::Tick() {
  host.Step(0.1);
  plan->OnTick(tick++);
  clock.Advance(100);
}

void Rig::ToNextGuidanceTick() {
  do {
    Tick();
  } while ((tick - 1) % 5 != 4);
}

void Rig::SetRoute(const std::vector<PlanPoint>& points, int cruiseAltitude) {
  DatabaseLease lease;
  CRoute route = *plan->GetCurrent();
  route.m_points.clear();
  for (const PlanPoint& p : points) route.AddPoint(p);
  route.m_cruise.altitude1 = cruiseAltitude;
  route.m_cruise.altitude2 = cruiseAltitude;
  plan->Clear();
  plan->Push(route);
  plan->Rebuild();
}

std::vector<simhost::LoggedEvent> Rig::TakeEvents() {
  std::vector<simhost::LoggedEvent> events = host.Events();
  host.ClearEvents();
  return events;
}

}  // namespace guidancetest
