#include "basemaker/app/FindFirstMatch.h"

#include <cstdlib>

const void* FindFirstMatch(const void* key, const void* base, size_t count, size_t width,
                           int (*compare)(const void*, const void*)) {
  if (base == nullptr || count == 0 || width == 0) return nullptr;
  const char* found = static_cast<const char*>(std::bsearch(key, base, count, width, compare));
  if (found == nullptr) return nullptr;
  const char* first = static_cast<const char*>(base);
  while (found > first && compare(key, found - width) == 0) found -= width;
  return found;
}
