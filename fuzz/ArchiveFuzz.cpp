// Archive reads over hostile bytes: the first byte picks the reads, the rest is the file. Every
// failure must be an ArchiveException, never a crash or a huge allocation.
#include <cstdint>
#include <vector>

#include "platform/archive/Archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  uint8_t plan = data[0];
  archive::MemoryFile file(data + 1, size - 1, "fuzz.bin");
  archive::Archive ar(file, archive::Archive::load);
  try {
    for (int step = 0; step < 64; ++step) {
      switch ((plan >> (step % 4 * 2)) & 3) {
        case 0: ar.ReadString(); break;
        case 1: {
          uint32_t count = ar.ReadCount(4);
          std::vector<uint32_t> values(count);
          for (auto& v : values) v = ar.ReadU32();
          break;
        }
        case 2: ar.ReadDouble(); break;
        default: ar.ReadU16(); break;
      }
    }
  } catch (const archive::ArchiveException&) {
  }
  return 0;
}
