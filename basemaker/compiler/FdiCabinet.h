#pragma once

// A cabinet run with overridable notifications: the base extracts every member into the
// target folder and gives up on a missing next cabinet of a set.

#include <string>

#include "platform/cab/Cabinet.h"

class CFdiCabinet : public cab::ICopyHandler {
 public:
  CFdiCabinet();
  ~CFdiCabinet() override = default;

  // Folder for extracted members (native); the system temporary folder until set.
  void SetTempFolder(const std::string& folder);
  const std::string& GetTempFolder() const { return m_targetFolder; }

  // True when `path` is a cabinet; its header goes to `info` when asked.
  bool Open(const std::string& path, cab::CabinetInfo* info = nullptr);
  // One copy run; a non-zero mode follows a spanned set into its later cabinets.
  bool Copy(const std::string& cabinetPath, int mode);
  cab::Error GetLastError() const { return m_error; }

  cab::CopyAction OnCopyFile(const cab::MemberInfo& member, std::string& target) override;

 protected:
  std::string m_targetFolder;
  cab::Error m_error = cab::Error::kNone;
};
