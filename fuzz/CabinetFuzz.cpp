// Cabinet files: listing the scenery members, then extracting the first one, as the collector
// and the loader do.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "basemaker/compiler/CabinetReader.h"
#include "basemaker/compiler/FileEntryList.h"

namespace {

void RemoveWorkFolder();

const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path folder = [] {
    auto p = std::filesystem::temp_directory_path() / ("cw_cabfuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  // Registered after the path exists, so it runs while the path is still alive.
  static const bool cleanup = (std::atexit(RemoveWorkFolder), true);
  (void)cleanup;
  return folder;
}

void RemoveWorkFolder() {
  std::error_code ec;
  std::filesystem::remove_all(WorkFolder(), ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string cabinet = (WorkFolder() / "input.cab").string();
  if (FILE* f = std::fopen(cabinet.c_str(), "wb")) {
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  CFileEntryList list;
  {
    CCabinetReader lister;
    lister.SetListing(cabinet, &list);
    lister.Copy(cabinet, 1);
  }
  if (list.GetSize() > 0) {
    CCabinetReader extractor;
    extractor.SetTempFolder(WorkFolder().string());
    extractor.SetRequestedMember(list[0].Identity());
    extractor.Copy(cabinet, 1);
  }
  std::filesystem::remove(cabinet);
  return 0;
}
