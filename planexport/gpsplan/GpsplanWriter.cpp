#include "planexport/gpsplan/GpsplanWriter.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "planexport/common/Coordinates.h"

namespace {

bool IsVertical(char type) { return type >= 'Q' && type <= 'V'; }

bool PrintPosition(CExportFile& file, double value, char positive, char negative) {
  const FlpxDegMin d = SplitDegrees(value);
  return file.Print("%c%3d* %0.2fm\n", d.negative ? negative : positive, d.degrees, d.minutes);
}

bool WriteRecord(CExportFile& file, const FlpxWaypoint& w, bool first) {
  const std::string ident(FieldText(w.ident));
  const std::string name(FieldText(w.name));
  const char type = w.type;
  const double frequency = w.frequency;
  const bool ok = type == 'C' ? file.Print("R %.3s\n", ident.c_str()) : file.Print("%.5s\n", ident.c_str());
  if (!ok) return false;
  bool line2;
  if (type == 'N') {
    line2 = file.Print("%-14s%06.1f\n", GpsplanShortName(name).c_str(), frequency);
  } else if ((type != '\0' && std::strchr("IKLMGH", type)) || (type == 'C' && !first)) {
    line2 = file.Print("%-14s%05.2f\n", GpsplanShortName(name).c_str(), frequency);
  } else {
    line2 = file.Print("%.20s\n", name.c_str());
  }
  return line2 && PrintPosition(file, w.longitude, 'E', 'W') && PrintPosition(file, w.latitude, 'N', 'S') &&
         file.Print("\n");
}

}  // namespace

std::string GpsplanShortName(std::string_view name) {
  std::string s(name);
  while (s.size() >= 14) {
    const size_t blank = s.rfind(' ');
    s.resize(blank != std::string::npos && blank >= 6 ? blank : 13);
  }
  return s;
}

int WriteGpsplanProgram(const FlpxPlanSource& plan, CExportFile& file) {
  FlpxWaypoint w;
  bool first = true;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext, first = false) {
    if (IsVertical(w.type)) continue;
    if (!WriteRecord(file, w, first)) return 0;
  }
  return 1;
}

std::string GpsplanSharedMemoryName() {
  const char* name = std::getenv("CW_GPSPLAN_SHM");
  return name && name[0] == '/' ? name : kGpsplanSharedMemory;
}

bool SignalGpsplanReload() {
  // Only ever the add-on's own object: creating it would leave a stale one behind.
  const int fd = ::shm_open(GpsplanSharedMemoryName().c_str(), O_RDWR, 0);
  if (fd < 0) return false;
  bool done = false;
  struct stat st {};
  const size_t end = kGpsplanReloadFlagOffset + sizeof(uint32_t);
  if (::fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(end)) {
    void* view = ::mmap(nullptr, end, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view != MAP_FAILED) {
      const uint32_t reload = 1;
      std::memcpy(static_cast<char*>(view) + kGpsplanReloadFlagOffset, &reload, sizeof reload);
      ::msync(view, end, MS_SYNC);
      ::munmap(view, end);
      done = true;
    }
  }
  ::close(fd);
  return done;
}

int ExportGpsplan(const FlpxCall& call) {
  FlpxWaypoint first;
  if (!call.Source().Waypoint(kFlpxMoveFirst, first)) return 0;
  const bool toFile = call.SwitchOn("ToFile", "0");
  std::string path;
  if (!toFile) {
    if (!FlpxPathAbove(call.settingsPath, 3, "Gpsplan.dat", path)) return 0;
  } else {
    if (std::count(call.settingsPath, call.settingsPath + std::strlen(call.settingsPath), '/') < 4) return 0;
    const FlpxAsked asked = FlpxAskTarget(call, FlpxTarget{"prg", "prg", "", true}, path);
    if (asked != FlpxAsked::Path) return FlpxNoPathResult(asked);
  }
  const int result = FlpxWriteTarget(path, [&](CExportFile& file) { return WriteGpsplanProgram(call.Source(), file); });
  // Raised only once the complete file is in place, so the add-on never reloads a partial one.
  if (result == 1 && !toFile) SignalGpsplanReload();
  return result;
}
