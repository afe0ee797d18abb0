// Any byte sequence as a scenery command stream: the walk must end, stay inside the stream and
// leave the database's chains consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "basemaker/compiler/SceneryCommandInterpreter.h"
#include "navdb/SceneryDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CSceneryDatabase db(4096);
  db.AddArea("fuzz", nullptr);
  db.m_files.Add(BglFileRecord{}, &db.m_areas[0].fileEnd);
  uint8_t newGroup = 1;
  InterpretSceneryCommands(db, newGroup, 47.0, 47.1, 47.05, 8.5, data, data + size);
  if (!db.Validate()) std::abort();
  return 0;
}
