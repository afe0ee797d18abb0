#include "platform/sound/Wave.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/win/AtomicFile.h"

namespace sound {
namespace {

class Reader {
 public:
  Reader(const unsigned char* bytes, size_t size) : m_bytes(bytes), m_size(size) {}
  size_t Remaining() const { return m_size - m_pos; }
  size_t Position() const { return m_pos; }
  bool Skip(uint64_t n) {
    if (n > Remaining()) return false;
    m_pos += static_cast<size_t>(n);
    return true;
  }
  bool Tag(char (&out)[5]) {
    if (Remaining() < 4) return false;
    std::memcpy(out, m_bytes + m_pos, 4);
    out[4] = '\0';
    m_pos += 4;
    return true;
  }
  bool U32(uint32_t& v) {
    if (Remaining() < 4) return false;
    v = m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8) | (m_bytes[m_pos + 2] << 16) |
        (static_cast<uint32_t>(m_bytes[m_pos + 3]) << 24);
    m_pos += 4;
    return true;
  }
  bool U16(uint16_t& v) {
    if (Remaining() < 2) return false;
    v = static_cast<uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
    m_pos += 2;
    return true;
  }
  const unsigned char* Here() const { return m_bytes + m_pos; }

 private:
  const unsigned char* m_bytes;
  size_t m_size;
  size_t m_pos = 0;
};

std::optional<Wave> Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return std::nullopt;
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

}  // namespace

std::optional<Wave> ParseWave(const unsigned char* bytes, size_t size, std::string* error) {
  if (bytes == nullptr) return Fail(error, "no data");
  Reader r(bytes, size);
  char tag[5];
  uint32_t riffSize = 0;
  if (!r.Tag(tag) || std::strcmp(tag, "RIFF") != 0 || !r.U32(riffSize)) return Fail(error, "not a RIFF file");
  if (riffSize > r.Remaining()) return Fail(error, "RIFF size exceeds the file");
  Reader body(r.Here(), riffSize);
  if (!body.Tag(tag) || std::strcmp(tag, "WAVE") != 0) return Fail(error, "not a WAVE file");

  std::optional<WaveFormat> format;
  while (body.Remaining() >= 8) {
    uint32_t chunkSize = 0;
    body.Tag(tag);
    body.U32(chunkSize);
    if (chunkSize > body.Remaining()) return Fail(error, "chunk size exceeds the file");
    Reader chunk(body.Here(), chunkSize);
    if (std::strcmp(tag, "fmt ") == 0) {
      WaveFormat f;
      if (!chunk.U16(f.formatTag) || !chunk.U16(f.channels) || !chunk.U32(f.samplesPerSecond) ||
          !chunk.U32(f.averageBytesPerSecond) || !chunk.U16(f.blockAlign) || !chunk.U16(f.bitsPerSample))
        return Fail(error, "format chunk too short");
      if (f.formatTag != 1) return Fail(error, "not PCM");
      if (f.channels < 1 || f.channels > 2 || (f.bitsPerSample != 8 && f.bitsPerSample != 16))
        return Fail(error, "unsupported sample layout");
      if (f.blockAlign != f.channels * f.bitsPerSample / 8) return Fail(error, "inconsistent block size");
      if (f.samplesPerSecond < 1000 || f.samplesPerSecond > 192000) return Fail(error, "unsupported rate");
      format = f;
    } else if (std::strcmp(tag, "data") == 0) {
      if (!format) return Fail(error, "data before format");
      Wave wave;
      wave.format = *format;
      const size_t whole = chunkSize - chunkSize % format->blockAlign;
      wave.data.assign(body.Here(), body.Here() + whole);
      return wave;
    }
    // Chunks are padded to even sizes; a missing pad byte at the very end is tolerated.
    body.Skip(chunkSize);
    if (chunkSize % 2 != 0 && body.Remaining() > 0) body.Skip(1);
  }
  return Fail(error, "no data chunk");
}

std::optional<Wave> LoadWave(const std::filesystem::path& file, std::string* error) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec) return Fail(error, "cannot open the file");
  if (size > kMaxWaveFileSize) return Fail(error, "file too large");
  std::ifstream in(file, std::ios::binary);
  if (!in) return Fail(error, "cannot open the file");
  std::vector<unsigned char> bytes(static_cast<size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<uint64_t>(in.gcount()) != size) return Fail(error, "short read");
  return ParseWave(bytes.data(), bytes.size(), error);
}

bool SaveWave(const std::filesystem::path& file, const Wave& wave) {
  const WaveFormat& f = wave.format;
  if (wave.data.size() > 0xFFFFFFFFu - 36) return false;
  std::string out = "RIFF";
  PutU32(out, static_cast<uint32_t>(36 + wave.data.size() + wave.data.size() % 2));
  out += "WAVEfmt ";
  PutU32(out, 16);
  PutU16(out, f.formatTag);
  PutU16(out, f.channels);
  PutU32(out, f.samplesPerSecond);
  PutU32(out, f.averageBytesPerSecond);
  PutU16(out, f.blockAlign);
  PutU16(out, f.bitsPerSample);
  out += "data";
  PutU32(out, static_cast<uint32_t>(wave.data.size()));
  out.append(wave.data.begin(), wave.data.end());
  if (wave.data.size() % 2 != 0) out.push_back('\0');

  return win::WriteFileAtomically(file, out);
}

}  // namespace sound
