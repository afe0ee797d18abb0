#include "plotr/sim/SoundBuffer.h"

#include "platform/sound/Device.h"
#include "platform/sound/Wave.h"

CSoundBuffer::~CSoundBuffer() { Free(); }

bool CSoundBuffer::Load(sound::Device* device, const std::filesystem::path& path) {
  Free();
  if (device == nullptr) return false;
  const auto wave = sound::LoadWave(path);
  if (!wave) return false;
  m_voice = device->CreateVoice(*wave);
  if (!m_voice) return false;
  m_device = device;
  m_size = static_cast<uint32_t>(wave->data.size());
  return true;
}

void CSoundBuffer::Free() {
  if (m_voice) {
    m_voice->Stop(false);
    m_device->DestroyVoice(m_voice);
  }
  m_voice.reset();
  m_device = nullptr;
  m_size = 0;
}

bool CSoundBuffer::Play(bool loop) {
  if (!m_voice) return false;
  if (m_voice->IsPlaying()) return true;
  m_voice->Play(loop);
  return true;
}

void CSoundBuffer::Stop(bool rewind) {
  if (m_voice) m_voice->Stop(rewind);
}

bool CSoundBuffer::IsPlaying() const { return m_voice && m_voice->IsPlaying(); }

size_t CSoundBuffer::GetPosition() const { return m_voice ? m_voice->Position() : 0; }
