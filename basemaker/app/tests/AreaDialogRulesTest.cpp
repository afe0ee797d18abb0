// The rules behind Basemaker's dialogs, without windows: the Exclude/Flatten syntax, how a chosen
// folder is stored and tested for scenery, and the rows of the area list.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "basemaker/app/AreaFolder.h"
#include "basemaker/app/AreaPanel.h"
#include "basemaker/app/AreaRows.h"
#include "basemaker/app/BuilderStrings.h"
#include "basemaker/app/ExcludeFlatten.h"
#include "basemaker/app/tests/SimRootFixture.h"
#include "platform/win/Drives.h"
#include "platform/win/WinePrefix.h"

namespace fs = std::filesystem;

namespace {

const std::string kFlatten = "100,N47 30,E8 30,N47 31,E8 30,N47 31,E8 31,N47 30,E8 31";
const int kFlattenLength = static_cast<int>(kFlatten.size());

TEST(ExcludeFlattenSyntax, ValidTextsPassAndWrongOnesSelectTheWrongPart) {
  struct Case {
    const char* name;
    bool exclude;
    std::string text;
    bool valid;
    TextSelection selection;  // checked only when invalid
  };
  const std::string threePoints = "100,N47 30,E8 30,N47 31,E8 30,N47 31,E8 31";
  const Case cases[] = {
      {"FlattenValid", false, kFlatten, true, {}},
      {"AltitudeTooHigh", false, "100000" + kFlatten.substr(3), false, {0, 6}},
      {"AltitudeTooLow", false, "-2001" + kFlatten.substr(3), false, {0, 5}},
      {"AltitudeLowestAllowed", false, "-2000" + kFlatten.substr(3), true, {}},
      {"AltitudeWithLetterSelectedWhole", false, "50x" + kFlatten.substr(3), false, {0, 3}},
      {"AltitudeOverflowingInt", false, "99999999999999999999" + kFlatten.substr(3), false, {0, 20}},
      {"AltitudeBlanksAroundItem", false, "  70 " + kFlatten.substr(3), true, {}},
      {"EmptyAltitudeItem", false, " ," + kFlatten.substr(4), false, {1, 1}},
      {"ThreePointsCaretAtEnd", false, threePoints, false, {int(threePoints.size()), int(threePoints.size())}},
      {"FivePointsPass", false, kFlatten + ",N47 30,E8 30", true, {}},
      {"FlattenTrailingComma", false, kFlatten + ",", false, {kFlattenLength, kFlattenLength + 1}},
      {"BadLongitudeFromFailingCharacter", false, "100,N47 30,X8 30" + kFlatten.substr(16), false, {11, 16}},
      {"ExcludeValid", true, "N47,E8,N46,E9,vors,NDBS", true, {}},
      {"ExcludeRepeatedKeywords", true, "N47,E8,N46,E9,all, Objects ,all", true, {}},
      {"ExcludeWithoutKeyword", true, "N47,E8,N46,E9", false, {13, 13}},
      {"ExcludeUnknownKeyword", true, "N47,E8,N46,E9,lakes", false, {14, 19}},
      {"ExcludeUnknownKeywordAfterBlanks", true, "N47,E8,N46,E9,vors,  lakes", false, {21, 26}},
      {"ExcludeTrailingComma", true, "N47,E8,N46,E9,vors,", false, {18, 19}},
      {"DegreeSignRefused", true, "N47\xB0" "30,E8,N46,E9,all", false, {3, 6}},
      {"LatitudeBeyond90FromTheDegrees", true, "N91,E8,N46,E9,all", false, {1, 3}},
      {"DecimalMinutesAccepted", true, "N47.5,E8,N46,E9,all", true, {}},
      {"LongitudeWhereLatitudeBelongs", true, "E8,N47,N46,E9,all", false, {0, 2}},
      {"Empty", true, "", false, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextSelection selection{-1, -1};
    const bool valid = c.exclude ? ValidateExclude(c.text, selection) : ValidateFlatten(c.text, selection);
    EXPECT_EQ(c.valid, valid);
    if (!c.valid) {
      EXPECT_EQ(c.selection.start, selection.start);
      EXPECT_EQ(c.selection.end, selection.end);
    }
  }
}

TEST(ExcludeFlattenSyntax, OkReportsTheFirstWrongFieldFlattenBeforeExcludeAndTrimsOnlyWhenAllPass) {
  ExcludeFlattenTexts texts;
  texts[kExcludeField] = "N47,E8,N46,E9,lakes";
  texts[7] = "50x" + kFlatten.substr(3) + "  \t";
  texts[3] = "  " + kFlatten + " ";
  auto error = AcceptExcludeFlatten(texts);
  ASSERT_TRUE(error);
  EXPECT_EQ(7, error->field);
  EXPECT_EQ((TextSelection{0, 3}), error->selection);
  EXPECT_EQ(IDS_WRONG_FLATTEN, error->messageId);
  EXPECT_EQ("  " + kFlatten + " ", texts[3]) << "nothing changes while a field is wrong";

  texts[7].clear();
  error = AcceptExcludeFlatten(texts);
  ASSERT_TRUE(error);
  EXPECT_EQ(kExcludeField, error->field);
  EXPECT_EQ(IDS_WRONG_EXCLUDE, error->messageId);
  EXPECT_EQ((TextSelection{14, 19}), error->selection);

  texts[kExcludeField] = " N47,E8,N46,E9,all\t";
  EXPECT_FALSE(AcceptExcludeFlatten(texts));
  EXPECT_EQ(kFlatten, texts[3]);
  EXPECT_EQ("N47,E8,N46,E9,all", texts[kExcludeField]);
  EXPECT_EQ("", texts[0]);

  AreaEntry entry;
  StoreExcludeFlattenTexts(texts, entry);
  EXPECT_EQ(kFlatten, entry.flatten[3]);
  EXPECT_EQ(texts, ExcludeFlattenTextsOf(entry));
  EXPECT_EQ("ab", WithoutLineBreaks("a\r\nb\n"));
}

class AreaFolderTest : public SimRootTest {
 protected:
  void SetUp() override {
    SimRootTest::SetUp();
    m_sim = Root() / "sim";
    m_cd1 = Root() / "cd1";
    m_cd2 = Root() / "cd2";
    for (const fs::path& p : {m_sim / "Scenery" / "World", m_cd1 / "SCENERY" / "A", m_cd2 / "SCENERY" / "A"})
      fs::create_directories(p);
    m_drives.Add({"/", win::DriveType::Fixed, ""});
    m_drives.Add({m_cd2, win::DriveType::CdRom, "OTHER"});
    m_drives.Add({m_cd1, win::DriveType::CdRom, "SCENE1"});
  }
  static std::string Backslashed(const fs::path& p) {
    std::string text = fs::weakly_canonical(p).string();
    for (char& c : text)
      if (c == '/') c = '\\';
    return text;
  }

  fs::path m_sim, m_cd1, m_cd2;
  win::FakeDriveTable m_drives;
};

TEST_F(AreaFolderTest, AChosenFolderIsStoredRelativeToTheRootOnItsDiscOrInFull) {
  struct Case {
    const char* name;
    fs::path folder;
    std::string text;
    bool onCd;
  };
  const Case cases[] = {
      {"SimRoot", m_sim, ".\\", false},
      {"BelowSimRoot", m_sim / "Scenery" / "World", "Scenery\\World", false},
      {"BelowSimRootTrailingSlash", m_sim / "Scenery" / "", "Scenery", false},
      {"OutsideSimRoot", Root() / "cd1" / ".." / "sim2", Backslashed(Root() / "sim2"), false},
      {"CdRoot", m_cd1, "[SCENE1]\\", true},
      {"FolderOnCd", m_cd1 / "SCENERY" / "A", "[SCENE1]SCENERY\\A", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StoredFolder stored = StoredFolderOf(c.folder, m_sim, m_drives);
    EXPECT_EQ(c.text, stored.text);
    EXPECT_EQ(c.onCd, stored.onCd);
  }
}

TEST_F(AreaFolderTest, ADiscAreaIsFoundOnTheDriveWithItsLabel) {
  AreaEntry area;
  area.ParsePathValue("[scene1]SCENERY\\A");
  EXPECT_EQ(fs::path(m_cd1 / "SCENERY" / "A"), FindCdAreaFolder(area, m_drives));
  area.ParsePathValue("[SCENE1]\\");
  EXPECT_EQ(m_cd1, FindCdAreaFolder(area, m_drives));
  area.ParsePathValue("[]scenery\\a");
  EXPECT_EQ(fs::path(m_cd2 / "SCENERY" / "A"), FindCdAreaFolder(area, m_drives)) << "no label: the first disc";
  area.ParsePathValue("[ELSEWHERE]SCENERY\\A");
  EXPECT_EQ(std::nullopt, FindCdAreaFolder(area, m_drives));

  AreaEntry local;
  local.ParsePathValue("scenery\\world");
  EXPECT_EQ(fs::path(m_sim / "Scenery" / "World"), FindAreaFolder(local, m_sim));
  local.ParsePathValue("Scenery\\Gone");
  EXPECT_EQ(std::nullopt, FindAreaFolder(local, m_sim));
}

TEST_F(AreaFolderTest, SceneryIsFoundInTheFolderOrItsScenerySubfolderWhateverTheCase) {
  Put("a/OLD.BGL", "x");
  Put("b/Scenery/n.bgl", "x");
  Put("c/scenery/readme.txt", "x");
  Put("c/texture/t.bgl", "x");
  fs::create_directories(Root() / "d" / "x.bgl");
  EXPECT_TRUE(FolderHasBgl(Root() / "a"));
  EXPECT_TRUE(FolderHasBgl(Root() / "b"));
  EXPECT_FALSE(FolderHasBgl(Root() / "c"));
  EXPECT_FALSE(FolderHasBgl(Root() / "d")) << "a folder named like a scenery file";
  EXPECT_FALSE(FolderHasBgl(Root() / "missing"));
}

TEST_F(AreaFolderTest, TheBrowserOffersLinkedFoldersButNeitherHiddenOnesNorLinksLeadingNowhere) {
  fs::create_directories(m_sim / "Addon");
  fs::create_directories(m_sim / ".cache");
  fs::create_directory_symlink(m_sim / "Addon", m_sim / "Linked");
  fs::create_directory_symlink(m_sim / "Gone", m_sim / "Broken");
  fs::create_directory_symlink(m_sim / "Loop", m_sim / "Loop");
  Put("sim/file.bgl", "x");
  fs::create_symlink(m_sim / "file.bgl", m_sim / "FileLink");
  std::vector<std::string> names;
  for (const fs::path& p : BrowsableSubfolders(m_sim)) names.push_back(p.filename().string());
  EXPECT_EQ((std::vector<std::string>{"Addon", "Linked", "Scenery"}), names);
  EXPECT_TRUE(BrowsableSubfolders(Root() / "missing").empty());
}

TEST_F(AreaFolderTest, ThePanelStartsFromTheStoredFolderAndFollowsTheSelection) {
  Put("sim/Scenery/World/scenery/w.bgl", "x");
  Put("cd1/SCENERY/A/a.bgl", "x");
  AreaPanelState panel(m_sim, m_drives);

  AreaEntry added;
  EXPECT_EQ(m_sim, panel.Start(added)) << "a new area opens on the simulator root";
  EXPECT_FALSE(panel.OkEnabled());
  panel.SelectFolder(m_cd1 / "SCENERY" / "A");
  EXPECT_TRUE(panel.Cache()) << "a new area on a disc is cached";
  panel.SetTitle(" \t");
  EXPECT_FALSE(panel.OkEnabled()) << "a title of blanks is none";
  panel.SetTitle(" Alps");
  EXPECT_TRUE(panel.OkEnabled());
  panel.SelectFolder(m_sim / "Scenery" / "World");
  EXPECT_FALSE(panel.Cache()) << "elsewhere it is used directly";
  EXPECT_TRUE(panel.OkEnabled()) << "scenery in the folder's scenery subfolder counts";
  panel.SelectFolder(m_sim / "Scenery");
  EXPECT_FALSE(panel.OkEnabled());
  panel.SelectFolder(m_sim / "Scenery" / "World");
  panel.Apply(" Alps", added);
  EXPECT_EQ(" Alps", added.title) << "the title is stored as typed";
  EXPECT_EQ("Scenery\\World", added.FormatPathValue());
  EXPECT_FALSE(added.remote);

  AreaEntry absent;
  absent.title = "Absent";
  absent.ParsePathValue("[NODISC]Scenery\\X");
  absent.remote = true;
  EXPECT_EQ(std::nullopt, panel.Start(absent));
  EXPECT_EQ("[NODISC]Scenery\\X", panel.PathText());
  EXPECT_TRUE(panel.OkEnabled()) << "a disc not inserted keeps its stored folder";
  panel.SetCache(true);
  panel.SelectFolder(m_sim / "Scenery" / "World");
  EXPECT_TRUE(panel.Cache()) << "an edited area keeps the user's choice";
  AreaEntry kept = absent;
  panel.Start(absent);
  panel.Apply("Absent", kept);
  EXPECT_EQ(absent.FormatPathValue(), kept.FormatPathValue());
  EXPECT_TRUE(kept.onCd);
}

// A simulator installed in a Wine prefix: drive C holds it, drive D is a folder of its own, and
// one area of the simulator's folder is a link to scenery kept elsewhere.
class WinePrefixTest : public SimRootTest {
 protected:
  void SetUp() override {
    SimRootTest::SetUp();
    m_prefix = Root() / "prefix";
    m_sim = m_prefix / "drive_c" / "Sim";
    m_d = m_prefix / "ddrive";
    Put("prefix/drive_c/Sim/Scenery/World/w.bgl", "x");
    Put("prefix/drive_c/Other/o.bgl", "x");
    Put("prefix/ddrive/d.bgl", "x");
    Put("prefix/ddrive/Scenery/Addon/a.bgl", "x");
    Put("prefix/ddrive/Scenery/Other/o.bgl", "x");
    Put("elsewhere/Addon/Sub/s.bgl", "x");
    Put("elsewhere/Addon/l.bgl", "x");
    fs::create_directories(m_prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", m_prefix / "dosdevices" / "c:");
    fs::create_directory_symlink("../ddrive", m_prefix / "dosdevices" / "d:");
    fs::create_directory_symlink(Root() / "elsewhere" / "Addon", m_sim / "Scenery" / "LinkedAddon");
    Put("prefix/drive_c/Sim/Scenery.cfg",
        "[Area.001]\r\nTitle=On drive D\r\nLocal=D:\\Scenery\\Addon\r\nLayer=1\r\nActive=TRUE\r\n\r\n"
        "[Area.002]\r\nTitle=Linked\r\nLocal=Scenery\\LinkedAddon\r\nLayer=2\r\nActive=TRUE\r\n\r\n"
        "[Area.003]\r\nTitle=World\r\nLocal=Scenery\\World\r\nLayer=3\r\nActive=TRUE\r\n");
    m_driveRoots = win::DriveRootsFor(m_sim);
    m_drives.Add({"/", win::DriveType::Fixed, ""});
  }

  // What Save to FS writes for the rows in their order: the simulator of this version reads
  // the newest of its configurations.
  std::string Saved(AreaRows& rows) {
    std::string error;
    EXPECT_TRUE(rows.ListToSave().WriteSceneryCfg(m_sim, 90, &error)) << error;
    return Get("prefix/drive_c/Sim/NewScenery.CFG");
  }

  fs::path m_prefix, m_sim, m_d;
  win::DriveRoots m_driveRoots;
  win::FakeDriveTable m_drives;
};

TEST_F(WinePrefixTest, EditAndOkOnEveryAreaSaveTheSameFoldersAsTheFileGave) {
  ASSERT_EQ(2u, m_driveRoots.size()) << "drives C and D of the prefix";
  CAreaList areas;
  ASSERT_TRUE(areas.ReadSceneryCfg(m_sim, 90));
  AreaRows rows(areas, true);
  const std::string untouched = Saved(rows);
  AreaPanelState panel(m_sim, m_drives, &m_driveRoots);
  std::vector<fs::path> opened;
  for (int row = 0; row < rows.Count(); ++row) {
    SCOPED_TRACE(rows.EntryOf(row).title);
    const std::optional<fs::path> folder = panel.Start(rows.EntryOf(row));
    ASSERT_TRUE(folder) << "every stored folder is on this machine";
    opened.push_back(*folder);
    panel.SelectFolder(*folder);  // the browser selects the stored folder in its tree
    EXPECT_TRUE(panel.OkEnabled());
    AreaEntry edited = rows.EntryOf(row);
    panel.Apply(edited.title, edited);
    rows.ReplaceEntry(row, edited);
  }
  EXPECT_EQ((std::vector<fs::path>{m_sim / "Scenery" / "World", m_sim / "Scenery" / "LinkedAddon",
                                   fs::canonical(m_d) / "Scenery" / "Addon"}),
            opened)
      << "the browser opens on the link, not on where it leads";
  const std::string saved = Saved(rows);
  EXPECT_EQ(untouched, saved);
  EXPECT_NE(std::string::npos, saved.find("\r\nLocal=D:\\Scenery\\Addon\r\n")) << saved;
  EXPECT_NE(std::string::npos, saved.find("\r\nLocal=Scenery\\LinkedAddon\r\n")) << saved;
}

TEST_F(WinePrefixTest, AFolderPickedIsStoredWithItsDriveLetterOrThroughItsLink) {
  AreaEntry linked;
  linked.title = "Linked";
  linked.ParsePathValue("Scenery\\LinkedAddon");
  struct Case {
    const char* name;
    fs::path folder;
    std::string text;
  };
  const Case cases[] = {
      {"OnDriveD", m_d / "Scenery" / "Other", "D:\\Scenery\\Other"},
      {"DriveDItself", m_d, "D:\\"},
      {"ThroughTheDriveLink", m_prefix / "dosdevices" / "d:" / "Scenery" / "Other", "D:\\Scenery\\Other"},
      {"OnDriveCOutsideTheSimulator", m_prefix / "drive_c" / "Other", "C:\\Other"},
      {"BelowTheSimulator", m_sim / "Scenery" / "World", "Scenery\\World"},
      {"BelowALink", m_sim / "Scenery" / "LinkedAddon" / "Sub", "Scenery\\LinkedAddon\\Sub"},
      {"BackToTheStoredFolder", m_sim / "Scenery" / "LinkedAddon", "Scenery\\LinkedAddon"},
      {"TheStoredFolderWhereItsLinkLeads", Root() / "elsewhere" / "Addon", "Scenery\\LinkedAddon"},
  };
  AreaPanelState panel(m_sim, m_drives, &m_driveRoots);
  panel.Start(linked);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    panel.SelectFolder(c.folder);
    EXPECT_EQ(c.text, panel.PathText());
    EXPECT_TRUE(panel.OkEnabled());
  }
  const StoredFolder outside = StoredFolderOf(Root() / "elsewhere" / "Addon" / "Sub", m_sim, m_drives, &m_driveRoots);
  EXPECT_EQ('\\', outside.text.front()) << "no drive holds it: the full path " << outside.text;
}

CAreaList ThreeAreas() {
  CAreaList areas;
  areas.m_databaseName = "Scenery";
  areas.m_worldTitle = "World";
  areas.m_generalPairs = {{"Title", "FS Scenery"}};
  areas.m_cacheSections = {{{"Size", "10"}}};
  for (const char* title : {"A", "B", "C"}) {
    AreaEntry e;
    e.title = title;
    areas.AddArea(e);
  }
  areas.m_entries[1].required = true;
  areas.m_entries[1].active = false;
  return areas;
}

std::vector<std::string> Titles(const AreaRows& rows) {
  std::vector<std::string> titles;
  for (int i = 0; i < rows.Count(); ++i) titles.push_back(rows.EntryOf(i).title);
  return titles;
}

std::vector<std::string> Titles(const CAreaList& list) {
  std::vector<std::string> titles;
  for (const AreaEntry& e : list.m_entries) titles.push_back(e.title + (e.active ? "+" : "-"));
  return titles;
}

TEST(AreaRowsTest, MovesAtTheEndsDoNothingAndRearrangingRenumbersEveryRow) {
  CAreaList areas = ThreeAreas();
  AreaRows rows(areas, true);
  EXPECT_EQ("1", rows.PriorityText(0));
  EXPECT_EQ("3", rows.PriorityText(2));
  EXPECT_EQ(-1, rows.MoveUp(0));
  EXPECT_EQ(-1, rows.MoveDown(2));
  EXPECT_EQ("2", rows.PriorityText(1)) << "a refused move renumbers nothing";
  EXPECT_EQ(1, rows.MoveDown(0));
  EXPECT_EQ((std::vector<std::string>{"B", "A", "C"}), Titles(rows));
  EXPECT_EQ("001", rows.PriorityText(0));
  EXPECT_EQ("003", rows.PriorityText(2));
  EXPECT_EQ(1, rows.MoveUp(2));
  EXPECT_EQ((std::vector<std::string>{"B", "C", "A"}), Titles(rows));
  EXPECT_FALSE(rows.Row(0).checked);
  EXPECT_TRUE(rows.Row(2).checked) << "the check box moves with its area";
}

TEST(AreaRowsTest, RequiredAreasCanBeCheckedButNotSwitchedOffEditedOrDeleted) {
  CAreaList areas = ThreeAreas();
  AreaRows rows(areas, true);
  EXPECT_EQ(0, rows.SetChecked(1, true));
  EXPECT_EQ(IDS_REQUIRED_OFF, rows.SetChecked(1, false));
  EXPECT_TRUE(rows.Row(1).checked);
  EXPECT_EQ(IDS_REQUIRED_EDIT, rows.EditRefusal(1));
  EXPECT_EQ(IDS_REQUIRED_DELETE, rows.DeleteRefusal(1));
  EXPECT_EQ(0, rows.SetChecked(0, false));
  EXPECT_EQ(0, rows.EditRefusal(0));
  rows.CheckAll();
  EXPECT_TRUE(rows.Row(0).checked);
  EXPECT_EQ("Area B is required and can not be turned off.",
            FormatBuilderString(IDS_REQUIRED_OFF, {rows.EntryOf(1).title}));

  AreaRows simple(areas, false);
  EXPECT_EQ(0, simple.SetChecked(1, false)) << "scenery sets have no required areas";
}

TEST(AreaRowsTest, AddAndDeleteChangeOnlyTheViewAndTheListsFollowIt) {
  CAreaList areas = ThreeAreas();
  AreaRows rows(areas, true);
  AreaEntry added;
  added.title = "New";
  EXPECT_EQ(0, rows.AddAtTop(added));
  EXPECT_EQ(3, rows.Row(0).entry);
  EXPECT_EQ("001", rows.PriorityText(0));
  EXPECT_EQ(2, rows.Delete(3)) << "the last row deleted: the new last is selected";
  EXPECT_EQ(1, rows.Delete(1)) << "the row now at the deleted index is selected";
  EXPECT_EQ((std::vector<std::string>{"New", "B"}), Titles(rows));
  EXPECT_EQ(4u, areas.m_entries.size()) << "deleting never removes an area from the list";

  rows.SetChecked(0, false);
  const CAreaList build = rows.ListToBuild();
  EXPECT_EQ((std::vector<std::string>{"New-", "B-"}), Titles(build));
  EXPECT_EQ("Scenery", build.m_databaseName);
  EXPECT_EQ("World", build.m_worldTitle);
  EXPECT_FALSE(areas.m_entries[3].active) << "the check state is kept in the dialog's list";
  const CAreaList save = rows.ListToSave();
  EXPECT_EQ(areas.m_generalPairs.size(), save.m_generalPairs.size());
  EXPECT_EQ(1u, save.m_cacheSections.size());
  EXPECT_EQ(2u, save.m_entries.size());

  EXPECT_EQ(0, rows.Delete(1));
  EXPECT_EQ(-1, rows.Delete(0));
  EXPECT_TRUE(rows.ListToBuild().m_entries.empty());
}

TEST(AreaRowsTest, ASetShowsItsStoredFlagsAgainAfterSwitchingAndABuildStoresThem) {
  CAreaList first = ThreeAreas();
  CAreaList second = ThreeAreas();
  {
    AreaRows rows(first, false);
    rows.SetChecked(0, false);
  }
  AreaRows other(second, false);
  EXPECT_TRUE(AreaRows(first, false).Row(0).checked) << "unchecked boxes are not kept across a switch";
  AreaRows again(first, false);
  again.SetChecked(2, false);
  EXPECT_EQ((std::vector<std::string>{"A+", "B-", "C-"}), Titles(again.ListToBuild()));
  EXPECT_FALSE(AreaRows(first, false).Row(2).checked) << "a build stores the flags in the set";
}

}  // namespace
