#pragma once

// AIRSPACE.txt: one boundary edge per line. Consecutive lines of one airspace are grouped,
// checked for consistency and stored as an outline with its vertices; the two airspace types
// that the map labels also get a labelled point.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "basemaker/compiler/NavTextFile.h"
#include "navdb/Records.h"

class CSceneryDatabase;
class CTextLineReader;

// Southernmost latitude a boundary point keeps; the pole itself has no longitude.
inline constexpr double kAirspaceSouthLimit = -89.9999;

// One line of AIRSPACE.txt, parsed; the texts are views into the line.
struct AirspaceLine {
  int type = 0;           // field 1, low four bits
  std::string_view ident; // field 2 as written
  std::string_view name;  // field 3 as written
  char levelA = 0;      // field 4, first character
  char levelB = 0;      // field 5
  char classLetter = 0; // field 6, 0 when empty
  int sequence = 0;     // field 7
  double startLat = 0;  // fields 8-11, latitudes raised to the south limit
  double startLon = 0;
  double endLat = 0;
  double endLon = 0;
  char edgeLetter = 0;  // field 12
  std::string_view callSign;  // field 13 as written
  float frequency1 = 0; // fields 14, 15 in MHz
  float frequency2 = 0;
  VertexExtra arc;      // fields 17-19
};

// Parses one line of 20 fields (modified in place). False when a field is absent or a comment.
bool ParseAirspaceFields(char* line, AirspaceLine& out);

// A frequency field in MHz: a value followed by K (after blanks) is in kHz; MHz values are cut
// to whole tens of kHz with a margin for text such as 128.325.
float ParseAirspaceFrequency(const char* field);

// Vertex edge type of an edge letter (A 0, B 1, C 2, G 3, H 4, L 5, R 6), -1 for any other.
int AirspaceEdgeType(char letter);
// Level value of a level letter (L 1, H 2, B 3), -1 for any other.
int AirspaceLevelValue(char letter);
// Class value of a class letter (none 0, A 1 .. G 7), -1 for any other.
int AirspaceClassValue(char letter);

// One airspace as the reader collected it.
struct AirspaceOutline {
  uint16_t classWord = 0;  // bits 0-3 type, 4-5 level A, 6-7 level B, 8-10 class
  std::string ident;       // at most 4 characters
  std::string name;        // at most 99
  std::string callSign;    // at most 99
  float frequency1 = 0;
  float frequency2 = 0;
  std::vector<AirspaceVertex> vertices;
  std::vector<VertexExtra> arcs;  // one per vertex
  float lastEndLat = 0;
  float lastEndLon = 0;
};

// Stores the outline as a shape of the last file record with its vertices (and the arc records
// of the edges that use them); an outline of several vertices that does not end on its first
// vertex is dropped. Types 3 and 8 also get a labelled airspace point. False when nothing was
// stored.
bool AddAirspaceShape(CSceneryDatabase& db, const AirspaceOutline& outline);

// Adds the file record and the airspaces of AIRSPACE.txt. A file that cannot be opened adds
// nothing and is no failure; false only when the build was aborted.
bool ReadAirspaceFile(const NavTextFile& file, CSceneryDatabase& db, const ReaderSignals& signals);
// The same over an opened source.
bool ReadAirspaceLines(CTextLineReader& lines, const NavTextFile& file, CSceneryDatabase& db,
                       const ReaderSignals& signals);
