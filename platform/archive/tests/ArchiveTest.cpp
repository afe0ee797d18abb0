#include "platform/archive/Archive.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using archive::Archive;
using archive::ArchiveException;
using archive::MemoryFile;
using Bytes = std::vector<uint8_t>;

Bytes Stored(const std::function<void(Archive&)>& write) {
  MemoryFile file;
  Archive ar(file, Archive::store);
  write(ar);
  return file.Bytes();
}

// The cause of the ArchiveException that `read` throws over `bytes`, or -1 when none.
int CauseOf(const Bytes& bytes, const std::function<void(Archive&)>& read) {
  MemoryFile file(bytes, "Plan\\Hostile.cwp");
  Archive ar(file, Archive::load);
  try {
    read(ar);
  } catch (const ArchiveException& e) {
    EXPECT_EQ(e.fileName, "Plan\\Hostile.cwp");
    return e.cause;
  }
  return -1;
}

TEST(Archive, NumbersAreLittleEndianAndRoundTrip) {
  Bytes bytes = Stored([](Archive& ar) {
    ar << uint8_t{0xAB} << uint16_t{0x1234} << uint32_t{0xDEADBEEF} << int32_t{-2};
    ar << 1.5f << -0.25;
  });
  EXPECT_EQ(bytes, (Bytes{0xAB, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE, 0xFE, 0xFF, 0xFF, 0xFF,
                          0x00, 0x00, 0xC0, 0x3F, 0, 0, 0, 0, 0, 0, 0xD0, 0xBF}));
  MemoryFile file(bytes);
  Archive ar(file, Archive::load);
  EXPECT_EQ(ar.ReadU8(), 0xAB);
  EXPECT_EQ(ar.ReadU16(), 0x1234);
  EXPECT_EQ(ar.ReadU32(), 0xDEADBEEFu);
  EXPECT_EQ(ar.ReadI32(), -2);
  EXPECT_EQ(ar.ReadFloat(), 1.5f);
  EXPECT_EQ(ar.ReadDouble(), -0.25);
  EXPECT_EQ(ar.Remaining(), 0u);
}

TEST(Archive, CountsEscapeToThirtyTwoBits) {
  struct Case {
    uint32_t count;
    Bytes encoded;
  } cases[] = {
      {0, {0, 0}},
      {0xFFFE, {0xFE, 0xFF}},
      {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
      {0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Stored([&](Archive& ar) { ar.WriteCount(c.count); }), c.encoded) << c.count;
    MemoryFile file(c.encoded);
    Archive ar(file, Archive::load);
    EXPECT_EQ(ar.ReadCount(), c.count);
  }
}

TEST(Archive, StringLengthsEscapeTwice) {
  struct Case {
    size_t length;
    Bytes prefix;
  } cases[] = {
      {0, {0}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {0xFFFD, {0xFF, 0xFD, 0xFF}},
      {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}},  // 0xFFFE as a 16-bit length means UTF-16
      {0x10000, {0xFF, 0xFF, 0xFF, 0, 0, 1, 0}},
  };
  for (const auto& c : cases) {
    std::string text(c.length, '\xE9');
    Bytes bytes = Stored([&](Archive& ar) { ar.WriteString(text); });
    ASSERT_EQ(bytes.size(), c.prefix.size() + c.length) << c.length;
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + c.prefix.size()), c.prefix) << c.length;
    MemoryFile file(bytes);
    Archive ar(file, Archive::load);
    EXPECT_EQ(ar.ReadString(), text) << c.length;
  }
}

TEST(Archive, ReadsUtf16StringsAsCodePage1252) {
  // "A", euro sign, a CJK character, a surrogate pair.
  Bytes bytes{0xFF, 0xFE, 0xFF, 5, 'A', 0, 0xAC, 0x20, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE, 'z'};
  MemoryFile file(bytes);
  Archive ar(file, Archive::load);
  EXPECT_EQ(ar.ReadString(), "A\x80??");
  EXPECT_EQ(ar.ReadU8(), 'z');
}

TEST(Archive, HostileLengthsAndShortFilesThrowWithCauseAndName) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::function<void(Archive&)> read;
    int cause;
  } cases[] = {
      {"emptyFile", {}, [](Archive& ar) { ar.ReadU8(); }, ArchiveException::endOfFile},
      {"halfAnInteger", {1, 2}, [](Archive& ar) { ar.ReadU32(); }, ArchiveException::endOfFile},
      {"stringOf4GiB", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},
       [](Archive& ar) { ar.ReadString(); }, ArchiveException::endOfFile},
      {"stringOneShort", {3, 'a', 'b'}, [](Archive& ar) { ar.ReadString(); }, ArchiveException::endOfFile},
      {"utf16OddTail", {0xFF, 0xFE, 0xFF, 2, 'a', 0, 'b'}, [](Archive& ar) { ar.ReadString(); },
       ArchiveException::endOfFile},
      {"countBeyondTheFile", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 1, 2, 3, 4},
       [](Archive& ar) { ar.ReadCount(4); }, ArchiveException::endOfFile},
      {"countThatFits", {2, 0, 1, 2, 3, 4, 5, 6, 7, 8}, [](Archive& ar) { ar.ReadCount(4); }, -1},
      {"writeWhileLoading", {}, [](Archive& ar) { ar.WriteU8(1); }, ArchiveException::readOnly},
  };
  for (const auto& c : cases) EXPECT_EQ(CauseOf(c.bytes, c.read), c.cause) << c.name;

  MemoryFile file;
  Archive ar(file, Archive::store, "Out.cwp");
  try {
    ar.ReadU8();
    ADD_FAILURE() << "read while storing";
  } catch (const ArchiveException& e) {
    EXPECT_EQ(e.cause, ArchiveException::writeOnly);
    EXPECT_EQ(e.fileName, "Out.cwp");
  }
}

TEST(MemoryFile, SeeksLikeAFile) {
  MemoryFile file;
  file.Seek(4, archive::SeekFrom::begin);
  file.Write("ab", 2);
  EXPECT_EQ(file.Bytes(), (Bytes{0, 0, 0, 0, 'a', 'b'}));  // the gap reads as zeros
  EXPECT_EQ(file.Seek(-1, archive::SeekFrom::end), 5u);
  char c = 0;
  EXPECT_EQ(file.Read(&c, 1), 1u);
  EXPECT_EQ(c, 'b');
  EXPECT_EQ(file.Read(&c, 1), 0u);
  EXPECT_THROW(file.Seek(-7, archive::SeekFrom::end), archive::FileException);
  file.SetLength(2);
  EXPECT_EQ(file.GetPosition(), 2u);
  EXPECT_EQ(file.Detach().size(), 2u);
  EXPECT_EQ(file.GetLength(), 0u);
}

}  // namespace
