#include "plotr/sim/SoundPlayer.h"

#include "platform/sound/Device.h"

CSoundPlayer g_SoundPlayer;

CSoundPlayer::CSoundPlayer() = default;

CSoundPlayer::~CSoundPlayer() { Shutdown(); }

bool CSoundPlayer::Init(void* /*window*/) {
  Shutdown();
  m_device = sound::Device::Open();
  if (!m_device) {
    Shutdown();
    return false;
  }
  return true;
}

void CSoundPlayer::Shutdown() {
  // Sounds first: they belong to the device.
  m_sounds.clear();
  m_device.reset();
}

bool CSoundPlayer::LoadSound(int id, const std::filesystem::path& waveFile) {
  if (!m_device || m_sounds.count(id) != 0) return false;
  auto buffer = std::make_unique<CSoundBuffer>();
  if (!buffer->Load(m_device.get(), waveFile)) return false;
  m_sounds.emplace(id, std::move(buffer));
  return true;
}

bool CSoundPlayer::RemoveSound(int id) { return m_sounds.erase(id) != 0; }

CSoundBuffer* CSoundPlayer::GetSound(int id) {
  if (!m_device) return nullptr;
  const auto it = m_sounds.find(id);
  return it == m_sounds.end() ? nullptr : it->second.get();
}

void CSoundPlayer::StopAll() {
  for (auto& [id, buffer] : m_sounds) buffer->Stop(true);
}
