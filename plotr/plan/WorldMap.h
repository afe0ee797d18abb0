#pragma once

// The coastline map that the plan object carries as its second base. Loaded with the plan
// object; the plan rows never read it.

class CWorldMap {
 public:
  CWorldMap() = default;
};
