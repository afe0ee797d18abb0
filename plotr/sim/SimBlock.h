#pragma once
// Plotr's one link to the running simulator: the named variables it shares with gauges, the
// host variables it reads, the snapshot everything else reads, and the events it sends.

#include <cstdint>

#include "platform/simapi/SimApi.h"
#include "platform/ui/Messages.h"
#include "plotr/core/UpdateHints.h"
#include "plotr/plan/SimSnapshot.h"

class CSettings;

// WM_APP_WIND_CHANGED and WM_APP_SIMDATA_CHANGED (UpdateHints.h) go to the main frame after an
// exchange.

// The module's version, published to gauges as CHARTWRIGHT_VERSION.
inline constexpr const char* kModuleVersionText = "4.70";

// Storage of the named variables; the host hands these addresses to every gauge that looks the
// names up, so the layout must not move while the module is loaded.
struct NamedVariableStorage {
  double version;
  int32_t fmcMode2, flyToPossible, flyTo, flyPlanPossible, flyPlan, holdingPossible;
  int32_t holdingState;
  unsigned char fmsData[40];
  unsigned char fmsWaypoints[3][160];
  unsigned char hsiData[45];
  int32_t fmcMode1On, fmcMode2On, fmcModeToggle;
  double flyToLatitude, flyToLongitude;
  int32_t flyToOn, flyToOff, flyToToggle;
  int32_t flyPlanWaypoint;  // -1: the row nearest to the aircraft
  int32_t flyPlanOn, flyPlanOff, flyPlanToggle, nextWaypoint, prevWaypoint;
  int32_t holdingOn, holdingOff, holdingToggle;
};

// The eight least significant decimal digits of value as packed BCD.
uint32_t EncodeBcdFrequency(uint32_t value);

class CSimBlock {
 public:
  static constexpr int kHostVariableCount = 59;
  static constexpr int kNamedVariableCount = 30;

  // Settings are read on every exchange (simulator version, indicated airspeed).
  explicit CSimBlock(CSettings* settings = nullptr);
  virtual ~CSimBlock();
  CSimBlock(const CSimBlock&) = delete;
  CSimBlock& operator=(const CSimBlock&) = delete;

  // The module's ImportTable, whose services the host fills in after loading the module.
  void SetImportTable(const simapi::ImportTable* table) { m_importTable = table; }
  void SetSettings(CSettings* settings) { m_settings = settings; }
  // Where the change messages go (the main frame); none: they are dropped.
  void SetMessageTarget(ui::IMessageTarget* target) { m_messageTarget = target; }

  // Runs on ticks with tick mod 5 == 1.
  void Exchange(uint32_t tick);
  // True when the compared fields of both snapshots are equal.
  bool Compare(const SimSnapshot& other) const;
  static bool Compare(const SimSnapshot& a, const SimSnapshot& b);

  const SimSnapshot& GetSnapshot() const { return m_snapshot; }
  NamedVariableStorage& GetNamedStorage() { return m_named; }

  // Host services. Events below simapi::kFirstEvent are never sent; a non-zero result is a
  // refusal (also when no host is attached).
  int SendSimEvent(uint32_t id, uint32_t value);
  // Storage of a named variable or null when nobody registered it.
  void* LookupNamedVariable(const char* name);
  // Copies into the host's global block; false when there is no block or the range leaves it.
  bool WriteSimGlobal(int offset, uint16_t count, const void* source);

 private:
  const simapi::Services* Services() const;
  void RegisterAll(const simapi::Services& s);
  SimSnapshot BuildSnapshot() const;

  NamedVariableStorage m_named{};
  SimSnapshot m_snapshot{};
  bool m_firstExchange = true;
  simapi::HostVariable m_host[kHostVariableCount];

  const simapi::ImportTable* m_importTable = nullptr;
  CSettings* m_settings = nullptr;
  ui::IMessageTarget* m_messageTarget = nullptr;
};

extern CSimBlock g_SimBlock;
