#pragma once

// Walks a scenery command stream of an old-format file along every path it could take, without
// drawing anything, and keeps what the planner shows: runway ends with their designators,
// ground footprints of airport surfaces, and pilot-controlled-lighting frequencies.

#include <cstddef>
#include <cstdint>

class CSceneryDatabase;
class OldBglView;

// Runway command layouts: opcode 68 (fixed 64 bytes) and opcode 170 (with its own length).
enum class RunwayLayout { kFixed, kSized };

// Interprets the stream [start, end). `newGroup` is the caller's flag: while it is set, the
// first object found opens an object group with the two band values (degrees) and clears it.
// The reference position (degrees) places objects and frequency points until a command moves
// it. Every path ends at the stream's end, at a command that does not fit, at a jump out of the
// stream and at a command already interpreted, so any byte sequence terminates.
void InterpretSceneryCommands(CSceneryDatabase& db, uint8_t& newGroup, double bandFirst,
                              double bandSecond, double refLatitude, double refLongitude,
                              const uint8_t* start, const uint8_t* end);

// Adds the two runway-end points of one runway command. `command` must hold the whole layout
// (64 bytes for kFixed, 34 for kSized); only the low byte of `layer` counts.
void AddRunwayEnds(CSceneryDatabase& db, const OldBglView& command, RunwayLayout layout, int layer);
