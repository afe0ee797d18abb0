#pragma once

// A file or folder path in Windows syntax (drive letter and colon, backslash separators, the
// extension after the last dot), taken apart and put together as the cabinet reader and the
// build need it. The text stays in this form; it meets the file system only in Exists().

#include <string>

class CFilePath {
 public:
  CFilePath() = default;
  CFilePath(const CFilePath&) = default;
  CFilePath& operator=(const CFilePath&) = default;
  virtual ~CFilePath() = default;

  void Assign(const CFilePath& other);
  void Set(const char* text);
  const char* GetPath() const { return m_path.c_str(); }

  // Any out pointer may be null; that part is then not computed. The drive comes back without
  // its colon, the directory without its trailing backslash (a bare "\" stays), the extension
  // without its dot.
  void Split(std::string* drive, std::string* directory, std::string* name,
             std::string* extension) const;
  void GetFolder(std::string& out) const;
  void GetFileName(std::string& out) const;

  // Each part may be null. Nothing is cut: the parts are composed whole however long they are.
  void MakePath(const char* drive, const char* directory, const char* name, const char* extension);
  void SetFolder(const char* folder);
  void SetFileName(const char* name);
  void SetToTempFolder();

  // True when a search for the path (wildcards * and ? allowed in its last part) finds an entry.
  // Letter case is ignored; a relative path is taken from the current directory.
  bool Exists() const;

 private:
  std::string m_path;
};

// Appends one backslash unless the text already ends in one; an empty text becomes "\".
void EnsureTrailingBackslash(std::string& text);
