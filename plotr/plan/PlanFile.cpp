#include "plotr/plan/PlanFile.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/archive/DiskFile.h"
#include "platform/archive/Exceptions.h"
#include "platform/archive/File.h"
#include "platform/flpx/Flpx.h"
#include "plotr/plan/DatabaseAccess.h"
#include "plotr/plan/Units.h"

namespace {

// Kind codes that plan files of versions 100 to 103 use.
uint16_t OldKindOf(uint16_t kind, bool& isIntersection) {
  isIntersection = false;
  switch (kind) {
    case kKindNdb: return 1;
    case kKindVor: return 4;
    case kKindIls: return 2;
    case kKindAirport: return 8;
    case kKindRunway: return 128;
    case kKindIntersection: isIntersection = true; return 0x2000;
    default: return 0x2000;
  }
}

uint16_t KindFromOld(uint16_t stored) {
  switch (stored) {
    case 1: return kKindNdb;
    case 2: return kKindIls;
    case 4: return kKindVor;
    case 8: return kKindAirport;
    case 16: case 32: case 64: return kKindMarker;
    case 128: return kKindRunway;
    case 256: return kKindCom;
    case 512: return kKindIntersection;
    default: return kKindUserPoint;
  }
}

// Version 100 stored true airspeeds; they are read as indicated ones rounded to tens.
int32_t IndicatedFromOld(int32_t tas, double altitude) {
  const unsigned ias = TasToIas(tas, altitude);
  return static_cast<int32_t>((ias + 5) / 10 * 10);
}

const char* NameOr(const FlpxAirportInfo& block, const char* fallback) {
  return block.present ? block.name : fallback;
}

// Bounded reads of one file: every section is checked against the file's length in 64-bit
// arithmetic before a byte is allocated for it, so plans received from other players cannot
// make the loader read or allocate past what the file holds.
class PlanFileReader {
 public:
  explicit PlanFileReader(archive::File& file) : m_file(file), m_length(file.GetLength()) {}

  [[noreturn]] void Reject() const {
    throw archive::ArchiveException(archive::ArchiveException::badIndex, m_file.GetFileName());
  }

  uint64_t Length() const { return m_length; }

  void ReadAt(uint64_t offset, void* buffer, uint64_t size) {
    if (offset > m_length || size > m_length - offset) Reject();
    m_file.Seek(static_cast<int64_t>(offset), archive::SeekFrom::begin);
    if (m_file.Read(buffer, static_cast<size_t>(size)) != size) Reject();
  }

  std::vector<uint8_t> ReadSection(const PlanFileSection& section, uint64_t elementSize) {
    const uint64_t size = static_cast<uint64_t>(section.count) * elementSize;
    std::vector<uint8_t> bytes;
    if (size == 0) return bytes;
    if (section.offset > m_length || size > m_length - section.offset) Reject();
    bytes.resize(static_cast<size_t>(size));
    ReadAt(section.offset, bytes.data(), size);
    return bytes;
  }

 private:
  archive::File& m_file;
  uint64_t m_length;
};

}  // namespace

void CRoute::Save(archive::File& file, const FlpxPlanInfo& info, uint16_t format) const {
  const bool old = format == kPlanFormatOld;
  const uint32_t n = static_cast<uint32_t>(m_points.size());

  std::vector<PlanFilePoint> points(n);
  std::vector<uint8_t> extras(static_cast<size_t>(n) * kPlanPointExtraSize);
  {
    DatabaseLease lease;
    for (uint32_t i = 0; i < n; ++i) {
      const PlanPoint& p = m_points[i];
      PlanFilePoint& out = points[i];
      out.kind = static_cast<uint16_t>(p.Kind() & ~3u);
      out.latitude = p.ref.point.latitude;
      out.longitude = p.ref.point.longitude;
      PlanPoint extra = p;
      if (old) {
        bool isIntersection = false;
        out.kind = OldKindOf(out.kind, isIntersection);
        if (isIntersection) {
          // Older readers know no intersections: they get a user fix named after it.
          std::memset(extra.userName, 0, sizeof extra.userName);
          if (const IntersectionRecord* r = lease.Database().GetIntersection(p.ref.point)) {
            SetFixedText(extra.userName, sizeof extra.userName, r->Ident());
          }
        }
        extra.flags &= ~(kPointAutoRoute | kPointFlyOver | kPointAltitudeOption | kPointSpeedOption);
      }
      std::memcpy(&extras[static_cast<size_t>(i) * kPlanPointExtraSize],
                  reinterpret_cast<const uint8_t*>(&extra) + kPlanPointExtraOffset, kPlanPointExtraSize);
    }
  }

  PlanFileHeader header;
  header.version = old ? kPlanFormatOld : kPlanFormatCurrent;
  const std::string aircraft(FixedText(info.aircraftName, sizeof info.aircraftName));
  const std::string from(FixedText(NameOr(info.departure, "Unknown"), sizeof info.departure.name));
  const std::string to(FixedText(NameOr(info.arrival, "Unknown"), sizeof info.arrival.name));
  std::snprintf(header.title, sizeof header.title, "%s to %s - Aircraft: %s", from.c_str(), to.c_str(),
                aircraft.c_str());
  const uint32_t profileOffset = sizeof(PlanFileHeader);
  const uint32_t pointOffset = profileOffset + sizeof(AircraftProfile);
  const uint32_t extraOffset = pointOffset + n * static_cast<uint32_t>(sizeof(PlanFilePoint));
  const uint32_t cruiseOffset = extraOffset + n * static_cast<uint32_t>(kPlanPointExtraSize);
  header.profile = {profileOffset, 1};
  header.points = {pointOffset, n};
  header.pointFlags = {0, 0};
  header.cruise = {cruiseOffset, 1};
  header.extras = {extraOffset, n};
  header.length = static_cast<uint32_t>(PlanFileLength(n));

  file.Seek(0, archive::SeekFrom::begin);
  file.Write(&header, sizeof header);
  file.Seek(profileOffset, archive::SeekFrom::begin);
  file.Write(&m_profile, sizeof m_profile);
  file.Seek(pointOffset, archive::SeekFrom::begin);
  file.Write(points.data(), points.size() * sizeof(PlanFilePoint));
  file.Seek(extraOffset, archive::SeekFrom::begin);
  file.Write(extras.data(), extras.size());
  file.Seek(cruiseOffset, archive::SeekFrom::begin);
  file.Write(&m_cruise, sizeof m_cruise);
}

int CRoute::Load(uint16_t& format, archive::File& file) {
  // Everything is read and checked before the route changes, so a rejected file leaves it whole.
  PlanFileReader reader(file);
  PlanFileHeader header;
  file.Seek(0, archive::SeekFrom::begin);
  if (file.Read(&header, sizeof header) != sizeof header) reader.Reject();
  if (header.length != reader.Length() || header.magic[0] != 'F' || header.magic[1] != 'P' ||
      header.version < kPlanFileOldestVersion || header.version > kPlanFormatCurrent) {
    reader.Reject();
  }
  const uint16_t version = header.version;

  AircraftProfile profile;
  if (header.profile.count != 0) {
    reader.ReadAt(header.profile.offset, &profile, sizeof profile);
  }
  const std::vector<uint8_t> pointBytes = reader.ReadSection(header.points, sizeof(PlanFilePoint));
  const std::vector<uint8_t> flagBytes = reader.ReadSection(header.pointFlags, kPlanFileFlagSize);
  // Only one cruise block exists whatever the count says; the rest is not ours to read.
  RouteCruise cruise;
  if (header.cruise.count != 0) {
    reader.ReadAt(header.cruise.offset, &cruise, sizeof cruise);
  }
  const std::vector<uint8_t> extraBytes = reader.ReadSection(header.extras, kPlanPointExtraSize);

  DatabaseLease lease;
  Clear(format);

  if (header.profile.count != 0) {
    profile.name[sizeof profile.name - 1] = '\0';
    if (version == 100) {
      profile.SetFuelUnit(0);
      profile.climbSpeed = IndicatedFromOld(profile.climbSpeed, profile.cruiseAltitude);
      profile.cruiseSpeed = IndicatedFromOld(profile.cruiseSpeed, profile.cruiseAltitude);
      profile.descentSpeed = IndicatedFromOld(profile.descentSpeed, 0);
    }
    ReadAircraftSection(AircraftIniPath(), profile.Name(), profile);
    if (profile.descentSpeed > profile.climbSpeed) {
      profile.descentSpeed = profile.climbSpeed;
    }
    m_profile = profile;
  }

  const size_t pointCount = pointBytes.size() / sizeof(PlanFilePoint);
  const size_t flagCount = flagBytes.size() / kPlanFileFlagSize;
  const size_t extraCount = extraBytes.size() / kPlanPointExtraSize;
  for (size_t i = 0; i < pointCount; ++i) {
    PlanFilePoint record;
    std::memcpy(&record, &pointBytes[i * sizeof record], sizeof record);
    PlanPoint point;
    point.ref.point.latitude = record.latitude;
    point.ref.point.longitude = record.longitude;
    uint16_t kind = record.kind;
    if (version <= kPlanFormatOld) {
      kind = KindFromOld(kind);
    }
    if (version < kPlanFormatCurrent && (kind & (kKindMarker | kKindCom)) != 0) {
      kind = kKindUserPoint;
    }
    point.ref.point.kind = kind;
    if (i < extraCount) {
      ApplyPlanPointExtra(point, std::span<const uint8_t, kPlanPointExtraSize>(
                                     &extraBytes[i * kPlanPointExtraSize], kPlanPointExtraSize));
    }
    if ((kind & (kKindNdb | kKindVor | kKindIls)) != 0 && i < flagCount) {
      uint32_t flag = 0;
      std::memcpy(&flag, &flagBytes[i * kPlanFileFlagSize], sizeof flag);
      if (flag & kPlanFileBearingFlag) point.flags |= kPointBearing;
    }
    if ((kind & kKindUserPoint) != 0) {
      FullPoint found;
      if (Resolve(found, point.ref.point)) {
        point.ref = found;
      } else {
        MakeUserPoint(point.ref.point, record.latitude, record.longitude);
      }
    } else if (version <= 102 && kind == kKindIls) {
      // Old plans put a runway's approach under its ILS; the runway end itself is meant.
      FullPoint found;
      double radius = kRevalidateRadius;
      if (FindObject(found, radius, record.latitude, record.longitude, kKindIls | kKindRunway, false)) {
        point.ref = found;
        if (found.point.kind == kKindRunway && point.IsBearing()) continue;
      }
    }
    AddPoint(point);
  }

  if (header.cruise.count == 0) {
    cruise = {m_profile.cruiseSpeed, m_profile.cruiseAltitude, m_profile.cruiseAltitude};
  } else if (version == 100) {
    const int mean = static_cast<int>((static_cast<int64_t>(cruise.altitude1) + cruise.altitude2) / 2);
    cruise.speed = IndicatedFromOld(cruise.speed, mean);
  }
  if (cruise.speed > m_profile.cruiseSpeed) cruise.speed = m_profile.cruiseSpeed;
  m_cruise = cruise;
  if (MeanCruiseAltitude() > CruiseAltitudeCap()) {
    m_cruise.altitude1 = m_cruise.altitude2 = CruiseAltitudeCap();
  }

  format = version == kPlanFormatOld ? kPlanFormatOld : kPlanFormatCurrent;
  return Revalidate();
}

void SavePlanFile(const CRoute& route, const std::filesystem::path& path, const FlpxPlanInfo& info, uint16_t format) {
  archive::DiskFile file(path, archive::DiskFile::modeReplaceOnClose);
  try {
    route.Save(file, info, format);
    file.Close();
  } catch (...) {
    file.Abort();
    throw;
  }
}
