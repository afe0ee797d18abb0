#include "planexport/netplanc/NetplancWriter.h"

#include <string>

namespace {

const char* const kKeys[] = {"CrossingSpeed", "CrossingAltitude", "AltitudeAfter", "HeadingAfter"};

// The letter a route point is written with; 0 for a record that is not one.
char RouteLetter(char type) {
  switch (type) {
    case 'I':
    case 'K':
    case 'L':
    case 'M': return 'V';
    case 'N': return 'N';
    case 'O': return 'I';
    default: return 0;
  }
}

double CruiseSpeed(const FlpxPlanSource& plan) {
  double cruise = 0;
  FlpxWaypoint w;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, w); move = kFlpxMoveNext) {
    const double tas = w.trueAirspeed;
    if (RouteLetter(w.type) && w.ident[0] != '\0' && tas > cruise) cruise = tas;
  }
  return cruise;
}

}  // namespace

NetplancOptions ReadNetplancOptions(const FlpxCall& call) {
  NetplancOptions o;
  o.crossingSpeed = call.SwitchOn(kKeys[0], "1");
  o.crossingAltitude = call.SwitchOn(kKeys[1], "1");
  o.altitudeAfter = call.SwitchOn(kKeys[2], "1");
  o.headingAfter = call.SwitchOn(kKeys[3], "1");
  return o;
}

void WriteNetplancOptions(const FlpxCall& call, const NetplancOptions& options) {
  call.WriteSwitch(kKeys[0], options.crossingSpeed);
  call.WriteSwitch(kKeys[1], options.crossingAltitude);
  call.WriteSwitch(kKeys[2], options.altitudeAfter);
  call.WriteSwitch(kKeys[3], options.headingAfter);
}

int WriteNetplancRoute(const FlpxPlanSource& plan, const FlpxPlanInfo& info, const NetplancOptions& options,
                       CExportFile& file) {
  const double cruise = CruiseSpeed(plan);
  if (!file.Print("%.5s:%.5s:%0.0f\n", std::string(FieldText(info.departure.ident)).c_str(),
                  std::string(FieldText(info.arrival.ident)).c_str(), cruise)) {
    return 0;
  }
  // A route point waits for the record after it, whose heading is the heading after the fix.
  FlpxWaypoint pending, current;
  bool havePending = false;
  for (int move = kFlpxMoveFirst; plan.Waypoint(move, current); move = kFlpxMoveNext) {
    if (havePending) {
      const double speed = pending.manualSpeed;
      const double altitude = pending.altitude1;
      const double after = pending.altitude2;
      const double heading = current.heading;
      if (!file.Print("%c:%-5.5s:%0.6f:%0.6f:%0.0f:%0.0f:%0.0f:%0.0f\n", RouteLetter(pending.type),
                      std::string(FieldText(pending.ident)).c_str(), pending.latitude, pending.longitude,
                      options.crossingSpeed ? speed : 0.0, options.crossingAltitude ? altitude : 0.0,
                      options.altitudeAfter ? after : 0.0, options.headingAfter ? heading : 0.0)) {
        return 0;
      }
      havePending = false;
    }
    if (RouteLetter(current.type)) {
      pending = current;
      havePending = true;
    }
  }
  return file.Print("\n") ? 1 : 0;
}

int ExportNetplanc(const FlpxCall& call) {
  std::string path;
  const FlpxAsked asked = FlpxAskTarget(call, FlpxTarget{"sbp", "sbp", "", true}, path);
  if (asked != FlpxAsked::Path) return FlpxNoPathResult(asked);
  const NetplancOptions options = ReadNetplancOptions(call);
  FlpxPlanInfo info;
  if (!call.Source().PlanInfo(info)) return 0;
  const uint32_t departure = info.departure.present;
  const uint32_t arrival = info.arrival.present;
  if (!departure || !arrival) return 0;
  return FlpxWriteTarget(path,
                         [&](CExportFile& file) { return WriteNetplancRoute(call.Source(), info, options, file); });
}
