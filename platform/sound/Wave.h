#pragma once
// RIFF WAVE files of PCM samples, read through a bounded parser.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sound {

struct WaveFormat {
  uint16_t formatTag = 1;  // 1 = PCM, the only kind accepted
  uint16_t channels = 0;
  uint32_t samplesPerSecond = 0;
  uint32_t averageBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

struct Wave {
  WaveFormat format;
  std::vector<unsigned char> data;  // the data chunk, whole blocks only
};

// Largest file accepted; the module's cues are a few kilobytes.
inline constexpr uint64_t kMaxWaveFileSize = 64u << 20;

// nullopt, with the reason in `error` when given, unless the bytes are a complete PCM WAVE file
// (8 or 16 bits, 1 or 2 channels) whose chunks all lie within the data.
std::optional<Wave> ParseWave(const unsigned char* bytes, size_t size, std::string* error = nullptr);
std::optional<Wave> LoadWave(const std::filesystem::path& file, std::string* error = nullptr);

// The file as a 44-byte header and the samples, written beside the target and renamed over it.
bool SaveWave(const std::filesystem::path& file, const Wave& wave);

}  // namespace sound
