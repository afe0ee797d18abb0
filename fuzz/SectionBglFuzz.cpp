// Section-format scenery files into an area database, as the loader hands them over.
#include <cstdint>

#include "basemaker/compiler/BglImage.h"
#include "basemaker/compiler/SectionBglParser.h"
#include "navdb/SceneryDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSceneryDatabase db(4096);
  db.AddArea("fuzz", nullptr);
  db.m_files.Add(BglFileRecord{}, &db.m_areas[0].fileEnd);
  try {
    ParseSectionBglImage(db, data, size);
  } catch (const BglParseError&) {
  }
  return 0;
}
