// What a SID/STAR server sends: arbitrary bytes as the information file and as the FTP folder
// listing. Every listed entry must be a name the client may put into a local path, each once.
#include "plotr/tools/SidStarFile.h"
#include "plotr/tools/SidStarServer.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SidStarServerInfo info;
  if (ParseSidStarServerInfo(text, info)) {
    for (const std::string* line : {&info.user, &info.publishedFolder, &info.submittedFolder}) {
      for (char c : *line) {
        if (static_cast<unsigned char>(c) < 0x20) std::abort();
      }
    }
  }
  std::set<std::string> listed;
  for (const CSidStarRemoteFile& file : ParseSidStarListing(text)) {
    if (!IsSidStarGuid(file.Guid()) || !IsSidStarStamp(file.Stamp()) || file.local != -1) std::abort();
    if (file.ServerName().find('/') != std::string::npos) std::abort();
    if (!listed.insert(file.ServerName()).second) std::abort();
  }
  inet::ParseMlsd(text);
  return 0;
}
