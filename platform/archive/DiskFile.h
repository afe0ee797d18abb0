#pragma once
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/archive/Exceptions.h"
#include "platform/archive/File.h"

namespace archive {

// A file on disk. Sharing modes of the Windows original are accepted and not enforced.
class DiskFile : public File {
 public:
  enum OpenFlags : unsigned {
    modeRead = 0,
    modeWrite = 1,
    modeReadWrite = 2,
    shareExclusive = 0x10,
    shareDenyWrite = 0x20,
    shareDenyRead = 0x30,
    shareDenyNone = 0x40,
    modeCreate = 0x1000,      // create; truncate an existing file unless modeNoTruncate
    modeNoTruncate = 0x2000,
    // Write into a temporary file beside the target; Close renames it over the target, so a
    // failed or abandoned save keeps the previous file. Implies modeCreate | modeWrite.
    modeReplaceOnClose = 0x10000,
  };

  DiskFile() = default;
  // Opens or throws FileException.
  DiskFile(const std::filesystem::path& path, unsigned flags);
  ~DiskFile() override;
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  // False (and `error` filled when given) when the file cannot be opened.
  bool Open(const std::filesystem::path& path, unsigned flags, FileException* error = nullptr);
  bool IsOpen() const { return m_file != nullptr; }

  size_t Read(void* buffer, size_t count) override;
  void Write(const void* data, size_t count) override;
  uint64_t Seek(int64_t offset, SeekFrom from) override;
  uint64_t GetPosition() const override;
  uint64_t GetLength() const override;
  void SetLength(uint64_t length) override;
  void Flush() override;
  // Closes; with modeReplaceOnClose, puts the new file in place. Throws FileException when the
  // data cannot be written out (the temporary file is then removed). Nothing to do when not open.
  void Close() override;
  // Closes without throwing; with modeReplaceOnClose the new file is discarded.
  void Abort();
  std::string GetFileName() const override { return m_path.string(); }

  static void Rename(const std::filesystem::path& from, const std::filesystem::path& to);
  static void Remove(const std::filesystem::path& path);

 private:
  [[noreturn]] void ThrowErrno(int error) const;
  // C streams need a seek between a read and a following write, and the other way round.
  void SwitchTo(int operation);

  int m_lastOperation = 0;  // 0 none or seek, 1 read, 2 write

  std::FILE* m_file = nullptr;
  std::filesystem::path m_path;
  std::string m_tempPath;  // the file being written in replace-on-close mode
};

}  // namespace archive
