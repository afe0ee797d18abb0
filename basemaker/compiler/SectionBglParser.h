#pragma once

// Reads airports (runways, starts, frequencies, parking, taxi paths, outlines), VOR/ILS, NDB,
// marker and scenery-object records of a section-format file into the current file record of
// an area database. Everything it reads goes through BglImage; a record that points outside
// the file raises BglParseError.

#include <cstdint>
#include <optional>

#include "basemaker/compiler/BglImage.h"
#include "basemaker/compiler/SectionBgl.h"
#include "navdb/Geodesy.h"

class CSceneryDatabase;

class SectionBglParser {
 public:
  SectionBglParser(CSceneryDatabase& db, const BglImage& image) : m_db(db), m_image(image) {}

  // All sections in the order names, airports, VOR/ILS, NDB, markers, objects.
  void Parse();

  void ProcessSections(uint32_t sectionType);
  void ParseNameList(uint64_t record);
  uint64_t ParseAirport(uint64_t record);
  // Returns the runway length in feet.
  uint32_t ParseRunway(uint64_t record);
  uint64_t ParseVorIls(uint64_t record);
  uint64_t ParseNdb(uint64_t record);
  uint64_t ParseMarker(uint64_t record);
  void ParseSceneryObject(uint64_t record);

  const CBglNameList& Names() const { return m_names; }

 private:
  struct AirportScan;
  // The sub-records of an airport record, one reader each.
  void ScanGroundBand(uint64_t firstSub, uint64_t end, AirportScan& airport);
  void ReadAirportRunway(uint64_t sub, AirportScan& airport);
  void ReadAirportStart(uint64_t sub, AirportScan& airport);
  void ReadAirportFrequency(uint64_t sub, AirportScan& airport);
  void ReadAirportParking(uint64_t sub, AirportScan& airport);
  void ReadTaxiPaths(uint64_t sub, AirportScan& airport);
  void ReadAirportOutline(uint64_t sub, AirportScan& airport);
  void OpenAirportGroup(AirportScan& airport);
  void AddAirportPoint(const AirportScan& airport);
  bool TaxiPoint(uint64_t list, uint32_t index, double& lat, double& lon) const;

  uint32_t RecordSize(uint64_t record) const;
  int32_t NameText(uint64_t subRecord);
  int32_t FirstNameSubRecord(uint64_t record, uint64_t firstSub);
  void AddObjectGroup(float latMin, float latMax);
  void AddObject(uint8_t flags, double lat, double lon, uint8_t layer);
  void AddVertex(double refLat, double refLon, double lat, double lon);

  CSceneryDatabase& m_db;
  const BglImage& m_image;
  CBglNameList m_names;
  std::optional<ParallelDistance> m_vertexParallel;
  double m_vertexParallelLat = 0;
};

// A whole file image into the last file record of `db` (used by the loader, fuzzing, benches).
void ParseSectionBglImage(CSceneryDatabase& db, const uint8_t* image, uint64_t size);
