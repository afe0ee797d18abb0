#include "platform/sound/Device.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace sound {
namespace {

using namespace std::chrono_literals;

// A 16-bit mono tone of the given length.
Wave Tone(double seconds, uint32_t rate = 22050) {
  Wave w;
  w.format = {1, 1, rate, rate * 2, 2, 16};
  const auto frames = static_cast<size_t>(seconds * rate);
  for (size_t i = 0; i < frames; ++i) {
    const auto s = static_cast<int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 880 / rate));
    w.data.push_back(static_cast<unsigned char>(s & 0xFF));
    w.data.push_back(static_cast<unsigned char>((s >> 8) & 0xFF));
  }
  return w;
}

template <typename F>
bool WaitFor(F condition, std::chrono::milliseconds limit) {
  for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
    if (condition()) return true;
    std::this_thread::sleep_for(5ms);
  }
  return condition();
}

TEST(DeviceTest, PlaysToTheEndThenRewinds) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto device = Device::Open();
  ASSERT_TRUE(device);
  auto voice = device->CreateVoice(Tone(0.1));
  ASSERT_TRUE(voice);
  EXPECT_EQ(4410u, voice->Frames()) << "converted to the device rate";
  EXPECT_FALSE(voice->IsPlaying());
  voice->Play(false);
  EXPECT_TRUE(voice->IsPlaying());
  EXPECT_TRUE(WaitFor([&] { return !voice->IsPlaying(); }, 3000ms));
  EXPECT_EQ(0u, voice->Position());
}

TEST(DeviceTest, LoopsUntilStoppedAndStopCanKeepThePosition) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto device = Device::Open();
  ASSERT_TRUE(device);
  auto voice = device->CreateVoice(Tone(0.05));
  ASSERT_TRUE(voice);
  voice->Play(true);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(voice->IsPlaying());
  voice->Stop(false);
  EXPECT_FALSE(voice->IsPlaying());
  const size_t kept = voice->Position();
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(kept, voice->Position());
  voice->Stop(true);
  EXPECT_EQ(0u, voice->Position());
  device->DestroyVoice(voice);
}

TEST(DeviceTest, DiskDriverReceivesTheMixedSamples) {
  const auto file = std::filesystem::temp_directory_path() / ("sdl-disk-" + std::to_string(getpid()) + ".raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  {
    auto device = Device::Open();
    ASSERT_TRUE(device);
    auto voice = device->CreateVoice(Tone(0.1));
    ASSERT_TRUE(voice);
    voice->Play(false);
    EXPECT_TRUE(WaitFor([&] { return !voice->IsPlaying(); }, 3000ms));
  }
  std::ifstream in(file, std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(file);
  EXPECT_NE(std::string::npos, raw.find_first_not_of('\0')) << "the tone reached the output";
}

TEST(DeviceTest, NoDriverMeansNoDevice) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  std::string error;
  EXPECT_FALSE(Device::Open(&error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace sound
