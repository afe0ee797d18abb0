#pragma once

// The images of the tool buttons that stand for something the map shows: each is drawn by the
// map's own layer painters over a small scene of its own (a VOR, an NDB, an airway between two
// fixes, the aircraft...), so a button looks like what it switches on or works with. Images
// are drawn at any scale: the scene keeps its logical size and the device resolution grows.

#include <cstdint>
#include <optional>
#include <vector>

struct ToolImage {
  int width = 0;
  int height = 0;
  // Straight (not premultiplied) RGBA, row after row from the top.
  std::vector<uint8_t> rgba;
};

// The image of `command` at `width` x `height` device pixels on a screen of `scale` times 96
// dpi; nothing for a command the map has no picture of.
std::optional<ToolImage> MapToolImage(int command, int width, int height, int scale);

// The drawn image of a common command that is no planner's own: the zoom commands' magnifier
// with its plus or minus; nothing for other commands.
std::optional<ToolImage> FallbackToolImage(int command, int width, int height, int scale);

// True when the image has a pixel that is not fully transparent.
bool HasInk(const ToolImage& image);
