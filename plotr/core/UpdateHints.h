#pragma once

// The document's update hints: the bits it broadcasts to its views and the plain objects some
// hints carry. No windows here, so the map engine and the plan model can name them.

#include <cstdint>

enum : uint32_t {
  kHintInitial = 0x0,          // a view's first update: every branch that tests for 0
  kHintPlanContents = 0x1,
  kHintRows = 0x2,
  kHintSelectNewPoints = 0x4,  // select the plan points whose new-point byte is set
  kHintDisplayOptions = 0x8,
  kHintPlanChanged = 0x11,     // plan changed, selection dropped
  kHintPlanChangedKeepSelection = 0x12,
  kHintPlanGeometry = 0x10,
  kHintMapParameters = 0x20,
  kHintCenter = 0x40,          // carries a CCenterHint
  kHintZoom = 0x80,            // carries a CZoomHint
  kHintDatabaseReloaded = 0x100,
  kHintSimulatorData = 0x200,
  kHintGuidance = 0x400,
  kHintWind = 0x800,           // the wind at the aircraft changed
  kHintPeriodic = 0x1000,
  kHintSidStarCatalogue = 0x2000,
  kHintSidStarRow = 0x4000,
  kHintSidStarDescription = 0x8000,
};

// Hint 0x80: every map view pushes this zoom at this centre, or pops its zoom stack.
struct CZoomHint {
  uint8_t push = 1;  // 1 push, 0 pop
  int32_t zoom = 1;
  double latitude = 0;
  double longitude = 0;
};

// Hint 0x40: every map view moves its centre (the current zoom level only, or all of them).
struct CCenterHint {
  double latitude = 0;
  double longitude = 0;
  uint8_t allEntries = 0;
};

// Hint 0x4000: the row selected in the SID/STAR leg list, -1 for none.
struct CSidStarRowHint {
  int32_t row = -1;
};

// Hint 0x8000: the text the SID/STAR description shows (code page 1252); null shows nothing.
struct CSidStarHint {
  const char* text = nullptr;
};

// A hint as the document sends it: the bits and, for the bits that carry one, the object
// (CCenterHint for 0x40, CZoomHint for 0x80, the SID/STAR hints for 0x4000 and 0x8000).
struct UpdateHint {
  uint32_t bits = 0;
  const void* object = nullptr;
};

// Private window messages of the module (the framework's private base 0x8000 plus offset).
inline constexpr uint32_t WM_APP_WIND_CHANGED = 0x8200;
inline constexpr uint32_t WM_APP_SIMDATA_CHANGED = 0x8201;
inline constexpr uint32_t WM_APP_GUIDANCE_CHANGED = 0x8202;
inline constexpr uint32_t WM_APP_MAP_READY = 0x8203;
inline constexpr uint32_t WM_APP_STATUS_TEXT = 0x8204;
inline constexpr uint32_t WM_APP_TRANSFER_PROGRESS = 0x8205;
