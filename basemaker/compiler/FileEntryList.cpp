#include "basemaker/compiler/FileEntryList.h"

namespace {

unsigned char Lower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

int CompareFileNameNoCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int d = Lower(static_cast<unsigned char>(a[i])) - Lower(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CFileEntryList::Add(const FileEntry& entry) {
  m_entries.push_back(entry);
  return GetSize() - 1;
}

void CFileEntryList::InsertAt(int index, const FileEntry& entry, int count) {
  if (index < 0 || count <= 0) return;
  const auto at = static_cast<size_t>(index);
  if (at >= m_entries.size()) m_entries.resize(at);
  m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(at), static_cast<size_t>(count), entry);
}

int CFileEntryList::InsertInCollectorOrder(const FileEntry& entry) {
  for (size_t i = 0; i < m_entries.size(); ++i) {
    const FileEntry& e = m_entries[i];
    if (CompareFileNameNoCase(entry.subfolder, e.subfolder) >= 0 &&
        CompareFileNameNoCase(entry.name, e.name) > 0) {
      InsertAt(static_cast<int>(i), entry);
      return static_cast<int>(i);
    }
  }
  return Add(entry);
}
