#include <cstring>
#include <memory>
#include <string>

#include "basemaker/compiler/BglImage.h"
#include "basemaker/compiler/BglLoader.h"
#include "basemaker/compiler/CabinetReader.h"
#include "basemaker/compiler/CompressedBgl.h"
#include "basemaker/compiler/FileEntry.h"
#include "basemaker/compiler/FileEntryList.h"
#include "basemaker/compiler/SectionBgl.h"
#include "navdb/CheckedFile.h"
#include "navdb/Geodesy.h"
#include "navdb/SceneryDatabase.h"
#include "platform/win/Sync.h"

namespace {

std::string& CabinetTempFolder() {
  static std::string folder;
  return folder;
}

// Owns a file image from either source and frees it the way it was allocated.
struct FileImage {
  ~FileImage() {
    if (decoded != nullptr) FreeCompressedBgl(size, decoded);
  }
  const uint8_t* Data() const { return decoded != nullptr ? decoded : plain.get(); }
  uint8_t* decoded = nullptr;
  std::unique_ptr<uint8_t[]> plain;
  uint32_t size = 0;
};

bool ReadPlain(const std::string& path, FileImage& image) {
  CCheckedFile file;
  if (!file.Open(path, CCheckedFile::modeRead | CCheckedFile::shareDenyNone)) return false;
  const uint64_t length = file.GetLength();
  // The file record keeps 32 bits of size; anything larger is no scenery file.
  if (length < kBglMinFileSize || length > UINT32_MAX) {
    file.Close();
    return false;
  }
  image.plain.reset(new uint8_t[length]);
  image.size = static_cast<uint32_t>(length);
  const bool complete = file.Read(image.plain.get(), length) == length;
  file.Close();
  return complete;
}

}  // namespace

void FileEntry::SetCabinetTempFolder(const std::string& folder) {
  CabinetTempFolder() = folder;
}

const std::string& FileEntry::GetCabinetTempFolder() {
  return CabinetTempFolder();
}

void ApplyBglHeaderBox(BglFileRecord& record, const uint8_t* image, uint32_t size) {
  const BglImage view(image, size);
  const uint16_t format = view.U16(0);
  if (format == kBglSectionFormatWord) {
    record.latMin = -90;
    record.latMax = 90;
    record.lonMin = 0;
    record.lonMax = 0;
    return;
  }
  const double north = view.I32(2) * kBglMetresToDegrees;
  const double south = view.I32(6) * kBglMetresToDegrees;
  if (north == 0 && south == 0) {
    record.latMin = -90;
    record.latMax = 90;
  } else {
    record.latMax = static_cast<float>(north);
    record.latMin = static_cast<float>(south);
  }
  record.lonMax = static_cast<float>(view.I32(10) * kBglAngleToDegrees);
  record.lonMin = static_cast<float>(view.I32(14) * kBglAngleToDegrees);
}

void FileEntry::LoadBglFile(CSceneryDatabase& db, const std::string& path) const {
  // Read once, whatever its form: mapping the file only to look at its first bytes would make
  // every unmap stop the other cores of the process, which compile areas of their own.
  FileImage image;
  if (!ReadPlain(path, image)) return;
  uint32_t decodedSize = 0;
  const int compressed = DecodeCompressedBgl(image.plain.get(), image.size, &decodedSize, &image.decoded);
  if (compressed == kCbglOk) {
    image.plain.reset();
    image.size = decodedSize;
  } else if (compressed != kCbglNotCompressed) {
    return;
  }
  // A decoded file may come out shorter than a header.
  if (image.size < kBglMinFileSize) return;

  BglFileRecord fresh;
  fresh.subfolderText = -1;
  fresh.fileNameText = -1;
  const int areas = db.m_areas.GetSize();
  const int index = db.m_files.Add(fresh, areas > 0 ? &db.m_areas[areas - 1].fileEnd : nullptr);
  db.m_files[index].fileSize = size;
  db.m_files[index].fileTime = lastWrite;
  ApplyBglHeaderBox(db.m_files[index], image.Data(), image.size);

  uint16_t format;
  std::memcpy(&format, image.Data(), sizeof format);
  try {
    if (format == kBglSectionFormatWord) {
      ParseSectionBgl(db.m_files[index], db, image.Data(), image.size);
    } else if (format >= kBglOldFormatFirst && format <= kBglOldFormatLast) {
      ParseOldBgl(db.m_files[index], db, image.Data(), image.size);
    }
  } catch (const BglParseError&) {
    // A broken file keeps what was read before the fault; the build goes on with the next.
  }
  // Named even after a fault, so the file is still known by its identity to later passes.
  db.m_files[index].subfolderText = db.AddString(subfolder);
  db.m_files[index].fileNameText = db.AddString(name);
}

bool FileEntry::LoadBglEntry(CSceneryDatabase& db, win::AutoResetEvent* abortEvent) const {
  if (fullPath.size() >= 4 &&
      CompareFileNameNoCase(std::string_view(fullPath).substr(fullPath.size() - 4), ".cab") == 0) {
    CCabinetReader reader;
    reader.SetTempFolder(GetCabinetTempFolder());
    reader.SetRequestedMember(subfolder + name);
    if (reader.Copy(fullPath, 1)) {
      LoadBglFile(db, reader.GetTempFile());
    }
    reader.RemoveTempFile();
  } else {
    LoadBglFile(db, fullPath);
  }
  return !(abortEvent != nullptr && abortEvent->Wait(0));
}

void AddComPoint(CSceneryDatabase& db, double lat, double lon, double course, const ComRecord& com) {
  double comLat = 0;
  double comLon = 0;
  DestinationPoint(comLat, comLon, lat, lon, course, kComPointOffsetMetres);
  NavPoint point(comLat, comLon, kKindCom, 1);
  db.AddPoint(comLat, comLon, point, &com);
}
