#pragma once
// One cue held whole in memory, ready to play on the sound device.

#include <cstdint>
#include <filesystem>
#include <memory>

namespace sound {
class Device;
class Voice;
}  // namespace sound

class CSoundBuffer {
 public:
  CSoundBuffer() = default;
  ~CSoundBuffer();
  CSoundBuffer(const CSoundBuffer&) = delete;
  CSoundBuffer& operator=(const CSoundBuffer&) = delete;

  // Frees what it held, then reads the whole wave file. False for a missing or damaged file or
  // one the device cannot play; the buffer is then empty.
  bool Load(sound::Device* device, const std::filesystem::path& path);
  void Free();

  // True at once when already playing (the cue is not restarted); false when empty.
  bool Play(bool loop);
  void Stop(bool rewind);
  bool IsPlaying() const;
  // Frames played since the start of the sound.
  size_t GetPosition() const;
  // Bytes of wave data in the file.
  uint32_t GetSize() const { return m_size; }

 private:
  sound::Device* m_device = nullptr;
  std::shared_ptr<sound::Voice> m_voice;
  uint32_t m_size = 0;
};
