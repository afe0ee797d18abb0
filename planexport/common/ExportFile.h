#pragma once

// The one way a plan-export module writes its file: into a temporary file beside the target,
// renamed over the target only when the writer finished and the file closed cleanly, so a
// refused plan or a failed write keeps the previous file. Lines are written in the formats'
// text mode (each '\n' becomes CR LF), numbers always in the C locale whatever the host
// process set, and text bytes pass unchanged (code page 1252).

#include <locale.h>

#include <cstdio>
#include <string>

class CExportFile {
 public:
  CExportFile();
  ~CExportFile();  // an uncommitted file is removed, the target untouched
  CExportFile(const CExportFile&) = delete;
  CExportFile& operator=(const CExportFile&) = delete;

  // Creates the temporary file beside `target`, or beside the file it leads to when it is a
  // symbolic link. False when it cannot be created.
  bool Open(const std::string& target);
  // One formatted piece of text. False when this or an earlier write failed; later writes
  // are then skipped.
  bool Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Flushes and closes; true (and the target replaced) only when every write, the flush and
  // the close succeeded and `complete` is set. Otherwise the temporary file is removed.
  bool Commit(bool complete);

  // For tests: the n-th Print from now on fails (1 = the next one); 0 switches it off.
  static void FailAtPrint(int n);

 private:
  void Discard();

  FILE* m_file = nullptr;
  std::string m_target;
  std::string m_temporary;
  bool m_ok = false;
  std::string m_line;
};

// printf into a string in the C locale.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
