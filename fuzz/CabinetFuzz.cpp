// Cabinet files: listing the scenery members, then extracting the first one, as the collector
// and the loader do.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "basemaker/compiler/CabinetReader.h"
#include "basemaker/compiler/FileEntryList.h"
#include "fuzz/WorkFolder.h"

namespace {

const std::filesystem::path& WorkFolder() { return fuzzsupport::WorkFolder("cw_cabfuzz"); }

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
