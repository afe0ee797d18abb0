#pragma once

// What the map view's source files share: the clock and the layer switches kept in the
// settings. Only the view's own files include this.

#include <chrono>
#include <cstdint>

namespace scenview {

inline uint64_t NowMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// The setting behind a layer toggle pair, and its write (the keyed ones go to the profile).
bool SettingOfPair(int pair);
void WritePair(int pair, bool value);

}  // namespace scenview
