#pragma once

// The ordered list of scenery areas that one database is built from, with the texts that name
// the database, and the parts of the simulator's configuration that Basemaker writes back
// untouched. First entry = highest priority.

#include <filesystem>
#include <string>
#include <vector>

#include "basemaker/app/AreaEntry.h"

class CAreaList {
 public:
  // Appends a copy and returns its index.
  int AddArea(const AreaEntry& entry);

  // Appends the areas of the simulator's scenery configuration below `simRoot` (which file, by
  // `simVer`), highest layer first, equal layers in file order. Sets the database name and the
  // default world texts even when no file could be read; returns whether one was read.
  bool ReadSceneryCfg(const std::filesystem::path& simRoot, int simVer);

  // Writes the list back as the simulator's scenery configuration, keeping the backup copies
  // the simulator version expects. Every file is replaced atomically; on failure the reason is
  // put in `error` and false returned.
  bool WriteSceneryCfg(const std::filesystem::path& simRoot, int simVer,
                       std::string* error = nullptr) const;

  // Reads a scenery set (".vis"): the world texts, and its areas appended in file order.
  // False when the file cannot be read or is not a scenery set.
  bool ReadVisFile(const std::filesystem::path& file);

  std::vector<AreaEntry> m_entries;
  std::string m_databaseName;      // base name of the database files
  std::string m_worldTitle;        // the database's display name
  std::string m_worldDescription;  // the database's description
  std::vector<KeyValuePair> m_generalPairs;                // [General], in file order
  std::vector<std::vector<KeyValuePair>> m_cacheSections;  // non-empty [Cache.nnn], in order
};
