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
