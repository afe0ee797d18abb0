#pragma once

// Writers of simulator roots for demonstrations, tests and benchmarks: the scenery
// configuration, scenery areas of section-format files (plain, compressed and in a cabinet) and
// of old-format files, the program folder with its profile and the five navigation text files.
//
// Layout: <root>/Scenery.cfg, <root>/Scenery/..., <root>/Modules/Chartwright/Bin/ (profile and
// text files); the database is built into <root>/Modules/Chartwright/. The Swiss sample's root is
// also the Wine prefix of its simulator (dosdevices, drive_c), holding the simulator's own
// configuration in the application-data folder of the user who wrote it.

#include <filesystem>
#include <string>

namespace sampleroot {

// Program folder of a root in the layout above.
std::filesystem::path ProgramFolder(const std::filesystem::path& root);
std::filesystem::path DatabaseFolder(const std::filesystem::path& root);

// Writes the Swiss sample: a dozen airports with their runways, ILS, VOR, NDB, intersections,
// airways and airspaces in four areas, and an old-format area with more navaids, airfields
// named by their labels and the world's magnetic variation (World Magnetic Model 2025), and the
// stored SIDs and STARs of Geneva and Zurich in <root>/Modules/Chartwright/SidStar/, and the
// simulator's configuration saying that it reports true airspeed. False with a reason when a file
// cannot be written (a cabinet needs the gcab program).
bool WriteSampleSimRoot(const std::filesystem::path& root, std::string& error);

// Sizes of the synthetic world root.
struct WorldRootCounts {
  int airports = 25000;       // each with one or two runways
  int beacons = 11000;        // VORs and NDBs at random places, half each
  int intersections = 120000; // plain ones, on no airway
  // About this many segments of one connected network of crossing low and high airways; about
  // three junctions in ten are VORs and NDBs besides the beacons above.
  int airwaySegments = 40000;
  int airspaces = 2000;
  int files = 300;            // scenery files, spread over the areas
  int areas = 12;
  // One more area of old-format files: VORs, NDBs and ATIS frequencies beside the above, and
  // the magnetic variation grid.
  int classicBeacons = 2000;
  int classicFiles = 4;
  // Mean bytes per scenery file of terrain data that the navigation build reads past, as the
  // bulk of a real installation is; each file gets between half and one and a half times this.
  int bulkBytes = 0;
};

// The world root grown to a whole simulator installation: at `fraction` 1, 20,000 scenery files
// in 48 areas holding about 1 GB, most of it terrain data, over the world's navigation data;
// a smaller fraction scales every count alike (and so builds the same kind of root smaller).
WorldRootCounts InstallationCounts(double fraction);

// Writes a world-scale synthetic root (deterministic: the same counts give the same bytes).
bool WriteWorldSimRoot(const std::filesystem::path& root, const WorldRootCounts& counts,
                       std::string& error);

}  // namespace sampleroot
