#include "platform/dplay/Config.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace dplay {

Config Config::FromEnvironment() {
  Config config;
  if (const char* port = std::getenv("CW_DPLAY_PORT")) {
    std::string_view text(port);
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size() && value <= 65535)
      config.port = static_cast<uint16_t>(value);
  }
  if (const char* lan = std::getenv("CW_DPLAY_LAN")) {
    std::vector<std::string> targets;
    std::string_view rest(lan);
    while (!rest.empty()) {
      const size_t comma = rest.find(',');
      std::string_view item = rest.substr(0, comma);
      while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
      while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
      if (!item.empty()) targets.emplace_back(item);
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    if (!targets.empty()) config.lanTargets = std::move(targets);
  }
  return config;
}

Config Config::ForTests() {
  Config config = FromEnvironment();
  config.port = 0;
  config.enumIntervalMs = 50;
  config.enumTimeoutMs = 150;
  // Long enough that a machine busy with parallel builds and tests does not lose a link.
  config.connectTimeoutMs = 1000;
  config.heartbeatIntervalMs = 50;
  config.linkTimeoutMs = 800;
  return config;
}

}  // namespace dplay
