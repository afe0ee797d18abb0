#include "basemaker/compiler/CompressedBgl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "basemaker/compiler/tests/support/CompressedBglWriter.h"

namespace {

using testbgl::LzBitWriter;
using testbgl::MakeCompressedBgl;

std::vector<uint8_t> Header(uint32_t size = 128) {
  std::vector<uint8_t> h(size);
  for (uint32_t i = 0; i < size; ++i) h[i] = static_cast<uint8_t>(i * 7 + 1);
  if (size == 168) {
    const uint32_t magic = kCbglLongHeaderMagic;
    std::memcpy(h.data() + 118, &magic, 4);
    for (size_t off : {54u, 156u, 160u, 164u}) std::memset(h.data() + off, 0, 4);
  }
  return h;
}

struct DecodeResult {
  int code;
  std::vector<uint8_t> body;
  std::vector<uint8_t> header;
};

DecodeResult Decode(const std::vector<uint8_t>& file, uint32_t headerSize = 128) {
  uint32_t size = 0;
  uint8_t* buffer = reinterpret_cast<uint8_t*>(1);
  DecodeResult r{DecodeCompressedBgl(file.data(), file.size(), &size, &buffer), {}, {}};
  if (r.code == kCbglOk) {
    r.header.assign(buffer, buffer + headerSize);
    r.body.assign(buffer + headerSize, buffer + size);
    EXPECT_EQ(0, FreeCompressedBgl(size, buffer));
  } else {
    EXPECT_EQ(nullptr, buffer);
  }
  return r;
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return {s.begin(), s.end()};
}

// Streams as (codes, unpacked size) -> (result, body); each row names what it guards.
struct StreamCase {
  const char* name;
  void (*codes)(LzBitWriter&);
  uint32_t unpacked;
  int expected;
  std::string body;
};

const StreamCase kStreams[] = {
    {"LiteralThenOverlappingMatchRepeatsTheByte",
     [](LzBitWriter& w) { w.Literal('a'); w.Match(1, 3); w.Marker(); }, 4, kCbglOk, "aaaa"},
    {"HighLiteralUsesTheOneOnePrefix",
     [](LzBitWriter& w) { w.Literal(0xC1); w.Marker(); }, 1, kCbglOk, "\xC1"},
    {"MarkerBeforeTheEndIsIgnoredWhenCodesFollow",
     [](LzBitWriter& w) { w.Literal('x'); w.Marker(); w.Literal('y'); w.Marker(); }, 2, kCbglOk, "xy"},
    {"MarkerAtExactCountEndsEvenWithTrailingCodes",
     [](LzBitWriter& w) { w.Literal('x'); w.Marker(); w.Literal('y'); }, 1, kCbglOk, "x"},
    {"StreamEndingAfterEarlyMarkerIsShort",
     [](LzBitWriter& w) { w.Literal('a'); w.Literal('b'); w.Marker(); }, 3, kCbglCountMismatch, ""},
    {"StreamEndingInsideACodeIsBroken",
     [](LzBitWriter& w) { w.Literal('a'); w.Bits(1, 1); w.Bits(0, 1); w.Bits(0, 1); }, 4, kCbglDecodeError, ""},
    {"StreamWithoutAnyMarkerIsBroken",
     [](LzBitWriter& w) { w.Literal('a'); w.Literal('b'); w.Literal('c'); w.Literal('d'); w.Literal('e'); w.Literal('f'); w.Literal('g'); w.Literal('h'); }, 8, kCbglDecodeError, ""},
    {"DistanceZeroIsBroken",
     [](LzBitWriter& w) { w.Literal('a'); w.Match(0, 3); w.Marker(); }, 4, kCbglDecodeError, ""},
    {"DistanceBeforeTheStartIsBroken",
     [](LzBitWriter& w) { w.Literal('a'); w.Match(2, 3); w.Marker(); }, 4, kCbglDecodeError, ""},
    {"WritingPastTheStatedSizeIsBroken",
     [](LzBitWriter& w) { w.Literal('a'); w.Match(1, 5); w.Marker(); }, 4, kCbglDecodeError, ""},
    {"LiteralPastTheStatedSizeIsBroken",
     [](LzBitWriter& w) { w.Literal('a'); w.Literal('b'); w.Marker(); }, 1, kCbglDecodeError, ""},
    {"EndlessLengthPrefixIsBroken",
     [](LzBitWriter& w) { w.Literal('a'); w.Bits(0b001, 3); w.Bits(1, 6); for (int i = 0; i < 40; ++i) w.Bits(0, 1); w.Bits(1, 1); w.Marker(); }, 4, kCbglDecodeError, ""},
    {"MatchesWithWiderDistanceAndLengthCodes",
     [](LzBitWriter& w) {
       for (int i = 0; i < 70; ++i) w.Literal(static_cast<uint8_t>('A' + i % 26));
       w.Match(65, 9);     // 8-bit form
       w.Match(70, 100);   // overlapping copy through a longer length code
       w.Marker();
     }, 179, kCbglOk, ""},
};

void PrintTo(const StreamCase& c, std::ostream* os) {
  *os << c.name;
}

class StreamTable : public testing::TestWithParam<StreamCase> {};

TEST_P(StreamTable, DecodesAsExpected) {
  const StreamCase& c = GetParam();
  LzBitWriter w;
  c.codes(w);
  const DecodeResult r = Decode(MakeCompressedBgl(Header(), c.unpacked, w.Finish()));
  ASSERT_EQ(c.expected, r.code);
  if (c.expected == kCbglOk) {
    ASSERT_EQ(c.unpacked, r.body.size());
    if (!c.body.empty()) {
      EXPECT_EQ(Bytes(c.body), r.body);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Decoder, StreamTable, testing::ValuesIn(kStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CompressedBgl, ReturnedHeaderIsTheFileHeaderWithWord122Cleared) {
  LzBitWriter w;
  w.Literal('z');
  w.Marker();
  for (uint32_t h : {128u, 168u}) {
    const std::vector<uint8_t> header = Header(h);
    const DecodeResult r = Decode(MakeCompressedBgl(header, 1, w.Finish()), h);
    ASSERT_EQ(kCbglOk, r.code) << h;
    std::vector<uint8_t> expected = header;
    std::memset(expected.data() + 122, 0, 4);
    EXPECT_EQ(expected, r.header) << h;
    EXPECT_EQ(Bytes("z"), r.body) << h;
  }
}

TEST(CompressedBgl, RejectsFilesThatAreNotCompressedOrAreAbsurd) {
  LzBitWriter w;
  w.Literal('z');
  w.Marker();
  const std::vector<uint8_t> good = MakeCompressedBgl(Header(), 1, w.Finish());

  struct Row {
    const char* name;
    std::vector<uint8_t> file;
    int expected;
  };
  std::vector<Row> rows;
  {
    std::vector<uint8_t> f = MakeCompressedBgl(Header(168), 1, w.Finish());
    f[156] = 1;
    rows.push_back({"LongHeaderWithMarkerWord156", f, kCbglNotCompressed});
    f[156] = 0;
    f[54] = 1;
    rows.push_back({"LongHeaderWithMarkerWord54", f, kCbglNotCompressed});
  }
  {
    std::vector<uint8_t> f = good;
    f[128] ^= 0xFF;
    rows.push_back({"NoBlockMagic", f, kCbglNotCompressed});
  }
  rows.push_back({"ShorterThanHeaderAndBlockHeader",
                  std::vector<uint8_t>(good.begin(), good.begin() + 147), kCbglNotCompressed});
  rows.push_back({"EmptyStream", std::vector<uint8_t>(good.begin(), good.begin() + 148), kCbglDecodeError});
  rows.push_back({"AbsurdUnpackedSize", MakeCompressedBgl(Header(), 0xFFFFFFF0u, w.Finish()), kCbglNoMemory});
  rows.push_back({"CheckWordSet", MakeCompressedBgl(Header(), 1, w.Finish(), 7), kCbglCheckMismatch});
  {
    std::vector<uint8_t> f = good;
    f[148] = 'X';
    rows.push_back({"StreamWithoutJM", f, kCbglDecodeError});
  }
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, Decode(row.file).code) << row.name;
  }
}

TEST(CompressedBgl, LoadsFromDiskAndReportsFileErrors) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "cw_cbgl_test";
  std::filesystem::create_directories(dir);
  std::vector<uint8_t> body(20000);
  std::mt19937 rng(5);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i % 97 < 50 ? rng() % 4 : i % 13);
  const std::vector<uint8_t> file =
      MakeCompressedBgl(Header(), static_cast<uint32_t>(body.size()), testbgl::CompressBody(body));
  const std::string path = (dir / "a.bgl").string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  uint32_t size = 0;
  uint8_t* buffer = nullptr;
  ASSERT_EQ(kCbglOk, LoadCompressedBglFile(path.c_str(), &size, &buffer));
  ASSERT_EQ(128 + body.size(), size);
  EXPECT_EQ(0, std::memcmp(buffer + 128, body.data(), body.size()));
  EXPECT_EQ(0, FreeCompressedBgl(size, buffer));
  EXPECT_EQ(1, FreeCompressedBgl(0, nullptr));

  EXPECT_EQ(kCbglFileError, LoadCompressedBglFile((dir / "missing.bgl").c_str(), &size, &buffer));
  EXPECT_EQ(nullptr, buffer);
  EXPECT_EQ(kCbglBadOutput, LoadCompressedBglFile(path.c_str(), nullptr, &buffer));
  std::filesystem::remove_all(dir);
}

}  // namespace
