#pragma once
// An executable carries its version in an ELF note of ours: owner "Chartwright", type 1, the
// description four little-endian uint16 (major, minor, build, revision).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace win {

struct FileVersion {
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t build = 0;
  uint16_t revision = 0;
};

inline constexpr char kVersionNoteOwner[] = "Chartwright";
inline constexpr uint32_t kVersionNoteType = 1;

// The layout of the note as it sits in the file.
struct VersionNote {
  uint32_t nameSize;
  uint32_t descSize;
  uint32_t type;
  char name[12];
  uint16_t version[4];
};
static_assert(sizeof(VersionNote) == 32);

// nullopt when the file is not a little-endian ELF file, is damaged, or carries no such note.
std::optional<FileVersion> GetFileVersion(const std::filesystem::path& executable);
// The same for an executable's bytes in memory.
std::optional<FileVersion> ParseFileVersion(std::string_view image);

}  // namespace win

#if defined(__has_attribute) && __has_attribute(retain)
#define CW_NOTE_RETAIN retain,
#else
#define CW_NOTE_RETAIN
#endif

// Put the version note into the executable being built; use once, at namespace scope. The
// section's name makes the compiler mark it as a note, so it survives stripping.
#define CW_FILE_VERSION_NOTE(major, minor, build, revision)                                    \
  extern const ::win::VersionNote cw_file_version_note;                                         \
  __attribute__((section(".note.chartwright.version"), CW_NOTE_RETAIN used, aligned(4)))       \
  const ::win::VersionNote cw_file_version_note = {                                             \
      12, 8, ::win::kVersionNoteType, "Chartwright", {(major), (minor), (build), (revision)}}
