#include "planexport/gpsplan/GpsplanWriter.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "planexport/common/testing/ModuleHarness.h"
#include "platform/profile/Profile.h"

namespace {

using namespace flpxtest;

// A runway first (named) and last (short name and frequency), an NDB and a VOR with long names,
// an intersection half a hundredth of a minute past E7 49.00' (written 49.01), a user point, and
// climb and descent points that are left out.
void ScriptProgram() {
  ResetScript();
  AddRows({
      {.type = 'C', .ident = "16", .name = "Zurich", .lat = 47.45, .lon = 8.5, .frequency = 110.25},
      {.type = 'Q', .name = "Beginning of Climb", .lat = 47.40, .lon = 8.4},
      {.type = 'N', .ident = "ZH", .name = "Zurich East Beacon", .lat = 47.35, .lon = 8.0, .frequency = 367.5},
      {.type = 'M', .ident = "KLO", .name = "Kloten Radio Beacon Station", .lat = -33.95, .lon = -0.5,
       .frequency = 114.85},
      {.type = 'O', .ident = "ABCDE", .name = "FIX", .lat = 47.40, .lon = 7.81675},
      {.type = 'P', .name = "Fix 1", .lat = 47.45, .lon = 7.7},
      {.type = 'T', .name = "End of Descent", .lat = 47.55, .lon = 7.6},
      {.type = 'C', .ident = "15", .name = "Basel-Mulhouse-Freiburg", .lat = 47.60, .lon = 7.52, .frequency = 110.5},
  });
}

// Each test process plays an add-on of its own, so test runs side by side never meet.
const std::string& ShmName() {
  static const std::string name = [] {
    const std::string n = "/cw_gpsplan_test_" + std::to_string(::getpid());
    ::setenv("CW_GPSPLAN_SHM", n.c_str(), 1);
    return n;
  }();
  return name;
}

// The add-on's shared memory for the lifetime of the object, filled with a pattern.
class FakeAddOn {
 public:
  FakeAddOn() {
    ::shm_unlink(ShmName().c_str());
    m_fd = ::shm_open(ShmName().c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    EXPECT_GE(m_fd, 0);
    EXPECT_EQ(::ftruncate(m_fd, kSize), 0);
    Fill();
  }
  ~FakeAddOn() {
    ::close(m_fd);
    ::shm_unlink(ShmName().c_str());
  }
  void Fill() {
    const std::vector<uint8_t> pattern(kSize, 0xEE);
    EXPECT_EQ(::pwrite(m_fd, pattern.data(), kSize, 0), static_cast<ssize_t>(kSize));
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> bytes(kSize);
    EXPECT_EQ(::pread(m_fd, bytes.data(), kSize, 0), static_cast<ssize_t>(kSize));
    return bytes;
  }
  static std::vector<uint8_t> Flagged() {
    std::vector<uint8_t> bytes(kSize, 0xEE);
    bytes[106] = 1;
    bytes[107] = bytes[108] = bytes[109] = 0;
    return bytes;
  }
  static constexpr size_t kSize = 160;

 private:
  int m_fd = -1;
};

const char kGolden[] = "planexport/gpsplan/tests/goldens/Gpsplan.dat";

TEST(GpsplanModule, FixedFileWithoutTheAddOnIsWrittenSilently) {
  ::shm_unlink(ShmName().c_str());
  ModuleSimroot root("gpsplan", GPSPLAN_MODULE);
  ScriptProgram();
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(root.Root() / "Gpsplan.dat"), Golden(kGolden));
  EXPECT_EQ(Script().saveCalls, 0);
  EXPECT_FALSE(std::filesystem::exists(root.Ini())) << "no folder remembered in fixed-file mode";

  Script().rows.clear();
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed) << "nothing to export";
}

TEST(GpsplanModule, TheRunningAddOnGetsOnlyItsReloadFlagAfterACompleteFile) {
  FakeAddOn addOn;
  ModuleSimroot root("gpsplan_addon", GPSPLAN_MODULE);
  ScriptProgram();
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(root.Root() / "Gpsplan.dat"), Golden(kGolden));
  EXPECT_EQ(addOn.Bytes(), FakeAddOn::Flagged());

  // A file that cannot be put in place: no flag.
  addOn.Fill();
  std::filesystem::remove(root.Root() / "Gpsplan.dat");
  std::filesystem::create_directory(root.Root() / "Gpsplan.dat");
  EXPECT_EQ(root.Export(), FlpxCallResult::Failed);
  EXPECT_EQ(addOn.Bytes(), std::vector<uint8_t>(FakeAddOn::kSize, 0xEE));

  // Dialog mode writes the chosen file and leaves the add-on alone.
  profile::WriteString(root.Ini(), "Gpsplan", "ToFile", "1");
  Script().savePath = (root.Root() / "trip.prg").string();
  ASSERT_EQ(root.Export(), FlpxCallResult::Done);
  EXPECT_EQ(ReadBytes(root.Root() / "trip.prg"), Golden(kGolden));
  EXPECT_EQ(Script().filterSeen, "Gpsplan Flight Plan (*.prg)|*.prg|All Files (*.*)|*.*||");
  EXPECT_EQ(Script().defaultExtSeen, "prg");
  EXPECT_EQ(profile::GetString(root.Ini(), "Gpsplan", "InitialDir", ""), root.Root().string() + "/");
  EXPECT_EQ(addOn.Bytes(), std::vector<uint8_t>(FakeAddOn::kSize, 0xEE));
  Script().saveAccepts = false;
  EXPECT_EQ(root.Export(), FlpxCallResult::Done) << "a cancelled dialog";
}

TEST(GpsplanModule, APlugInFolderTooNearTheRootGivesUpWithoutADialog) {
  // "<cwd>/sim/FlpExport.ini" given as "sim/FlpExport.ini": one '/' only, so no simulator root
  // for the fixed file and too few levels for dialog mode.
  const std::filesystem::path folder = TestFolder("flpx_gpsplan_shallow");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "sim");
  const std::filesystem::path current = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  ScriptProgram();
  const FlpxImportTableRecord imports = ScriptedImports();
  const FlpxCall call{imports, &Script(), nullptr, kGpsplanName, "sim/FlpExport.ini"};
  EXPECT_EQ(ExportGpsplan(call), 0) << "fixed-file mode";
  profile::WriteString("sim/FlpExport.ini", "Gpsplan", "ToFile", "1");
  EXPECT_EQ(ExportGpsplan(call), 0) << "dialog mode";
  EXPECT_EQ(Script().saveCalls, 0);
  std::filesystem::current_path(current);
  std::filesystem::remove_all(folder);
}

TEST(GpsplanWriter, TheAddOnsObjectByDefault) {
  ShmName();
  EXPECT_EQ(GpsplanSharedMemoryName().rfind("/cw_gpsplan_test_", 0), 0u);
  ::unsetenv("CW_GPSPLAN_SHM");
  EXPECT_EQ(GpsplanSharedMemoryName(), "/GPSPLAN98_COM_IPC_11");
  ::setenv("CW_GPSPLAN_SHM", ShmName().c_str(), 1);
}

TEST(GpsplanWriter, ShortNames) {
  struct Case {
    const char* name;
    const char* shortName;
  };
  const Case cases[] = {
      {"ABCDEFGH IJKLMNO PQRSTU", "ABCDEFGH"},   // two cuts at blanks
      {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLM"},  // no blank: 13 letters
      {"ABC DEFGHIJKLMNO", "ABC DEFGHIJKL"},      // a blank too early: 13 characters
      {"Zurich Kloten", "Zurich Kloten"},         // 13 characters stay
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(GpsplanShortName(c.name), c.shortName) << c.name;
}

}  // namespace
