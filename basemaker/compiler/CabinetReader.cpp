#include "basemaker/compiler/CabinetReader.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "basemaker/compiler/FileEntryList.h"

namespace {

bool EndsWithBgl(const std::string& name) {
  return name.size() >= 4 && CompareFileNameNoCase(std::string_view(name).substr(name.size() - 4), ".bgl") == 0;
}

}  // namespace

CCabinetReader::~CCabinetReader() {
  RemoveTempFile();
}

void CCabinetReader::SetListing(const std::string& cabinetPath, CFileEntryList* list) {
  m_cabinetPath = cabinetPath;
  m_fileList = list;
}

void CCabinetReader::RemoveTempFile() {
  if (m_tempFile.empty()) return;
  std::error_code ec;
  std::filesystem::remove(m_tempFile, ec);
  m_tempFile.clear();
}

bool CCabinetReader::Copy(const std::string& cabinetPath, int mode) {
  RemoveTempFile();
  m_extracted = false;
  const bool ok = CFdiCabinet::Copy(cabinetPath, mode);
  if (m_fileList != nullptr) return ok;
  if (ok && m_extracted) return true;
  // No file of a failed or empty extraction may outlive the run.
  RemoveTempFile();
  return false;
}

cab::CopyAction CCabinetReader::OnCopyFile(const cab::MemberInfo& member, std::string& target) {
  target.clear();
  if (m_fileList != nullptr) {
    if (EndsWithBgl(member.name)) {
      FileEntry entry;
      const size_t slash = member.name.rfind('\\');
      if (slash != std::string::npos) {
        entry.subfolder = member.name.substr(0, slash + 1);
        entry.name = member.name.substr(slash + 1);
      } else {
        entry.name = member.name;
      }
      entry.size = member.size;
      entry.lastWrite = cab::DosTimeToFileTime(member.dosDate, member.dosTime);
      entry.fullPath = m_cabinetPath;
      m_fileList->InsertInCollectorOrder(entry);
    }
    return cab::CopyAction::kSkip;
  }
  if (m_requestedMember.empty() || m_extracted || !cab::SameMemberName(member.name, m_requestedMember)) {
    return cab::CopyAction::kSkip;
  }
  std::string pattern = (std::filesystem::path(m_targetFolder) / "TMPXXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkstemp(buffer.data());
  if (fd < 0) return cab::CopyAction::kSkip;
  ::close(fd);
  m_tempFile = buffer.data();
  target = m_tempFile;
  return cab::CopyAction::kExtract;
}

bool CCabinetReader::OnFileCopied(const cab::MemberInfo&, const std::string& target) {
  if (target == m_tempFile) m_extracted = true;
  return true;
}
