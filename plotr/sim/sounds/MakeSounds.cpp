// Writes the module's three cues into the folder given on the command line.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>

#include "platform/sound/Wave.h"
#include "plotr/sim/SoundPlayer.h"

namespace {

constexpr uint32_t kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Note {
  double frequency;  // Hz; 0 = a pause
  double seconds;
};

// Sine notes with short fades, so no note clicks.
sound::Wave Render(std::initializer_list<Note> notes) {
  sound::Wave w;
  w.format = {1, 1, kRate, kRate * 2, 2, 16};
  for (const Note& n : notes) {
    const auto frames = static_cast<size_t>(n.seconds * kRate);
    const double fade = 0.01 * kRate;
    for (size_t i = 0; i < frames; ++i) {
      const double envelope = std::fmin(1.0, std::fmin(i / fade, (frames - i) / fade));
      const double s = n.frequency > 0 ? std::sin(2 * kPi * n.frequency * i / kRate) * envelope * 9000 : 0;
      const auto v = static_cast<int16_t>(s);
      w.data.push_back(static_cast<unsigned char>(v & 0xFF));
      w.data.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
    }
  }
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const bool ok =
      sound::SaveWave(folder / kSoundNextWaypointFile, Render({{1175, 0.08}, {0, 0.05}, {1175, 0.08}})) &&
      sound::SaveWave(folder / kSoundFlyPlanOnFile, Render({{660, 0.12}, {880, 0.18}})) &&
      sound::SaveWave(folder / kSoundFlyPlanOffFile, Render({{880, 0.12}, {660, 0.18}}));
  if (!ok) std::fprintf(stderr, "cannot write the sounds into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
