#pragma once
// One audio output that mixes any number of loaded sounds. Sounds are converted to the device's
// format when they are loaded, so the mixer only adds samples.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound/Wave.h"

namespace sound {

class Device;

// A loaded sound and its play position. Made by Device::CreateVoice; the device must outlive it.
class Voice {
 public:
  // Plays from the current position; at the end it stops and rewinds unless looping.
  void Play(bool loop);
  void Stop(bool rewind);
  bool IsPlaying() const;
  // Position in sample frames of the device format.
  size_t Position() const;
  size_t Frames() const { return m_samples.size() / 2; }

 private:
  friend class Device;
  explicit Voice(Device* device) : m_device(device) {}

  Device* m_device;
  std::vector<int16_t> m_samples;  // interleaved stereo
  size_t m_position = 0;           // in samples, even
  bool m_playing = false;
  bool m_loop = false;
};

class Device {
 public:
  // Null, with the reason in `error` when given, when no audio output can be opened; callers
  // then play nothing. SDL_AUDIODRIVER chooses the driver ("dummy" and "disk" for tests).
  static std::unique_ptr<Device> Open(std::string* error = nullptr);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // Null when the wave cannot be converted to the device format.
  std::shared_ptr<Voice> CreateVoice(const Wave& wave);
  // Stops mixing the voice; it stays usable only until it is released.
  void DestroyVoice(const std::shared_ptr<Voice>& voice);

  int FramesPerSecond() const { return m_rate; }

 private:
  friend class Voice;
  Device() = default;
  static void Mix(void* self, uint8_t* stream, int length);

  uint32_t m_id = 0;
  int m_rate = 0;
  std::vector<std::shared_ptr<Voice>> m_voices;
};

}  // namespace sound
