#include "basemaker/compiler/NavTextFile.h"

#include "navdb/SceneryDatabase.h"

int AppendTextFileRecord(CSceneryDatabase& db, const NavTextFile& file) {
  BglFileRecord record;
  record.subfolderText = db.AddString(file.subfolder.c_str());
  record.fileNameText = db.AddString(file.name.c_str());
  record.fileSize = file.size;
  record.fileTime = file.lastWrite;
  record.latMin = -90.0f;
  record.latMax = 90.0f;
  record.lonMin = 0.0f;
  record.lonMax = -1e-8f;
  if (db.m_areas.GetSize() == 0) {
    return db.m_files.Add(record, nullptr);
  }
  AreaRecord& area = db.m_areas[db.m_areas.GetSize() - 1];
  int fileEnd = area.fileEnd;  // a packed field: counted here and stored back
  const int index = db.m_files.Add(record, &fileEnd);
  area.fileEnd = fileEnd;
  return index;
}
