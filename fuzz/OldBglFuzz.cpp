// Any byte sequence as an old-format scenery file: the parse must stay inside the image and
// leave the database's chains consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "basemaker/compiler/BglImage.h"
#include "basemaker/compiler/OldBglParser.h"
#include "navdb/SceneryDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSceneryDatabase db(4096);
  db.AddArea("fuzz", nullptr);
  db.m_files.Add(BglFileRecord{}, &db.m_areas[0].fileEnd);
  try {
    ParseOldBglImage(db, data, size);
  } catch (const BglParseError&) {
    // The loader's contract: a fault ends the file, never the build.
  }
  if (!db.Validate()) std::abort();
  return 0;
}
