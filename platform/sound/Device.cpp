#include "platform/sound/Device.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace sound {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr uint16_t kBufferFrames = 1024;

class DeviceLock {
 public:
  explicit DeviceLock(uint32_t id) : m_id(id) { SDL_LockAudioDevice(m_id); }
  ~DeviceLock() { SDL_UnlockAudioDevice(m_id); }

 private:
  uint32_t m_id;
};

}  // namespace

void Voice::Play(bool loop) {
  DeviceLock lock(m_device->m_id);
  m_loop = loop;
  m_playing = !m_samples.empty();
}

void Voice::Stop(bool rewind) {
  DeviceLock lock(m_device->m_id);
  m_playing = false;
  if (rewind) m_position = 0;
}

bool Voice::IsPlaying() const {
  DeviceLock lock(m_device->m_id);
  return m_playing;
}

size_t Voice::Position() const {
  DeviceLock lock(m_device->m_id);
  return m_position / kChannels;
}

std::unique_ptr<Device> Device::Open(std::string* error) {
  // The host owns the process's signals.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  SDL_AudioSpec want{};
  want.freq = kRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = kBufferFrames;
  want.callback = &Device::Mix;
  std::unique_ptr<Device> device(new Device);
  want.userdata = device.get();
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware wants.
  device->m_id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device->m_id == 0) {
    if (error) *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  device->m_rate = kRate;
  SDL_PauseAudioDevice(device->m_id, 0);
  return device;
}

Device::~Device() {
  SDL_CloseAudioDevice(m_id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::shared_ptr<Voice> Device::CreateVoice(const Wave& wave) {
  const WaveFormat& f = wave.format;
  if (f.channels < 1 || f.channels > 2 || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
      f.samplesPerSecond == 0 || wave.data.size() > (size_t{1} << 30))
    return nullptr;
  const SDL_AudioFormat from = f.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, from, static_cast<Uint8>(f.channels), static_cast<int>(f.samplesPerSecond),
                        AUDIO_S16SYS, kChannels, kRate) < 0)
    return nullptr;
  const size_t whole = wave.data.size() - wave.data.size() % f.blockAlign;
  std::vector<uint8_t> buffer(whole * static_cast<size_t>(cvt.len_mult) + 16);
  std::memcpy(buffer.data(), wave.data.data(), whole);
  cvt.buf = buffer.data();
  cvt.len = static_cast<int>(whole);
  if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) return nullptr;
  const size_t bytes = cvt.needed ? static_cast<size_t>(cvt.len_cvt) : whole;

  std::shared_ptr<Voice> voice(new Voice(this));
  voice->m_samples.resize(bytes / sizeof(int16_t) / kChannels * kChannels);
  std::memcpy(voice->m_samples.data(), buffer.data(), voice->m_samples.size() * sizeof(int16_t));
  DeviceLock lock(m_id);
  m_voices.push_back(voice);
  return voice;
}

void Device::DestroyVoice(const std::shared_ptr<Voice>& voice) {
  DeviceLock lock(m_id);
  m_voices.erase(std::remove(m_voices.begin(), m_voices.end(), voice), m_voices.end());
}

void Device::Mix(void* self, uint8_t* stream, int length) {
  auto* device = static_cast<Device*>(self);
  auto* out = reinterpret_cast<int16_t*>(stream);
  const size_t count = static_cast<size_t>(length) / sizeof(int16_t);
  std::vector<int32_t> sum(count, 0);
  for (const auto& voice : device->m_voices) {
    Voice& v = *voice;
    size_t i = 0;
    while (v.m_playing && i < count) {
      const size_t n = std::min(count - i, v.m_samples.size() - v.m_position);
      for (size_t k = 0; k < n; ++k) sum[i + k] += v.m_samples[v.m_position + k];
      i += n;
      v.m_position += n;
      if (v.m_position >= v.m_samples.size()) {
        v.m_position = 0;
        if (!v.m_loop) v.m_playing = false;
      }
    }
  }
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
}

}  // namespace sound
