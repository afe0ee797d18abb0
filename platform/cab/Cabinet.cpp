#include "platform/cab/Cabinet.h"

#include <fcntl.h>
#include <mspack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace cab {

namespace {

namespace fs = std::filesystem;

// A set that points at itself (or a long chain of copies) must not keep the run going forever.
constexpr int kMaxCabinetsInSet = 1000;
// How often OnNextCabinet may send the search to another folder for one cabinet.
constexpr int kMaxNextCabinetRetries = 16;

char FoldAscii(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  if (c == '/') return '\\';
  return c;
}

// File access for the decompressor: plain descriptors, and no diagnostics printed to stderr
// (a broken cabinet is reported through our error codes, not as console noise).
struct PosixFile {
  int fd;
};

mspack_file* SysOpen(mspack_system*, const char* name, int mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case MSPACK_SYS_OPEN_READ: flags |= O_RDONLY; break;
    case MSPACK_SYS_OPEN_WRITE: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case MSPACK_SYS_OPEN_UPDATE: flags |= O_RDWR; break;
    case MSPACK_SYS_OPEN_APPEND: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
    default: return nullptr;
  }
  const int fd = ::open(name, flags, 0644);
  if (fd < 0) return nullptr;
  return reinterpret_cast<mspack_file*>(new PosixFile{fd});
}

void SysClose(mspack_file* file) {
  auto* f = reinterpret_cast<PosixFile*>(file);
  if (f == nullptr) return;
  ::close(f->fd);
  delete f;
}

int SysRead(mspack_file* file, void* buffer, int bytes) {
  auto* f = reinterpret_cast<PosixFile*>(file);
  if (f == nullptr || bytes < 0) return -1;
  int done = 0;
  while (done < bytes) {
    const ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + done, static_cast<size_t>(bytes - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<int>(n);
  }
  return done;
}

int SysWrite(mspack_file* file, void* buffer, int bytes) {
  auto* f = reinterpret_cast<PosixFile*>(file);
  if (f == nullptr || bytes < 0) return -1;
  int done = 0;
  while (done < bytes) {
    const ssize_t n = ::write(f->fd, static_cast<const char*>(buffer) + done, static_cast<size_t>(bytes - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += static_cast<int>(n);
  }
  return done;
}

int SysSeek(mspack_file* file, off_t offset, int mode) {
  auto* f = reinterpret_cast<PosixFile*>(file);
  int whence;
  switch (mode) {
    case MSPACK_SYS_SEEK_START: whence = SEEK_SET; break;
    case MSPACK_SYS_SEEK_CUR: whence = SEEK_CUR; break;
    case MSPACK_SYS_SEEK_END: whence = SEEK_END; break;
    default: return -1;
  }
  return f != nullptr && ::lseek(f->fd, offset, whence) >= 0 ? 0 : -1;
}

off_t SysTell(mspack_file* file) {
  auto* f = reinterpret_cast<PosixFile*>(file);
  return f != nullptr ? ::lseek(f->fd, 0, SEEK_CUR) : -1;
}

void SysMessage(mspack_file*, const char*, ...) {}

void* SysAlloc(mspack_system*, size_t bytes) {
  return std::malloc(bytes);
}

void SysFree(void* p) {
  std::free(p);
}

void SysCopy(void* src, void* dest, size_t bytes) {
  std::memmove(dest, src, bytes);
}

mspack_system* QuietSystem() {
  static mspack_system sys = [] {
    mspack_system s{};
    s.open = SysOpen;
    s.close = SysClose;
    s.read = SysRead;
    s.write = SysWrite;
    s.seek = SysSeek;
    s.tell = SysTell;
    s.message = SysMessage;
    s.alloc = SysAlloc;
    s.free = SysFree;
    s.copy = SysCopy;
    s.null_ptr = nullptr;
    return s;
  }();
  return &sys;
}

struct Decompressor {
  Decompressor() : d(mspack_create_cab_decompressor(QuietSystem())) {}
  ~Decompressor() {
    for (mscabd_cabinet* c : opened) d->close(d, c);
    if (d != nullptr) mspack_destroy_cab_decompressor(d);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  // Closing the first cabinet of a set frees every cabinet appended to it.
  void Joined(mscabd_cabinet* c) { std::erase(opened, c); }

  mscabd_cabinet* Open(const std::string& path) {
    mscabd_cabinet* c = d->open(d, const_cast<char*>(path.c_str()));
    if (c != nullptr) opened.push_back(c);
    return c;
  }

  mscab_decompressor* d;
  std::vector<mscabd_cabinet*> opened;
};

CabinetInfo InfoOf(const mscabd_cabinet* c) {
  CabinetInfo info;
  info.size = c->length;
  for (const mscabd_folder* f = c->folders; f != nullptr; f = f->next) ++info.folderCount;
  for (const mscabd_file* f = c->files; f != nullptr; f = f->next) ++info.fileCount;
  info.setId = c->set_id;
  info.cabinetIndex = c->set_index;
  info.hasReserve = (c->flags & MSCAB_HDR_RESV) != 0;
  info.hasPrevious = (c->flags & MSCAB_HDR_PREVCAB) != 0;
  info.hasNext = (c->flags & MSCAB_HDR_NEXTCAB) != 0;
  return info;
}

std::string Text(const char* s) {
  return s != nullptr ? std::string(s) : std::string();
}

MemberInfo MemberOf(const mscabd_file* f) {
  MemberInfo m;
  m.name = Text(f->filename);
  m.size = f->length;
  const int year = f->date_y - 1980;
  if (year >= 0 && year < 128) {
    m.dosDate = static_cast<uint16_t>((year << 9) | ((f->date_m & 0xF) << 5) | (f->date_d & 0x1F));
  }
  m.dosTime = static_cast<uint16_t>(((f->time_h & 0x1F) << 11) | ((f->time_m & 0x3F) << 5) |
                                    ((f->time_s / 2) & 0x1F));
  m.attributes = static_cast<uint16_t>(f->attribs);
  return m;
}

// The file named `name` in `folder`, matched case-insensitively as scenery copied from
// Windows needs; symlinks are not followed.
std::string FindInFolder(const std::string& folder, const std::string& name) {
  std::error_code ec;
  const fs::path exact = fs::path(folder) / name;
  if (fs::symlink_status(exact, ec).type() == fs::file_type::regular) return exact.string();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!SameMemberName(it->path().filename().string(), name)) continue;
    if (it->symlink_status(ec).type() == fs::file_type::regular) return it->path().string();
  }
  return {};
}

Error ErrorOf(int mspackError) {
  switch (mspackError) {
    case MSPACK_ERR_OPEN:
      return Error::kCabinetNotFound;
    case MSPACK_ERR_SIGNATURE:
      return Error::kNotACabinet;
    case MSPACK_ERR_NOMEMORY:
      return Error::kAllocFail;
    case MSPACK_ERR_WRITE:
      return Error::kTargetFile;
    default:
      return Error::kCorruptCabinet;
  }
}

void SetFileTime(const std::string& path, uint16_t dosDate, uint16_t dosTime) {
  const uint64_t ft = DosTimeToFileTime(dosDate, dosTime);
  if (ft == 0) return;
  const uint64_t unixTicks = ft - 116444736000000000ULL;
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(unixTicks / 10000000ULL);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

}  // namespace

bool ICopyHandler::OnCabinetInfo(const std::string&, const CabinetInfo&, const std::string&,
                                 const std::string&) {
  return true;
}

bool ICopyHandler::OnFileCopied(const MemberInfo&, const std::string&) {
  return true;
}

bool ICopyHandler::OnNextCabinet(const std::string&, const std::string&, std::string&, Error) {
  return false;
}

bool IsCabinet(const std::string& path, CabinetInfo* info) {
  Decompressor dec;
  if (dec.d == nullptr) return false;
  mscabd_cabinet* c = dec.Open(path);
  if (c == nullptr) return false;
  if (info != nullptr) *info = InfoOf(c);
  return true;
}

bool Copy(const std::string& path, ICopyHandler& handler, bool followSet, Error* error) {
  Error dummy;
  Error& err = error != nullptr ? *error : dummy;
  err = Error::kNone;
  Decompressor dec;
  if (dec.d == nullptr) {
    err = Error::kAllocFail;
    return false;
  }
  mscabd_cabinet* first = dec.Open(path);
  if (first == nullptr) {
    std::error_code ec;
    // A file too short for a cabinet header fails on reading it: no cabinet either.
    const int why = dec.d->last_error(dec.d);
    err = !fs::is_regular_file(path, ec) ? Error::kCabinetNotFound
          : why == MSPACK_ERR_READ       ? Error::kNotACabinet
                                         : ErrorOf(why);
    return false;
  }
  if (!handler.OnCabinetInfo(path, InfoOf(first), Text(first->nextname), Text(first->nextinfo))) {
    err = Error::kUserAbort;
    return false;
  }

  // Join the later cabinets of the set, so that members spanning a cabinet boundary decode.
  mscabd_cabinet* last = first;
  std::string folder = fs::path(path).parent_path().string();
  for (int joined = 0; followSet && last->nextname != nullptr; ++joined) {
    if (joined >= kMaxCabinetsInSet) {
      err = Error::kWrongCabinet;
      return false;
    }
    const std::string name = Text(last->nextname);
    const std::string disk = Text(last->nextinfo);
    mscabd_cabinet* next = nullptr;
    for (int attempt = 0; next == nullptr; ++attempt) {
      Error why = Error::kCabinetNotFound;
      const std::string found = FindInFolder(folder, name);
      if (!found.empty()) {
        next = dec.Open(found);
        if (next == nullptr) {
          why = Error::kNotACabinet;
        } else if (next->set_id != last->set_id || next->set_index != last->set_index + 1 ||
                   dec.d->append(dec.d, last, next) != MSPACK_ERR_OK) {
          why = Error::kWrongCabinet;
          next = nullptr;
        } else if (dec.Joined(next), !handler.OnCabinetInfo(found, InfoOf(next), Text(next->nextname),
                                          Text(next->nextinfo))) {
          err = Error::kUserAbort;
          return false;
        }
      }
      if (next == nullptr &&
          (attempt >= kMaxNextCabinetRetries || !handler.OnNextCabinet(name, disk, folder, why))) {
        err = Error::kUserAbort;
        return false;
      }
    }
    last = next;
  }

  for (const mscabd_file* f = first->files; f != nullptr; f = f->next) {
    const MemberInfo member = MemberOf(f);
    if (!IsSafeMemberName(member.name)) continue;
    std::string target;
    const CopyAction action = handler.OnCopyFile(member, target);
    if (action == CopyAction::kAbort) {
      err = Error::kUserAbort;
      return false;
    }
    if (action == CopyAction::kSkip || target.empty()) continue;
    if (dec.d->extract(dec.d, const_cast<mscabd_file*>(f), const_cast<char*>(target.c_str())) !=
        MSPACK_ERR_OK) {
      err = ErrorOf(dec.d->last_error(dec.d));
      return false;
    }
    SetFileTime(target, member.dosDate, member.dosTime);
    if (!handler.OnFileCopied(member, target)) {
      err = Error::kUserAbort;
      return false;
    }
  }
  return true;
}

uint64_t DosTimeToFileTime(uint16_t dosDate, uint16_t dosTime) {
  std::tm tm{};
  tm.tm_year = ((dosDate >> 9) & 0x7F) + 80;
  tm.tm_mon = ((dosDate >> 5) & 0xF) - 1;
  tm.tm_mday = dosDate & 0x1F;
  tm.tm_hour = (dosTime >> 11) & 0x1F;
  tm.tm_min = (dosTime >> 5) & 0x3F;
  tm.tm_sec = (dosTime & 0x1F) * 2;
  tm.tm_isdst = -1;
  if (tm.tm_mon < 0 || tm.tm_mday == 0) return 0;
  const time_t t = std::mktime(&tm);
  if (t == static_cast<time_t>(-1)) return 0;
  return (static_cast<uint64_t>(t) + 11644473600ULL) * 10000000ULL;
}

bool IsSafeMemberName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/') return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("\\/", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

bool SameMemberName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace cab
