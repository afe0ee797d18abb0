#pragma once

// Lists the scenery members of a cabinet into an area's file list, or extracts one member into
// a temporary file that the reader removes again when it is destroyed.

#include <string>

#include "basemaker/compiler/FdiCabinet.h"

class CFileEntryList;

class CCabinetReader : public CFdiCabinet {
 public:
  CCabinetReader() = default;
  ~CCabinetReader() override;
  CCabinetReader(const CCabinetReader&) = delete;
  CCabinetReader& operator=(const CCabinetReader&) = delete;

  // Listing mode: every ".bgl" member goes into `list` in collector order, with `cabinetPath`
  // as its full path. Nothing is written to disk.
  void SetListing(const std::string& cabinetPath, CFileEntryList* list);
  // Extraction mode: the member "folder\\name" (matched caselessly) goes to a new temporary
  // file in the target folder.
  void SetRequestedMember(const std::string& member) { m_requestedMember = member; }

  // As the base, but an extraction that did not produce the requested member is a failure.
  bool Copy(const std::string& cabinetPath, int mode);

  const std::string& GetTempFile() const { return m_tempFile; }
  // Deletes the extracted file now (also done by the destructor).
  void RemoveTempFile();

  cab::CopyAction OnCopyFile(const cab::MemberInfo& member, std::string& target) override;
  bool OnFileCopied(const cab::MemberInfo& member, const std::string& target) override;

 private:
  std::string m_cabinetPath;
  CFileEntryList* m_fileList = nullptr;
  std::string m_requestedMember;
  std::string m_tempFile;
  bool m_extracted = false;
};
