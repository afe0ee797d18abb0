#include "basemaker/app/AreaPanel.h"

#include "basemaker/app/AreaFolder.h"

std::optional<std::filesystem::path> AreaPanelState::Start(const AreaEntry& entry) {
  m_newArea = entry.path.empty();
  m_cache = entry.remote;
  SetTitle(entry.title);
  m_folderValid = !entry.path.empty();
  m_pathText.clear();
  m_storedText.clear();
  m_storedFolder.reset();
  if (m_newArea) return m_simRoot;
  m_pathText = m_storedText = entry.FormatPathValue();
  m_storedFolder = entry.onCd ? FindCdAreaFolder(entry, m_drives) : FindAreaFolder(entry, m_simRoot, m_driveRoots);
  return m_storedFolder;
}

void AreaPanelState::SelectFolder(const std::filesystem::path& folder) {
  m_folderValid = FolderHasBgl(folder);
  if (m_storedFolder && SameFolder(folder, *m_storedFolder)) {
    m_pathText = m_storedText;
    return;
  }
  const StoredFolder stored = StoredFolderOf(folder, m_simRoot, m_drives, m_driveRoots);
  m_pathText = stored.text;
  if (m_newArea) m_cache = stored.onCd;
}

void AreaPanelState::SetTitle(std::string_view title) {
  const size_t last = title.find_last_not_of(" \t\r\n\v\f");
  m_titleValid = last != std::string_view::npos;
}

void AreaPanelState::Apply(std::string_view title, AreaEntry& entry) const {
  entry.title = std::string(title);
  entry.ParsePathValue(m_pathText);
  entry.remote = m_cache;
}
