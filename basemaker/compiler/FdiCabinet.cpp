#include "basemaker/compiler/FdiCabinet.h"

#include <filesystem>

CFdiCabinet::CFdiCabinet() {
  std::error_code ec;
  m_targetFolder = std::filesystem::temp_directory_path(ec).string();
  if (ec) m_targetFolder = "/tmp";
}

void CFdiCabinet::SetTempFolder(const std::string& folder) {
  if (!folder.empty()) m_targetFolder = folder;
}

bool CFdiCabinet::Open(const std::string& path, cab::CabinetInfo* info) {
  return cab::IsCabinet(path, info);
}

bool CFdiCabinet::Copy(const std::string& cabinetPath, int mode) {
  return cab::Copy(cabinetPath, *this, mode != 0, &m_error);
}

cab::CopyAction CFdiCabinet::OnCopyFile(const cab::MemberInfo& member, std::string& target) {
  // The cabinet layer has already refused names that climb out of the folder.
  std::string relative = member.name;
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  const std::filesystem::path path = std::filesystem::path(m_targetFolder) / relative;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  target = path.string();
  return cab::CopyAction::kExtract;
}
