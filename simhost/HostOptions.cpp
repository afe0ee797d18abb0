#include "simhost/HostOptions.h"

#include <charconv>
#include <cmath>

namespace simhost {
namespace {

bool ParseNumber(const std::string& text, double& out) {
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end && std::isfinite(out);
}

bool ParseStart(const std::string& text, AircraftStart& start) {
  double v[5];
  size_t from = 0;
  for (int i = 0; i < 5; ++i) {
    const size_t comma = text.find(',', from);
    if ((comma == std::string::npos) != (i == 4)) return false;
    if (!ParseNumber(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from), v[i]))
      return false;
    from = comma + 1;
  }
  if (std::fabs(v[0]) > 90 || std::fabs(v[1]) > 180 || v[4] < 0) return false;
  start = {v[0], v[1], v[2], v[3], v[4]};
  return true;
}

bool ParseUnsigned(const std::string& text, uint32_t max, uint32_t& out) {
  const char* end = text.data() + text.size();
  uint32_t v = 0;
  const auto [p, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || p != end || text.empty() || v > max) return false;
  out = v;
  return true;
}

// "PILOTS,OBSERVERS" within what the simulator seats: at least 2 pilots, at most 16 players.
bool ParseLimits(const std::string& text, uint32_t& pilots, uint32_t& observers) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  uint32_t p = 0, o = 0;
  if (!ParseUnsigned(text.substr(0, comma), 16, p) || !ParseUnsigned(text.substr(comma + 1), 16, o)) return false;
  if (p < 2 || p + o > 16) return false;
  pilots = p;
  observers = o;
  return true;
}

}  // namespace

std::optional<HostOptions> ParseHostOptions(const std::vector<std::string>& args, std::string& error) {
  HostOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--load-only") {
      o.loadOnly = true;
    } else if (a == "--sim-version" && hasValue) {
      const std::string& v = args[++i];
      if (v == "61" || v == "70" || v == "80" || v == "90") {
        o.simVersion = std::stoi(v);
      } else {
        error = "unknown simulator version: " + v;
        return std::nullopt;
      }
    } else if (a == "--mp-host" || a.rfind("--mp-host=", 0) == 0) {
      uint32_t port = 0;
      if (a.size() > 9 && !ParseUnsigned(a.substr(10), 65535, port)) {
        error = "bad multiplayer port: " + a.substr(10);
        return std::nullopt;
      }
      o.mpPort = static_cast<uint16_t>(port);
    } else if (a == "--mp-password" && hasValue) {
      o.mpPassword = args[++i];
    } else if (a == "--mp-limits" && hasValue) {
      if (!ParseLimits(args[++i], o.mpPilotLimit, o.mpObserverLimit)) {
        error = "bad multiplayer limits (pilots of 2 or more, at most 16 players): " + args[i];
        return std::nullopt;
      }
    } else if (a == "--time-scale" && hasValue) {
      double scale = 0;
      if (!ParseNumber(args[++i], scale) || !(scale > 0) || scale > kMaxTimeScale) {
        error = "bad time scale (more than 0, at most " + std::to_string(static_cast<int>(kMaxTimeScale)) +
                "): " + args[i];
        return std::nullopt;
      }
      o.timeScale = scale;
    } else if (a == "--root" && hasValue) {
      o.root = args[++i];
    } else if (a == "--start" && hasValue) {
      if (!ParseStart(args[++i], o.start)) {
        error = "bad start position: " + args[i];
        return std::nullopt;
      }
    } else {
      error = "unknown option or missing value: " + a;
      return std::nullopt;
    }
  }
  return o;
}

int SimVersionFromFileVersion(int major, int minor) { return major * 10 + minor / 10; }

}  // namespace simhost
