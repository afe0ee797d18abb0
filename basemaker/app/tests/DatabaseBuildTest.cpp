#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/BuilderStrings.h"
#include "basemaker/app/DatabaseBuild.h"
#include "basemaker/compiler/SectionBgl.h"
#include "basemaker/compiler/tests/support/OldBglWriter.h"
#include "basemaker/compiler/tests/support/ScratchDir.h"
#include "basemaker/compiler/tests/support/SectionBglWriter.h"
#include "navdb/SceneryDatabase.h"
#include "navdb/tests/support/NavdbFixture.h"
#include "platform/win/Drives.h"
#include "navdb/Geodesy.h"
#include "tools/sample-simroot/MagneticModel.h"
#include "tools/sample-simroot/SampleSimRoot.h"
#include "tools/sample-simroot/SimRootBuild.h"

namespace fs = std::filesystem;

namespace {

// The window side of a build: queues the worker's messages and answers every prompt with the
// same button.
class PumpSink : public IBuildUiSink {
 public:
  explicit PumpSink(int answer) : m_answer(answer) {}
  // Called for each prompt instead of the fixed answer.
  std::function<int()> onPrompt;
  void PostBuildMessage(uint32_t message, uintptr_t wParam, intptr_t) override {
    {
      std::lock_guard lock(m_lock);
      m_queue.push_back({message, wParam});
    }
    m_ready.notify_one();
  }
  int ShowMessageBox(const std::string&, uint32_t) override {
    ++prompts;
    return onPrompt ? onPrompt() : m_answer;
  }
  std::pair<uint32_t, uintptr_t> Next() {
    std::unique_lock lock(m_lock);
    m_ready.wait(lock, [this] { return !m_queue.empty(); });
    auto m = m_queue.front();
    m_queue.pop_front();
    return m;
  }
  int prompts = 0;

 private:
  int m_answer;
  std::mutex m_lock;
  std::condition_variable m_ready;
  std::deque<std::pair<uint32_t, uintptr_t>> m_queue;
};

class DatabaseBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The temporary folder is the machine's: builds of other checkouts run these tests too.
    m_root = fs::path(::testing::TempDir()) / ("cw_seq_build_" + std::to_string(::getpid())) / info->name();
    fs::remove_all(m_root);
    std::string error;
    ASSERT_TRUE(sampleroot::WriteSampleSimRoot(m_root, error)) << error;
  }
  void TearDown() override { fs::remove_all(m_root.parent_path()); }

  BuildEnvironment Env(BuildReport* report) const {
    BuildEnvironment env;
    env.folders.simRoot = m_root;
    env.folders.programFolder = sampleroot::ProgramFolder(m_root);
    env.folders.databaseFolder = sampleroot::DatabaseFolder(m_root);
    env.simVer = m_simVer;
    env.report = report;
    env.compileWorkers = m_workers;
    return env;
  }
  CAreaList Areas() const {
    CAreaList areas;
    areas.ReadSceneryCfg(m_root, 90);
    return areas;
  }
  // Runs a whole build on the worker's thread; prompts get `answer`.
  int Build(const CAreaList& areas, BuildReport* report = nullptr, int answer = ui::kIdOk, int* prompts = nullptr,
            std::function<int()> onPrompt = {}, const win::DriveTable* drives = nullptr) {
    PumpSink sink(answer);
    sink.onPrompt = std::move(onPrompt);
    BuildEnvironment env = Env(report);
    env.drives = drives;
    CBuildWorker worker(sink, MakeDatabaseBuildStep(env));
    EXPECT_TRUE(worker.StartBuild(areas));
    int result = -1;
    for (bool done = false; !done;) {
      const auto [code, wParam] = sink.Next();
      if (code == WM_BUILD_ASK_MISSING) worker.AskAreaMissing();
      if (code == WM_BUILD_ASK_CD) worker.AskInsertCd();
      if (code == WM_BUILD_DONE) result = static_cast<int>(wParam);
      if (code == WM_BUILD_STATE && wParam == IDS_CREATE_DATABASE) done = true;
    }
    while (worker.IsBuilding()) {
    }
    if (prompts != nullptr) *prompts = sink.prompts;
    return result;
  }
  std::string RecordFile() const { return (sampleroot::DatabaseFolder(m_root) / "Scenery.000").string(); }
  std::string StringFile() const { return (sampleroot::DatabaseFolder(m_root) / "Scenery.001").string(); }
  std::vector<uint8_t> Bytes(const std::string& path) const { return navdbtest::ReadFileBytes(path); }
  fs::path IcaoFile() const { return sampleroot::ProgramFolder(m_root) / "ICAO.txt"; }

  // An area of old-format scenery, last in the list: its label airport "Hinterdorf Airport" at
  // 47.2 N 8.2 E comes without facility data, so ICAO.txt names it.
  void AddOldFieldsArea(CAreaList& areas) const {
    testbgl::WriteBytes(m_root / "Scenery" / "OldFields" / "scenery" / "OLD_FIELDS.bgl", testbgl::SampleOldBglFile());
    AreaEntry old;
    old.title = "Old Fields";
    old.path = "Scenery\\OldFields";
    areas.m_entries.push_back(old);
  }

 public:  // the rows of a change table reach them
  void AppendIcaoLine(const std::string& line) const {
    std::ofstream(IcaoFile(), std::ios::binary | std::ios::app) << line << "\r\n";
  }

  fs::path m_root;
  int m_simVer = 90;
  int m_workers = 0;
};

// The sample's five scenery areas and the two areas of the text files.
constexpr int kSampleAreas = 7;

int FindAirport(const CSceneryDatabase& db, const char* ident, bool shownOnly = true) {
  for (int i = 0; i < db.m_airports.GetSize(); ++i) {
    if ((!shownOnly || db.m_airports[i].IsShown()) && db.GetAirport(db.m_airports[i])->Ident() == ident) return i;
  }
  return -1;
}

TEST_F(DatabaseBuild, SampleRootBuildsAndReloadsWithLinksAndFlags) {
  BuildReport report;
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas(), &report));
  EXPECT_EQ(kSampleAreas, report.areasCompiled);
  CSceneryDatabase db;
  ASSERT_TRUE(db.LoadDatabaseFiles(RecordFile(), StringFile())) << db.GetLastError();
  EXPECT_TRUE(db.Validate()) << db.GetLastError();
  EXPECT_EQ(db.m_name1, Areas().m_worldTitle);

  // Areas in list order, then the two text-file areas.
  ASSERT_EQ(kSampleAreas, db.m_areas.GetSize());
  EXPECT_STREQ("Scenery\\Switzerland", db.GetString(db.m_areas[0].pathText));
  EXPECT_STREQ("Scenery\\Zurich1998", db.GetString(db.m_areas[3].pathText));
  EXPECT_STREQ("Scenery\\SwissClassic", db.GetString(db.m_areas[4].pathText));

  // Zurich of the old area is hidden by the newer one.
  int shownZurich = 0;
  for (const NavPoint& p : db.m_airports) shownZurich += p.IsShown() && db.GetAirport(p)->Ident() == "LSZH";
  EXPECT_EQ(1, shownZurich);
  EXPECT_NE(-1, FindAirport(db, "LSZA")) << "from the cabinet";
  EXPECT_NE(-1, FindAirport(db, "LFSB")) << "from the compressed file";

  // Every ILS localizer of the sample found its runway end.
  int boundEnds = 0;
  for (const NavPoint& p : db.m_runways) {
    const RunwayRecord* r = db.GetRunway(p);
    if (p.IsShown() && r->IlsIndex() >= 0) {
      ++boundEnds;
      ASSERT_LT(r->IlsIndex(), db.m_ils.GetSize());
    }
  }
  EXPECT_GE(boundEnds, 6);

  // The NDB ZH took over the airway waypoint ZHNB; VOR KLO its waypoint.
  bool zhBound = false, kloBound = false;
  for (const NavPoint& p : db.m_ndbs) {
    const NdbRecord* n = db.GetNdb(p);
    if (n->Ident() == "ZH" && n->intersection >= 0) {
      zhBound = db.GetIntersection(db.m_intersections[n->intersection])->Ident() == "ZHNB";
    }
  }
  for (const NavPoint& p : db.m_vors) {
    const VorRecord* v = db.GetVor(p);
    if (v->Ident() == "KLO" && v->intersection >= 0 && p.IsShown()) kloBound = (p.kind & 3) != 0;
  }
  EXPECT_TRUE(zhBound);
  EXPECT_TRUE(kloBound);
  EXPECT_EQ(5, db.m_airways.GetSize());
  EXPECT_GT(db.m_labelPoints.GetSize(), 0);
  EXPECT_EQ(3, db.m_airspaceShapes.GetSize());
}

TEST_F(DatabaseBuild, OldFormatAreaBringsItsNavaidsMarkersAndTheVariationGrid) {
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas()));
  CSceneryDatabase db;
  ASSERT_TRUE(db.LoadDatabaseFiles(RecordFile(), StringFile())) << db.GetLastError();

  std::vector<std::string> ndbs;
  for (const NavPoint& p : db.m_ndbs) ndbs.emplace_back(db.GetNdb(p)->Ident());
  for (const char* ident : {"AR", "LUG", "PAY"}) {
    EXPECT_NE(std::find(ndbs.begin(), ndbs.end(), ident), ndbs.end()) << ident;
  }
  const VorRecord* glarus = nullptr;
  for (const NavPoint& p : db.m_vors) {
    if (db.GetVor(p)->Ident() == "GLA") glarus = db.GetVor(p);
  }
  ASSERT_NE(glarus, nullptr);
  EXPECT_NEAR(+glarus->frequency, 115.70f, 1e-4);
  EXPECT_EQ(glarus->flags & 0x0B, 1) << "VOR/DME";

  // The Altenrhein localizer serves runway 10, with its outer and middle markers on the
  // approach line west of the threshold.
  const int lszr = FindAirport(db, "LSZR");
  ASSERT_NE(lszr, -1);
  const double fieldLat = db.m_airports[lszr].latitude, fieldLon = db.m_airports[lszr].longitude;
  bool bound = false;
  for (const NavPoint& p : db.m_runways) {
    const RunwayRecord* r = db.GetRunway(p);
    if (!p.IsShown() || r->IlsIndex() < 0 || r->Designator() != "10") continue;
    const IlsRecord* ils = db.GetIls(db.m_ils[r->IlsIndex()]);
    const float mhz = ils->frequency;
    bound = ils->Ident() == "IAR" && std::abs(mhz - 110.30f) < 1e-4f;
  }
  EXPECT_TRUE(bound);
  std::vector<int> markerTypes;
  for (const NavPoint& p : db.m_markers) {
    markerTypes.push_back(db.GetMarker(p)->type);
    const double lat = p.latitude, lon = p.longitude;
    EXPECT_LT(lon, fieldLon);
    EXPECT_LT(GreatCircleDistance(lat, lon, fieldLat, fieldLon), 9000.0);
  }
  std::sort(markerTypes.begin(), markerTypes.end());
  EXPECT_EQ(markerTypes, (std::vector<int>{0, 1}));

  int atis = 0;
  for (const NavPoint& p : db.m_coms) {
    const ComRecord* com = db.GetCom(p);
    const float mhz = com->frequency;
    atis += com->Type() == kComAtis && (std::abs(mhz - 127.42f) < 1e-3f || std::abs(mhz - 130.62f) < 1e-3f);
  }
  EXPECT_EQ(atis, 2);
  std::vector<std::string> names;
  for (const NavPoint& p : db.m_airports) names.emplace_back(db.GetString(db.GetAirport(p)->nameText));
  for (const char* name : {"Birrfeld", "Lausanne-Blecherette", "Ecuvillens"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }

  // The grid gives the planner's variation at every whole degree: west positive, the model's
  // declination turned round, so that added to a true course it gives the magnetic one.
  ASSERT_EQ(db.m_magVarGrids.GetSize(), 1);
  const MagVarGrid& grid = db.m_magVarGrids[0];
  struct Place {
    const char* name;
    int lat, lon;
    double low, high;  // plausible declination, degrees east
  };
  const Place places[] = {{"Zurich", 47, 9, 2, 5}, {"Seattle", 48, -122, 14, 16}, {"Sydney", -34, 151, 12, 14}};
  for (const Place& p : places) {
    const double declination = -MagVarGrid::ToDegrees(grid.At(p.lat, p.lon));
    EXPECT_NEAR(declination, sampleroot::MagneticDeclination(p.lat, p.lon), 180.0 / 65536.0) << p.name;
    EXPECT_GT(declination, p.low) << p.name;
    EXPECT_LT(declination, p.high) << p.name;
  }
}

TEST_F(DatabaseBuild, UnchangedRootTakesTheCacheAndBuildsAreByteIdentical) {
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas()));
  const auto first000 = Bytes(RecordFile()), first001 = Bytes(StringFile());

  BuildReport report;
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas(), &report));
  EXPECT_EQ(0, report.areasCompiled);
  EXPECT_EQ(kSampleAreas, report.areasFromCache);
  EXPECT_EQ(first000, Bytes(RecordFile()));
  EXPECT_EQ(first001, Bytes(StringFile()));

  // A cold build of the same root gives the same bytes again.
  fs::remove(RecordFile());
  fs::remove(StringFile());
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas(), &report));
  EXPECT_EQ(kSampleAreas, report.areasCompiled);
  EXPECT_EQ(first000, Bytes(RecordFile()));
  EXPECT_EQ(first001, Bytes(StringFile()));

  // One file with a new time: the passes may come out differently anywhere, so every area is
  // compiled again.
  const fs::path touched = m_root / "Scenery" / "SwissNav" / "scenery" / "NAV_CH.bgl";
  fs::last_write_time(touched, fs::last_write_time(touched) + std::chrono::seconds(10));
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas(), &report));
  EXPECT_EQ(kSampleAreas, report.areasCompiled);
  EXPECT_EQ(0, report.areasFromCache);
}

// The passes change records in place (intersections onto navaids, airports named from
// ICAO.txt): after any change a build with the previous database at hand must give exactly the
// bytes of a build from scratch.
TEST_F(DatabaseBuild, BuildAfterAChangeGivesTheBytesOfABuildFromScratch) {
  // The exclude box of "Switzerland" holds the NDB ZH, which takes over the waypoint ZHNB
  // unless it is excluded (below simulator version 90 only).
  const std::string excludeNdbs = "N47 40,E008 20,N47 20,E008 45,ndbs";
  const auto entry = [](CAreaList& areas, const char* title) -> AreaEntry& {
    for (AreaEntry& e : areas.m_entries) {
      if (e.title == title) return e;
    }
    throw std::runtime_error(title);
  };
  struct Row {
    const char* name;
    std::function<void(CAreaList&)> before;  // the first build's set-up
    std::function<void(CAreaList&)> change;
  };
  const auto nothing = [](CAreaList&) {};
  const Row rows[] = {
      {"area switched off", nothing, [&](CAreaList& a) { entry(a, "Swiss Navaids").active = false; }},
      {"file touched", nothing,
       [this](CAreaList&) {
         const fs::path file = m_root / "Scenery" / "Switzerland" / "scenery" / "AP_WEST.bgl";
         fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(10));
       }},
      {"ICAO.txt edited", nothing,
       [this](CAreaList&) {
         const std::vector<uint8_t> bytes = Bytes(IcaoFile().string());
         std::string text(bytes.begin(), bytes.end());
         text.replace(text.find("LSXH"), 15, "LSXQ\t47.2000\t8.2000\tHinterdorf-Sued");
         std::ofstream(IcaoFile(), std::ios::binary | std::ios::trunc) << text;
       }},
      {"exclude text changed", [this](CAreaList&) { m_simVer = 80; },
       [&](CAreaList& a) { entry(a, "Switzerland").exclude = excludeNdbs; }},
      {"simulator version changed", [&](CAreaList& a) { entry(a, "Switzerland").exclude = excludeNdbs; },
       [this](CAreaList&) { m_simVer = 80; }},
  };
  const fs::path base = m_root;
  struct Restore {
    DatabaseBuild& t;
    fs::path base;
    ~Restore() { t.m_root = base, t.m_simVer = 90; }
  } restore{*this, base};
  for (const Row& row : rows) {
    m_root = base / row.name;
    m_simVer = 90;
    std::string error;
    ASSERT_TRUE(sampleroot::WriteSampleSimRoot(m_root, error)) << error;
    CAreaList areas = Areas();
    AddOldFieldsArea(areas);
    AppendIcaoLine("LSXH\t47.2000\t8.2000\tHinterdorf");
    row.before(areas);
    ASSERT_EQ(IDS_BUILD_READY, Build(areas)) << row.name;

    row.change(areas);
    BuildReport report;
    ASSERT_EQ(IDS_BUILD_READY, Build(areas, &report)) << row.name;
    EXPECT_EQ(0, report.areasFromCache) << row.name;
    const auto cached000 = Bytes(RecordFile()), cached001 = Bytes(StringFile());

    fs::remove(RecordFile());
    fs::remove(StringFile());
    ASSERT_EQ(IDS_BUILD_READY, Build(areas)) << row.name;
    EXPECT_EQ(cached000, Bytes(RecordFile())) << row.name;
    EXPECT_EQ(cached001, Bytes(StringFile())) << row.name;

    // Unchanged since: the previous database stands, byte for byte.
    ASSERT_EQ(IDS_BUILD_READY, Build(areas, &report)) << row.name;
    EXPECT_EQ(0, report.areasCompiled) << row.name;
    EXPECT_EQ(cached000, Bytes(RecordFile())) << row.name;
    EXPECT_EQ(cached001, Bytes(StringFile())) << row.name;
  }

  // Without the NDB ZH its airway waypoint ZHNB stays where ISEC.txt puts it.
  m_root = base / rows[0].name;
  CSceneryDatabase db;
  ASSERT_TRUE(db.LoadDatabaseFiles(RecordFile(), StringFile()));
  int found = 0;
  for (const NavPoint& p : db.m_intersections) {
    if (db.GetIntersection(p)->Ident() != "ZHNB") continue;
    ++found;
    EXPECT_NEAR(47.5310, p.latitude, 1e-4);
    EXPECT_NEAR(8.5510, p.longitude, 1e-4);
  }
  EXPECT_GT(found, 0);
}

TEST_F(DatabaseBuild, IcaoTxtIsFoundWhateverItsLetterCase) {
  CAreaList areas = Areas();
  AddOldFieldsArea(areas);
  AppendIcaoLine("LSXH\t47.2000\t8.2000\tHinterdorf");
  fs::rename(IcaoFile(), IcaoFile().parent_path() / "icao.txt");
  ASSERT_EQ(IDS_BUILD_READY, Build(areas));
  CSceneryDatabase db;
  ASSERT_TRUE(db.LoadDatabaseFiles(RecordFile(), StringFile()));
  const int airport = FindAirport(db, "LSXH");
  ASSERT_NE(-1, airport);
  EXPECT_STREQ("Hinterdorf", db.GetString(db.GetAirport(db.m_airports[airport])->nameText));
}

TEST_F(DatabaseBuild, MissingAreaIsLeftOutOnOkAndEndsTheBuildOnCancel) {
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas()));
  const auto before = Bytes(RecordFile());
  CAreaList areas = Areas();
  AreaEntry missing = areas.m_entries[0];
  missing.title = "Gone";
  missing.path = "Scenery\\Gone";
  areas.m_entries.insert(areas.m_entries.begin() + 1, missing);

  int prompts = 0;
  EXPECT_EQ(IDS_BUILD_ABORTED, Build(areas, nullptr, ui::kIdCancel, &prompts));
  EXPECT_EQ(1, prompts);
  EXPECT_EQ(before, Bytes(RecordFile())) << "the previous database stays";

  BuildReport report;
  EXPECT_EQ(IDS_BUILD_READY, Build(areas, &report, ui::kIdOk, &prompts));
  EXPECT_EQ(1, report.areasSkipped);
  EXPECT_EQ(kSampleAreas, report.areasFromCache);
}

TEST_F(DatabaseBuild, DiscAreaIsSearchedAgainOnRetryAndLeftOutOnIgnore) {
  // The disc's files: one scenery file of the sample on a disc labelled SWISSCD.
  const fs::path disc = m_root / "media" / "cdrom";
  fs::create_directories(disc / "Alps" / "scenery");
  fs::copy_file(m_root / "Scenery" / "Switzerland" / "scenery" / "AP_WEST.bgl", disc / "Alps" / "scenery" / "AP_WEST.bgl");
  CAreaList areas = Areas();
  AreaEntry cd;
  cd.title = "Swiss CD";
  cd.onCd = true;
  cd.cdLabel = "SWISSCD";
  cd.path = "\\Alps";
  areas.m_entries.insert(areas.m_entries.begin(), cd);

  for (const bool insert : {true, false}) {
    win::FakeDriveTable drives;
    drives.Add({m_root / "media" / "other", win::DriveType::CdRom, "OTHER"});
    int asked = 0;
    auto answer = [&] {
      // The first prompt: the user puts the disc in and presses Retry (or gives up with Ignore).
      if (++asked == 1 && insert) {
        drives.Add({disc, win::DriveType::CdRom, "SWISSCD"});
        return ui::kIdRetry;
      }
      return ui::kIdIgnore;
    };
    BuildReport report;
    ASSERT_EQ(IDS_BUILD_READY, Build(areas, &report, ui::kIdIgnore, nullptr, answer, &drives)) << insert;
    EXPECT_EQ(1, asked) << insert;
    EXPECT_EQ(insert ? 0 : 1, report.areasSkipped) << insert;
    CSceneryDatabase db;
    ASSERT_TRUE(db.LoadDatabaseFiles(RecordFile(), StringFile()));
    EXPECT_EQ(insert ? kSampleAreas + 1 : kSampleAreas, db.m_areas.GetSize()) << insert;
    if (insert) {
      EXPECT_STREQ("[SWISSCD]\\Alps", db.GetString(db.m_areas[0].pathText));
    }
  }
}

TEST_F(DatabaseBuild, NoActiveAreaStillBuildsTheTextAreas) {
  CAreaList areas = Areas();
  for (AreaEntry& e : areas.m_entries) e.active = false;
  BuildReport report;
  ASSERT_EQ(IDS_BUILD_READY, Build(areas, &report));
  CSceneryDatabase db;
  ASSERT_TRUE(db.LoadDatabaseFiles(RecordFile(), StringFile()));
  EXPECT_EQ(2, db.m_areas.GetSize());
  EXPECT_GT(db.m_intersections.GetSize(), 0);
  EXPECT_EQ(0, db.m_airports.GetSize());
}

TEST_F(DatabaseBuild, AbortAndWriteErrorKeepThePreviousPair) {
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas()));
  const auto before000 = Bytes(RecordFile()), before001 = Bytes(StringFile());

  // Abort pressed as the build starts: seen before any area is collected, so nobody is asked
  // about the missing one.
  {
    PumpSink sink(ui::kIdOk);
    const BuildEnvironment env = Env(nullptr);
    CBuildWorker worker(sink, [env](CBuildWorker& w, CAreaList& areas, win::AutoResetEvent& abortEvent) {
      abortEvent.Set();
      return w.BuildDatabase(areas, abortEvent, env);
    });
    CAreaList areas = Areas();
    AreaEntry missing = areas.m_entries[0];
    missing.path = "Scenery\\Gone";
    areas.m_entries.insert(areas.m_entries.begin(), missing);
    ASSERT_TRUE(worker.StartBuild(areas));
    int result = -1, asked = 0;
    for (bool done = false; !done;) {
      const auto [code, wParam] = sink.Next();
      asked += code == WM_BUILD_ASK_MISSING;
      if (code == WM_BUILD_DONE) result = static_cast<int>(wParam);
      done = code == WM_BUILD_STATE && wParam == IDS_CREATE_DATABASE;
    }
    EXPECT_EQ(IDS_BUILD_ABORTED, result);
    EXPECT_EQ(0, asked);
  }
  EXPECT_EQ(before000, Bytes(RecordFile()));
  EXPECT_EQ(before001, Bytes(StringFile()));

  // A string file that cannot be replaced: write error, the record file untouched as well.
  const fs::path dir = sampleroot::DatabaseFolder(m_root) / "Scenery.001";
  fs::remove(dir);
  fs::create_directories(dir / "blocker");
  CAreaList areas = Areas();
  areas.m_worldTitle = "changed";  // so a written record file would differ
  EXPECT_EQ(IDS_BUILD_WRITE_ERROR, Build(areas));
  EXPECT_EQ(before000, Bytes(RecordFile()));
}

TEST_F(DatabaseBuild, ADatabaseNamedAfterTheSetGoesBesideTheOthers) {
  CAreaList areas = Areas();
  areas.m_databaseName = "Alps";
  ASSERT_EQ(IDS_BUILD_READY, Build(areas));
  EXPECT_TRUE(fs::exists(sampleroot::DatabaseFolder(m_root) / "Alps.000"));
  EXPECT_TRUE(fs::exists(sampleroot::DatabaseFolder(m_root) / "Alps.001"));
}

// A build's two files.
struct Pair {
  std::vector<uint8_t> records, strings;
  bool operator==(const Pair&) const = default;
};

// Builds `root` cold (no previous database) with `workers` compiling areas side by side.
Pair BuildCold(const fs::path& root, int workers, BuildReport& report) {
  const fs::path folder = sampleroot::DatabaseFolder(root);
  fs::remove(folder / "Scenery.000");
  fs::remove(folder / "Scenery.001");
  EXPECT_EQ(IDS_BUILD_READY, sampleroot::BuildSimRoot(root, &report, workers));
  return {navdbtest::ReadFileBytes((folder / "Scenery.000").string()),
          navdbtest::ReadFileBytes((folder / "Scenery.001").string())};
}

// However many areas are compiled side by side, they are merged in their order: the bytes are
// those of a build on one thread. `write` makes the root (none: the sample root).
void ExpectTheSameBytesFromAnyNumberOfWorkers(const fs::path& root, const char* name,
                                              const std::function<bool(const fs::path&, std::string&)>& write) {
  std::string error;
  if (write) {
    ASSERT_TRUE(write(root, error)) << name << ": " << error;
  }
  BuildReport report;
  const Pair one = BuildCold(root, 1, report);
  EXPECT_EQ(1, report.compileWorkers) << name;
  const int areas = report.areasCompiled;
  EXPECT_GE(areas, 7) << name;
  for (const int workers : {2, 8}) {
    EXPECT_TRUE(one == BuildCold(root, workers, report)) << name << ", " << workers << " workers";
    EXPECT_EQ(areas, report.areasCompiled) << name;
    EXPECT_EQ(std::min(workers, areas), report.compileWorkers) << name;
    EXPECT_LE(report.mostAreasWaiting, workers + 1) << name;
  }
}

TEST_F(DatabaseBuild, AnyNumberOfWorkersGivesTheSameBytes) {
  ExpectTheSameBytesFromAnyNumberOfWorkers(m_root, "sample", {});
  sampleroot::WorldRootCounts installation = sampleroot::InstallationCounts(0.01);
  installation.areas = 9;
  installation.bulkBytes = 3000;
  ExpectTheSameBytesFromAnyNumberOfWorkers(m_root / "installation", "installation",
                                           [&](const fs::path& r, std::string& e) {
                                             return sampleroot::WriteWorldSimRoot(r, installation, e);
                                           });
}

// Apart, as it takes long under the sanitizers and adds no other code to what they watch.
TEST_F(DatabaseBuild, AnyNumberOfWorkersGivesTheSameBytesOnTheWorldRoot) {
  ExpectTheSameBytesFromAnyNumberOfWorkers(m_root / "world", "world", [](const fs::path& r, std::string& e) {
    return sampleroot::WriteWorldSimRoot(r, {}, e);
  });
}

// Areas that take long to compile however few their bytes: an area's beacons all crowd one
// spot, so its duplicate check weighs each against every other. Each file is one poll of the
// abort, and small enough that a poll comes every millisecond or so.
std::vector<AreaEntry> WriteCrowdedAreas(const fs::path& root, int count) {
  constexpr int kFiles = 400;
  constexpr int kBeaconsPerFile = 25;
  std::vector<AreaEntry> entries;
  for (int a = 0; a < count; ++a) {
    const std::string folder = "Crowded" + std::to_string(a);
    for (int f = 0; f < kFiles; ++f) {
      testbgl::SectionBglWriter w;
      for (int b = 0; b < kBeaconsPerFile; ++b) {
        const int n = f * kBeaconsPerFile + b;
        std::string ident;
        for (int k = 0, v = n; k < 4; ++k, v /= 26) ident += static_cast<char>('A' + v % 26);
        // Every beacon on a frequency of its own (half a kilohertz is the step the build keeps), so
        // none is dropped and every pair is weighed.
        w.Add(kBglSectionNdb, testbgl::Ndb(46.0 + 0.3 * ((n * 7919) % 1000) / 1000.0,
                                           7.0 + 0.3 * ((n * 104729) % 1000) / 1000.0, 200.0 + 0.5 * n, ident));
      }
      testbgl::WriteBytes(root / "Scenery" / folder / "scenery" / ("N" + std::to_string(f) + ".bgl"), w.Build());
    }
    AreaEntry entry;
    entry.title = folder;
    entry.path = "Scenery\\" + folder;
    entries.push_back(entry);
  }
  return entries;
}

// The sanitizers make every step several times slower; the abort must still come promptly.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr auto kAbortWithin = std::chrono::milliseconds(1000);
#else
constexpr auto kAbortWithin = std::chrono::milliseconds(100);
#endif

TEST_F(DatabaseBuild, AbortWhileAreasCompileStopsEveryWorkerAtOnceAndKeepsThePreviousPair) {
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas()));
  const auto before000 = Bytes(RecordFile()), before001 = Bytes(StringFile());

  CAreaList areas = Areas();
  const std::vector<AreaEntry> crowded = WriteCrowdedAreas(m_root, 6);
  areas.m_entries.insert(areas.m_entries.begin(), crowded.begin(), crowded.end());
  m_workers = 4;
  BuildReport report;
  PumpSink sink(ui::kIdOk);
  CBuildWorker worker(sink, MakeDatabaseBuildStep(Env(&report)));
  ASSERT_TRUE(worker.StartBuild(areas));
  // Every text posts a progress message: the empty one at the start, one per area collected,
  // and then the first area's, while the build waits for it. By then every worker has a crowded
  // area to compile.
  for (size_t progress = 0; progress < areas.m_entries.size() + 2;) {
    const auto [code, wParam] = sink.Next();
    ASSERT_NE(code, static_cast<uint32_t>(WM_BUILD_DONE));
    progress += code == WM_BUILD_PROGRESS;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(worker.AbortBuild());
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, kAbortWithin) << std::chrono::duration<double, std::milli>(took).count() << " ms";
  EXPECT_EQ(4, report.compileWorkers) << "the abort came while areas compiled";
  EXPECT_LT(report.areasCompiled, static_cast<int>(areas.m_entries.size()));
  int result = -1;
  for (bool done = false; !done;) {
    const auto [code, wParam] = sink.Next();
    if (code == WM_BUILD_DONE) result = static_cast<int>(wParam);
    done = code == WM_BUILD_STATE && wParam == IDS_CREATE_DATABASE;
  }
  EXPECT_EQ(IDS_BUILD_ABORTED, result);
  EXPECT_EQ(before000, Bytes(RecordFile()));
  EXPECT_EQ(before001, Bytes(StringFile()));
}

}  // namespace

// The sample's database pinned to its bytes: faster building must not move a single one. The
// database keeps the files' times and the text areas' full paths, so the root is built at one
// path (test runs side by side take turns) with every file at one moment. A change to the
// sample itself, or to what the builder writes on purpose, updates the two digests here.
TEST_F(DatabaseBuild, SampleDatabaseKeepsItsPinnedBytes) {
  const int lock = ::open("/tmp/cw-pinned-sample.lock", O_CREAT | O_RDWR, 0666);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(0, ::flock(lock, LOCK_EX));
  struct Unlock {
    int fd;
    ~Unlock() { ::close(fd); }
  } unlock{lock};
  fs::remove_all(m_root);
  struct Restore {
    fs::path& root;
    fs::path saved;
    ~Restore() {
      fs::remove_all(root);  // while the turn is still ours
      root = saved;
    }
  } restore{m_root, m_root};
  m_root = "/tmp/cw-pinned-sample";
  fs::remove_all(m_root);
  std::string error;
  ASSERT_TRUE(sampleroot::WriteSampleSimRoot(m_root, error)) << error;
  const auto moment = std::chrono::file_clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{1704067200}});
  for (const auto& entry : fs::recursive_directory_iterator(m_root)) {
    if (entry.is_regular_file()) fs::last_write_time(entry.path(), moment);
  }
  ASSERT_EQ(IDS_BUILD_READY, Build(Areas()));
  const auto digest = [](const std::vector<uint8_t>& bytes) {
    uint64_t h = 14695981039346656037ull;  // 64-bit FNV-1a
    for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
  };
  const auto records = Bytes(RecordFile()), strings = Bytes(StringFile());
  EXPECT_EQ(13910603875123376942u, digest(records)) << records.size() << " bytes";
  EXPECT_EQ(10092382761809448893u, digest(strings)) << strings.size() << " bytes";
}
