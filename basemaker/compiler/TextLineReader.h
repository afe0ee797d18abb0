#pragma once

// Line-by-line reading of the navigation text files as they have always been read: a line is
// handed out in pieces of at most a fixed number of characters, each piece parsed as a line of
// its own, and CR LF reads as LF (the files come from Windows).

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class CCheckedFile;

class CTextLineReader {
 public:
  CTextLineReader();
  ~CTextLineReader();
  CTextLineReader(const CTextLineReader&) = delete;
  CTextLineReader& operator=(const CTextLineReader&) = delete;

  // Opens a file of the file system for reading, keeping writers out while it is read; false
  // when it cannot be opened.
  bool Open(const std::string& path);
  // Reads from memory the caller keeps alive. With `failAtEnd` the source reports a read error
  // where its bytes run out instead of the end of the file (for tests of the error paths).
  void OpenMemory(std::string_view bytes, bool failAtEnd = false);

  // The next piece: at most `maxChars` characters of the current line, including its '\n' when
  // the line ends within them, NUL-terminated in `buffer` (which holds maxChars + 1). False at
  // the end of the file or after a read error, with nothing stored.
  bool ReadPiece(char* buffer, size_t maxChars);

  // True once a read error ended the reading.
  bool Failed() const { return m_failed; }
  // Closes the source; false when closing reported an error.
  bool Close();

 private:
  int NextByte();  // -1 at the end or on error
  int PeekByte();
  bool Refill();

  std::unique_ptr<CCheckedFile> m_file;
  const char* m_data = nullptr;
  size_t m_size = 0;
  size_t m_pos = 0;
  bool m_memory = false;
  bool m_failAtEnd = false;
  bool m_failed = false;
  bool m_eof = false;
  char m_block[1 << 16];
};
