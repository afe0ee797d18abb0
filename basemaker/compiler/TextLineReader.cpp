#include "basemaker/compiler/TextLineReader.h"

#include "navdb/CheckedFile.h"

CTextLineReader::CTextLineReader() = default;
CTextLineReader::~CTextLineReader() { Close(); }

bool CTextLineReader::Open(const std::string& path) {
  Close();
  m_memory = false;
  m_failed = false;
  m_eof = false;
  m_data = m_block;
  m_size = 0;
  m_pos = 0;
  auto file = std::make_unique<CCheckedFile>();
  if (!file->Open(path, CCheckedFile::modeRead | CCheckedFile::shareDenyWrite)) {
    return false;
  }
  m_file = std::move(file);
  return true;
}

void CTextLineReader::OpenMemory(std::string_view bytes, bool failAtEnd) {
  Close();
  m_memory = true;
  m_failAtEnd = failAtEnd;
  m_failed = false;
  m_eof = false;
  m_data = bytes.data();
  m_size = bytes.size();
  m_pos = 0;
}

bool CTextLineReader::Close() {
  bool ok = true;
  if (m_file != nullptr) {
    ok = m_file->Close();
    m_file.reset();
  }
  m_data = nullptr;
  m_size = m_pos = 0;
  m_memory = false;
  return ok;
}

bool CTextLineReader::Refill() {
  if (m_pos < m_size) {
    return true;
  }
  if (m_failed || m_eof) {
    return false;
  }
  if (m_memory) {
    if (m_failAtEnd) {
      m_failed = true;
    } else {
      m_eof = true;
    }
    return false;
  }
  if (m_file == nullptr) {
    m_eof = true;
    return false;
  }
  CFileException error;
  const size_t n = m_file->Read(m_block, sizeof m_block, &error);
  m_data = m_block;
  m_size = n;
  m_pos = 0;
  if (n == 0) {
    if (error.m_cause != CFileException::none) {
      m_failed = true;
    } else {
      m_eof = true;
    }
    return false;
  }
  return true;
}

int CTextLineReader::PeekByte() {
  if (!Refill()) {
    return -1;
  }
  return static_cast<unsigned char>(m_data[m_pos]);
}

int CTextLineReader::NextByte() {
  const int c = PeekByte();
  if (c >= 0) {
    ++m_pos;
  }
  return c;
}

bool CTextLineReader::ReadPiece(char* buffer, size_t maxChars) {
  size_t n = 0;
  while (n < maxChars) {
    int c = NextByte();
    if (c < 0) {
      break;
    }
    if (c == '\r' && PeekByte() == '\n') {
      c = NextByte();
    }
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') {
      break;
    }
  }
  buffer[n] = '\0';
  // A read error loses the piece it interrupted, as a failed read has always done.
  if (m_failed) {
    buffer[0] = '\0';
    return false;
  }
  return n > 0;
}
