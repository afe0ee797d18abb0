#pragma once

#include <cstddef>

// Binary search over a sorted array that returns the FIRST of a run of equal elements, so an
// ident that occurs several times is found at the start of its run; null when none is equal.
// `compare` is called as compare(key, element).
const void* FindFirstMatch(const void* key, const void* base, size_t count, size_t width,
                           int (*compare)(const void*, const void*));
