#include "basemaker/app/AreaSetArray.h"

#include <algorithm>
#include <system_error>

#include "basemaker/app/TextCase.h"
#include "platform/win/WinPath.h"

void CAreaSetArray::ReadVisFiles(const std::filesystem::path& simRoot) {
  const auto folder = win::ResolveWinPath("scenery\\", simRoot);
  if (!folder) return;
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  std::filesystem::directory_iterator it(*folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const auto name = it->path().filename().string();
    if (!MatchesWildcardNoCase("*.vis", name)) continue;
    if (std::filesystem::is_directory(it->symlink_status())) continue;
    files.push_back(it->path());
  }
  // The folder's own order is arbitrary here; a fixed one keeps equal names stable per run.
  std::sort(files.begin(), files.end());

  for (const auto& file : files) {
    CAreaList set;
    set.m_databaseName = file.stem().string();
    if (!set.ReadVisFile(file)) continue;
    const auto at = std::find_if(m_sets.begin(), m_sets.end(), [&](const CAreaList& other) {
      return CompareNoCase(other.m_databaseName, set.m_databaseName) > 0;
    });
    m_sets.insert(at, std::move(set));
  }
}
