#include "platform/sound/Wave.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace sound {
namespace {

void U32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}
void U16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}

std::string Fmt(uint16_t tag = 1, uint16_t channels = 1, uint16_t bits = 16, uint16_t align = 2) {
  std::string s = "fmt ";
  U32(s, 16);
  U16(s, tag);
  U16(s, channels);
  U32(s, 8000);
  U32(s, 8000u * align);
  U16(s, align);
  U16(s, bits);
  return s;
}

std::string Chunk(const char* tag, const std::string& body, uint32_t claimed = 0xFFFFFFFF) {
  std::string s = tag;
  U32(s, claimed == 0xFFFFFFFF ? static_cast<uint32_t>(body.size()) : claimed);
  return s + body;
}

std::string Riff(const std::string& body, uint32_t claimed = 0xFFFFFFFF) {
  std::string s = "RIFF";
  U32(s, claimed == 0xFFFFFFFF ? static_cast<uint32_t>(body.size() + 4) : claimed);
  return s + "WAVE" + body;
}

std::optional<Wave> Parse(const std::string& bytes, std::string* error = nullptr) {
  return ParseWave(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), error);
}

TEST(WaveTest, ReadsPcmAndSkipsOtherChunks) {
  const std::string samples("\x01\x02\x03\x04\x05", 5);  // two frames and a stray byte
  const auto wave = Parse(Riff(Chunk("LIST", "abc") + std::string(1, '\0') + Fmt() + Chunk("data", samples)));
  ASSERT_TRUE(wave);
  EXPECT_EQ(1, wave->format.channels);
  EXPECT_EQ(16, wave->format.bitsPerSample);
  EXPECT_EQ(8000u, wave->format.samplesPerSecond);
  EXPECT_EQ(4u, wave->data.size()) << "only whole frames";
}

TEST(WaveTest, RejectsDamagedFiles) {
  const std::string data = Chunk("data", std::string(8, '\x10'));
  struct Case { const char* name; std::string bytes; } cases[] = {
      {"empty", ""},
      {"not RIFF", "RIFX" + Riff(Fmt() + data).substr(4)},
      {"not WAVE", [&] { auto s = Riff(Fmt() + data); s[8] = 'X'; return s; }()},
      {"RIFF size beyond the file", Riff(Fmt() + data, 1000)},
      {"data size beyond the file", Riff(Fmt() + Chunk("data", std::string(8, 'x'), 9))},
      {"format size beyond the file", Riff(Chunk("fmt ", Fmt().substr(8), 4000))},
      {"format too short", Riff(Chunk("fmt ", std::string(10, '\0')) + data)},
      {"data before format", Riff(data + Fmt())},
      {"not PCM", Riff(Fmt(3) + data)},
      {"24-bit samples", Riff(Fmt(1, 1, 24, 3) + data)},
      {"three channels", Riff(Fmt(1, 3, 16, 6) + data)},
      {"block size disagrees", Riff(Fmt(1, 2, 16, 2) + data)},
      {"no data chunk", Riff(Fmt())},
      {"truncated chunk header", Riff(Fmt() + "dat")},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.bytes, &error)) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
}

TEST(WaveTest, SavedFileLoadsBackAndMissingFilesFail) {
  const auto folder = std::filesystem::temp_directory_path() / ("wavetest-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  Wave wave;
  wave.format = {1, 2, 22050, 22050 * 4, 4, 16};
  for (int i = 0; i < 400; ++i) wave.data.push_back(static_cast<unsigned char>(i * 7));
  ASSERT_TRUE(SaveWave(folder / "cue.wav", wave));
  const auto back = LoadWave(folder / "cue.wav");
  ASSERT_TRUE(back);
  EXPECT_EQ(wave.data, back->data);
  EXPECT_EQ(22050u, back->format.samplesPerSecond);
  std::string error;
  EXPECT_FALSE(LoadWave(folder / "missing.wav", &error));
  EXPECT_FALSE(error.empty());
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace sound
