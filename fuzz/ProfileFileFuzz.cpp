// Loads arbitrary bytes as a profile file, asks for every list and value with buffers of
// awkward sizes, and checks that saving is stable: what was saved loads and saves again to
// the very same bytes.
#include "navdb/ProfileFile.h"
#include "fuzz/WorkFolder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::filesystem::path& WorkDir() { return fuzzsupport::WorkFolder("cw-fuzz-profile"); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Splits a NUL-separated list as GetString returns it.
std::vector<std::string> Names(const char* list, size_t length) {
  std::vector<std::string> names;
  for (size_t i = 0; i < length;) {
    names.emplace_back(list + i);
    i += names.back().size() + 1;
  }
  return names;
}

void Query(const CProfileFile& profile) {
  static const size_t kSizes[] = {2, 3, 7, 64, 1 << 16};
  std::vector<char> buffer(1 << 16);
  for (size_t size : kSizes) {
    const size_t n = profile.GetString(nullptr, nullptr, "default", buffer.data(), size);
    if (n > size - 2 || buffer[size - 1] != '\0' || buffer[size - 2] != '\0') {
      std::abort();
    }
  }
  const size_t n = profile.GetString(nullptr, nullptr, "", buffer.data(), buffer.size());
  for (const std::string& section : Names(buffer.data(), n)) {
    std::vector<char> keys(1 << 16);
    const size_t k = profile.GetString(section.c_str(), nullptr, "", keys.data(), keys.size());
    for (const std::string& key : Names(keys.data(), k)) {
      for (size_t size : kSizes) {
        const size_t length = profile.GetString(section.c_str(), key.c_str(), "dflt", buffer.data(), size);
        if (length >= size || std::strlen(buffer.data()) != length) {
          std::abort();
        }
      }
      profile.GetInt(section.c_str(), key.c_str(), -1);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = (WorkDir() / "input.ini").string();
  const std::string saved = (WorkDir() / "saved.ini").string();
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  CProfileFile profile;
  if (!profile.Load(input)) {
    std::abort();  // a readable file always loads
  }
  Query(profile);
  if (!profile.Save(saved)) {
    std::abort();
  }
  const std::string first = ReadAll(saved);

  CProfileFile again;
  if (!again.Load(saved) || !again.Save(saved) || ReadAll(saved) != first) {
    std::abort();
  }

  // A filtered load keeps only sections of the first listed name.
  char names[256];
  if (profile.GetString(nullptr, nullptr, "", names, sizeof names) > 0) {
    CProfileFile filtered;
    if (!filtered.Load(input, names)) {
      std::abort();
    }
    Query(filtered);
  }
  return 0;
}
