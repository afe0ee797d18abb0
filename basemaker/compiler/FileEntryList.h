#pragma once

// The ordered file list of one area, in the order the area compiler reads it.

#include <string>
#include <string_view>
#include <vector>

#include "basemaker/compiler/FileEntry.h"

class CFileEntryList {
 public:
  int GetSize() const { return static_cast<int>(m_entries.size()); }
  const FileEntry& operator[](int i) const { return m_entries[static_cast<size_t>(i)]; }
  FileEntry& operator[](int i) { return m_entries[static_cast<size_t>(i)]; }
  const std::vector<FileEntry>& Entries() const { return m_entries; }

  int Add(const FileEntry& entry);
  // `count` copies of `entry` before `index`; an index past the end first grows the list with
  // empty entries up to it.
  void InsertAt(int index, const FileEntry& entry, int count = 1);
  // Collector order: before the first entry E for which the new subfolder compares >= E's and
  // the new name compares > E's (both caseless); else at the end. Within one folder this gives
  // descending names, and it decides which of two same-named files a later pass keeps.
  int InsertInCollectorOrder(const FileEntry& entry);
  void RemoveAll() { m_entries.clear(); }

  std::string m_pathValue;  // the area's path value, or the program folder for the text files
  std::string m_exclude;

 private:
  std::vector<FileEntry> m_entries;
};

// strcmpi: lower-case forms compared byte by byte as unsigned.
int CompareFileNameNoCase(std::string_view a, std::string_view b);
