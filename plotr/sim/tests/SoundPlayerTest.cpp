#include "plotr/sim/SoundPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
const std::filesystem::path kBin = CW_SOUNDS_DIR;

class SoundPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

TEST_F(SoundPlayerTest, LoadsTheThreeCuesAndPlaysThemToTheEnd) {
  CSoundPlayer player;
  ASSERT_TRUE(player.Init(nullptr));
  ASSERT_TRUE(player.LoadSound(kSoundNextWaypoint, kBin / kSoundNextWaypointFile));
  ASSERT_TRUE(player.LoadSound(kSoundFlyPlanOn, kBin / kSoundFlyPlanOnFile));
  ASSERT_TRUE(player.LoadSound(kSoundFlyPlanOff, kBin / kSoundFlyPlanOffFile));
  CSoundBuffer* cue = player.GetSound(kSoundFlyPlanOn);
  ASSERT_NE(nullptr, cue);
  EXPECT_GT(cue->GetSize(), 0u);
  ASSERT_TRUE(cue->Play(false));
  EXPECT_TRUE(player.GetSound(kSoundFlyPlanOff)->Play(false)) << "cues mix";
  EXPECT_TRUE(cue->IsPlaying());
  for (int i = 0; i < 300 && cue->IsPlaying(); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(cue->IsPlaying());
}

TEST_F(SoundPlayerTest, PlayingACueThatPlaysDoesNotRestartIt) {
  CSoundPlayer player;
  ASSERT_TRUE(player.Init(nullptr));
  ASSERT_TRUE(player.LoadSound(1, kBin / kSoundFlyPlanOnFile));
  CSoundBuffer* cue = player.GetSound(1);
  ASSERT_TRUE(cue->Play(false));
  for (int i = 0; i < 300 && cue->GetPosition() == 0; ++i) std::this_thread::sleep_for(1ms);
  const size_t played = cue->GetPosition();
  ASSERT_GT(played, 0u);
  ASSERT_TRUE(cue->IsPlaying());
  EXPECT_TRUE(cue->Play(false));
  EXPECT_GE(cue->GetPosition(), played) << "a restart would have rewound";

  cue->Play(true);
  player.StopAll();
  EXPECT_FALSE(cue->IsPlaying());
}

TEST_F(SoundPlayerTest, AnIdInUseKeepsItsSoundAndBadFilesLoadNothing) {
  CSoundPlayer player;
  ASSERT_TRUE(player.Init(nullptr));
  ASSERT_TRUE(player.LoadSound(1, kBin / kSoundNextWaypointFile));
  CSoundBuffer* first = player.GetSound(1);
  EXPECT_FALSE(player.LoadSound(1, kBin / kSoundFlyPlanOnFile));
  EXPECT_EQ(first, player.GetSound(1));

  const auto bad = std::filesystem::temp_directory_path() / ("bad-cue-" + std::to_string(getpid()) + ".wav");
  std::ofstream(bad, std::ios::binary) << "RIFF\x10\x00\x00\x00WAVEfmt ";
  EXPECT_FALSE(player.LoadSound(2, bad));
  EXPECT_FALSE(player.LoadSound(3, kBin / "missing.wav"));
  std::filesystem::remove(bad);
  EXPECT_EQ(nullptr, player.GetSound(2));
  EXPECT_EQ(nullptr, player.GetSound(3));

  EXPECT_TRUE(player.RemoveSound(1));
  EXPECT_FALSE(player.RemoveSound(1));
  EXPECT_EQ(nullptr, player.GetSound(1));
}

TEST_F(SoundPlayerTest, WithoutASoundDeviceEveryCueIsSkipped) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  CSoundPlayer player;
  EXPECT_FALSE(player.Init(nullptr));
  EXPECT_FALSE(player.LoadSound(1, kBin / kSoundNextWaypointFile));
  EXPECT_EQ(nullptr, player.GetSound(1));
  player.StopAll();
}

}  // namespace
