#pragma once

// An INI-style text file held in memory: "[Section]" lines and "key=value" lines, comments
// starting with ';'. Lookups follow the private-profile conventions (case-insensitive names, a
// null section or key asks for a list of names) and always find the LAST of equal names. The
// file on disk is only read by Load and only written by Save.

#include <cstddef>
#include <string>
#include <vector>

class CProfileFile {
 public:
  CProfileFile() = default;
  virtual ~CProfileFile() = default;

  // Replaces the contents with the file's; a null filter loads every section, otherwise only
  // the sections of that name. Lines end with CR LF or LF. False (and empty) when the file
  // cannot be read whole.
  bool Load(const std::string& path, const char* sectionFilter = nullptr);

  // Writes every section and entry in their order, CR LF line ends, an empty line between
  // sections. The previous file is replaced only once the new one is complete.
  bool Save(const std::string& path) const;

  // Copies the value, or `defaultText` when the section or key is missing, into `buffer`
  // (cut to size - 1 characters) and returns its length. A null section lists the section
  // names, a null key the keys of the section, each name followed by NUL and the list closed
  // by a second NUL; the result is then the list's length without its closing NUL, at most
  // size - 2.
  size_t GetString(const char* section, const char* key, const char* defaultText, char* buffer, size_t size) const;

  // Sets the value of the key (the last of that name), adding the section and the key at the
  // end when missing; a null value removes the key. False only for a null section or key.
  bool WriteString(const char* section, const char* key, const char* value);

  // The base-10 value (leading blanks and a sign accepted, stopping at the first other
  // character); `defaultValue` when the section or key is missing or the value is empty.
  int GetInt(const char* section, const char* key, int defaultValue) const;
  bool WriteInt(const char* section, const char* key, int value);

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  void Parse(const char* text, size_t length, const char* sectionFilter);
  const Section* FindSection(const char* name) const;
  Section* FindSection(const char* name);
  static const Entry* FindEntry(const Section& section, const char* key);

  std::vector<Section> m_sections;
};
