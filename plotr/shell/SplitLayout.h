#pragma once
// How a splitter shares its length among its rows (or columns), without windows. Every span
// has a minimum, an ideal and a current size; a bar of `gap` pixels lies between neighbours.

#include <vector>

struct SplitSpan {
  int minimum = 0;
  int ideal = 0;
  int current = 0;
};

// Sets the current sizes from the ideal ones: spans are placed in order, each at its ideal
// size or the room left when that is less; a span whose ideal is below its minimum is
// collapsed to 0; a span after the first that does not get its minimum is collapsed, its room
// staying with the one before; the last span takes the rest.
void LayoutSpans(std::vector<SplitSpan>& spans, int length, int gap);

// Size changes: mode 0 leaves the ideals (the last span absorbs the change); mode 1 keeps every
// span but the first at its current size while room allows (the first absorbs the change);
// mode 2 scales every span but the last by new / old length. A new length of 0 changes nothing.
void ResizeSpans(std::vector<SplitSpan>& spans, int mode, int oldLength, int newLength, int gap);

// What a key press on the split window does, so the simulator keeps its keyboard: `forward`
// sends it to the top-level frame (first), `handle` lets the window's default handling have it.
struct SplitKeyRoute {
  bool forward = false;
  bool handle = false;
};
enum class SplitKey { kCancel, kNavigation, kReturnOrBack, kOther };
SplitKeyRoute RouteSplitKey(SplitKey key, bool floating, bool shift);
