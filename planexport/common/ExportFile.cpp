#include "planexport/common/ExportFile.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "platform/win/AtomicFile.h"
#include "platform/win/CLocale.h"

namespace {

int g_failAtPrint = 0;

void VFormat(std::string& out, const char* format, va_list args) {
  win::CLocaleScope c;
  char small[512];
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) {
    out.clear();
    return;
  }
  if (static_cast<size_t>(n) < sizeof small) {
    out.assign(small, static_cast<size_t>(n));
    return;
  }
  out.resize(static_cast<size_t>(n) + 1);
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<size_t>(n));
}

}  // namespace

std::string FormatC(const char* format, ...) {
  std::string out;
  va_list args;
  va_start(args, format);
  VFormat(out, format, args);
  va_end(args);
  return out;
}

CExportFile::CExportFile() = default;

CExportFile::~CExportFile() { Discard(); }

void CExportFile::FailAtPrint(int n) { g_failAtPrint = n; }

bool CExportFile::Open(const std::string& target) {
  Discard();
  // Onto a link, the file it leads to is replaced and the link kept.
  std::error_code error;
  const std::string file = win::FollowLinks(target, error).string();
  if (error) return false;
  const int fd = win::CreateFileBeside(file, m_temporary);
  if (fd < 0) return false;
  m_file = ::fdopen(fd, "wb");
  if (!m_file) {
    ::close(fd);
    ::unlink(m_temporary.c_str());
    return false;
  }
  m_target = file;
  m_ok = true;
  return true;
}

bool CExportFile::Print(const char* format, ...) {
  if (!m_file || !m_ok) return false;
  if (g_failAtPrint > 0 && --g_failAtPrint == 0) {
    m_ok = false;
    return false;
  }
  va_list args;
  va_start(args, format);
  VFormat(m_line, format, args);
  va_end(args);
  size_t start = 0;
  for (size_t i = 0; i <= m_line.size() && m_ok; ++i) {
    if (i < m_line.size() && m_line[i] != '\n') continue;
    const size_t n = i - start;
    if (n && std::fwrite(m_line.data() + start, 1, n, m_file) != n) m_ok = false;
    if (i < m_line.size() && std::fwrite("\r\n", 1, 2, m_file) != 2) m_ok = false;
    start = i + 1;
  }
  return m_ok;
}

bool CExportFile::Commit(bool complete) {
  if (!m_file) return false;
  bool ok = complete && m_ok;
  if (std::fflush(m_file) != 0) ok = false;
  if (ok && ::fsync(::fileno(m_file)) != 0) ok = false;
  if (std::fclose(m_file) != 0) ok = false;
  m_file = nullptr;
  if (ok && std::rename(m_temporary.c_str(), m_target.c_str()) != 0) ok = false;
  if (!ok) ::unlink(m_temporary.c_str());
  m_temporary.clear();
  m_ok = false;
  return ok;
}

void CExportFile::Discard() {
  if (!m_file) return;
  std::fclose(m_file);
  m_file = nullptr;
  ::unlink(m_temporary.c_str());
  m_temporary.clear();
  m_ok = false;
}
