#include "basemaker/app/AreaPanel.h"

#include "basemaker/app/AreaFolder.h"

std::optional<std::filesystem::path> AreaPanelState::Start(const AreaEntry& entry) {
  m_newArea = entry.path.empty();
  m_cache = entry.remote;
  SetTitle(entry.title);
  m_folderValid = !entry.path.empty();
  m_pathText.clear();
  if (m_newArea) return m_simRoot;
  m_pathText = entry.FormatPathValue();
  return entry.onCd ? FindCdAreaFolder(entry, m_drives) : FindAreaFolder(entry, m_simRoot, m_driveRoots);
}

void AreaPanelState::SelectFolder(const std::filesystem::path& folder) {
  const StoredFolder stored = StoredFolderOf(folder, m_simRoot, m_drives);
  m_pathText = stored.text;
  if (m_newArea) m_cache = stored.onCd;
  m_folderValid = FolderHasBgl(folder);
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
