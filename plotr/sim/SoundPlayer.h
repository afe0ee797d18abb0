#pragma once
// The module's short acoustic cues, loaded once and played by id.

#include <filesystem>
#include <map>
#include <memory>

#include "plotr/sim/SoundBuffer.h"

namespace sound {
class Device;
}

// Cue ids and the files in the bin folder they are loaded from.
inline constexpr int kSoundNextWaypoint = 1;
inline constexpr int kSoundFlyPlanOn = 2;
inline constexpr int kSoundFlyPlanOff = 3;
inline constexpr const char* kSoundNextWaypointFile = "nextwp.wav";
inline constexpr const char* kSoundFlyPlanOnFile = "flyfpon.wav";
inline constexpr const char* kSoundFlyPlanOffFile = "flyfpoff.wav";

class CSoundPlayer {
 public:
  CSoundPlayer();
  ~CSoundPlayer();
  CSoundPlayer(const CSoundPlayer&) = delete;
  CSoundPlayer& operator=(const CSoundPlayer&) = delete;

  // Opens the sound output. The window is accepted for symmetry with the frame that owns the
  // player; output does not depend on it. False (and nothing held) without a sound device.
  bool Init(void* window);
  void Shutdown();

  // False without a device, for an id in use (the first sound stays) or a file that fails.
  bool LoadSound(int id, const std::filesystem::path& waveFile);
  bool RemoveSound(int id);
  // Null without a device or for an unknown id, so callers skip the cue.
  CSoundBuffer* GetSound(int id);
  void StopAll();

 private:
  std::unique_ptr<sound::Device> m_device;
  std::map<int, std::unique_ptr<CSoundBuffer>> m_sounds;
};

extern CSoundPlayer g_SoundPlayer;
