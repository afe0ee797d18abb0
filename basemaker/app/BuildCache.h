#pragma once

// Whether the previous database can stand for a new build.
//
// The passes over the whole database change records in place: an intersection moves onto the
// navaid bound to it, a back course onto the opposite runway end, an airport takes its ident and
// name from ICAO.txt. An area copied from the previous database would bring those results back
// even when what caused them has changed since, and the new database would differ from one
// built from scratch. So the previous database is taken whole, and only when every input the
// areas and the passes read is the same: every collected area (path value, exclude text, files
// by name, size and time, in build order) and what the database does not record itself, the
// simulator version and ICAO.txt. Any change builds everything from the scenery files.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class CFileEntryList;
class CSceneryDatabase;

// The file beside the database pair that records the inputs the database does not hold.
std::string DatabaseKeyFile(const std::filesystem::path& databaseFolder, const std::string& databaseName);

// The text of that file for a build with this simulator version and this ICAO.txt (none when
// the program folder has none).
std::string BuildKeyText(int simVer, const std::optional<std::filesystem::path>& icaoFile);

// True when `cache` holds exactly these areas, in this order, each with the same path value,
// exclude text and files (name texts compared as stored, since they become database bytes).
bool CacheHoldsAreas(const CSceneryDatabase& cache, const std::vector<const CFileEntryList*>& areas);

// True when the key file holds exactly `keyText`.
bool KeyFileMatches(const std::string& keyFile, const std::string& keyText);
