#pragma once

// What the map view's source files share: the ids of the map's commands and the layer
// switches kept in the settings. Only the view's own files include this.

#include <chrono>
#include <cstdint>

namespace scenview {

constexpr int kFlyTo = 32790;
constexpr int kMoveAircraft = 32792;
constexpr int kTowerView = 32793;
constexpr int kToPlan = 32794;
constexpr int kHolding = 32795;
constexpr int kCopy = 32796;
constexpr int kCenter = 32797;
constexpr int kZoomNormal = 32798;
constexpr int kZoomIn = 32799;
constexpr int kZoomOut = 32800;
constexpr int kRoundWorld = 32817;
constexpr int kPlanWaypointsOnly = 32819;
constexpr int kShowAircraft = 32820;
constexpr int kFollowAircraft = 32821;
constexpr int kShowPlayers = 32822;
constexpr int kUndo = 57643;
constexpr int kRedo = 57644;

inline uint64_t NowMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// The setting behind a layer toggle pair, and its write (the keyed ones go to the profile).
bool SettingOfPair(int pair);
void WritePair(int pair, bool value);

}  // namespace scenview
