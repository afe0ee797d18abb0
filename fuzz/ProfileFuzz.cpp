// The INI document: any bytes parse, written text parses back to the same text, and edits read
// back as written.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile/Document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  profile::Document doc;
  doc.Parse(text);

  std::string written = doc.ToText();
  profile::Document again;
  again.Parse(written);
  if (again.ToText() != written) std::abort();

  auto sections = doc.SectionNames();
  for (const auto& section : sections) {
    for (const auto& key : doc.Keys(section)) {
      doc.GetInt(section, key, 0);
      if (!doc.Get(section, key)) std::abort();  // every listed key can be read
    }
  }
  if (!sections.empty()) {
    const std::string& section = sections.front();
    if (doc.Set(section, "FuzzKey", "fuzz value") && doc.Get(section, "fuzzkey") != "fuzz value") {
      std::abort();
    }
    doc.DeleteSection(section);
    if (doc.HasSection(section)) std::abort();
  }
  return 0;
}
