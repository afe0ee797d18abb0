#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "basemaker/app/AreaList.h"
#include "basemaker/app/tests/SimRootFixture.h"

namespace {

std::string Area(const std::string& section, const std::string& title, int layer,
                 const std::string& extra = "") {
  return "[" + section + "]\r\nTitle=" + title + "\r\nLocal=Scenery\\" + title +
         "\r\nLayer=" + std::to_string(layer) + "\r\nActive=TRUE\r\n" + extra + "\r\n";
}

std::vector<std::string> Titles(const CAreaList& list) {
  std::vector<std::string> titles;
  for (const auto& e : list.m_entries) titles.push_back(e.title);
  return titles;
}

class SceneryCfg : public SimRootTest {
 protected:
  CAreaList Read(int simVer = 80) {
    CAreaList list;
    EXPECT_TRUE(list.ReadSceneryCfg(Root(), simVer));
    return list;
  }
};

TEST_F(SceneryCfg, ReadsHighestLayerFirstAndWritesAreasBackNumberedFromTheLast) {
  Put("Scenery.cfg", Area("Area.001", "FiveA", 5) + Area("Area.002", "Two", 2) +
                         Area("Area.003", "FiveB", 5) + Area("Area.004", "Nine", 9));
  const CAreaList list = Read();
  EXPECT_EQ(Titles(list), (std::vector<std::string>{"Nine", "FiveA", "FiveB", "Two"}));

  std::string error;
  ASSERT_TRUE(list.WriteSceneryCfg(Root(), 80, &error)) << error;
  const CAreaList again = Read();
  EXPECT_EQ(Titles(again), Titles(list));
  // The first entry carries the highest layer; numbering runs from the last entry.
  EXPECT_EQ(Get("Scenery.cfg"),
            "[Area.001]\r\nTitle=Two\r\nActive=TRUE\r\nLayer=1\r\nLocal=Scenery\\Two\r\n"
            "\r\n[Area.002]\r\nTitle=FiveB\r\nActive=TRUE\r\nLayer=2\r\nLocal=Scenery\\FiveB\r\n"
            "\r\n[Area.003]\r\nTitle=FiveA\r\nActive=TRUE\r\nLayer=3\r\nLocal=Scenery\\FiveA\r\n"
            "\r\n[Area.004]\r\nTitle=Nine\r\nActive=TRUE\r\nLayer=4\r\nLocal=Scenery\\Nine\r\n");
}

TEST_F(SceneryCfg, TakesOnlyCompleteAreaSections) {
  struct Case {
    const char* name;
    const char* section;
    bool taken;
    bool active = false, remote = false, onCd = false, required = false;
    const char* label = "";
    const char* path = "";
  };
  const Case cases[] = {
      {"Complete", "[Area.001]\nTitle=T\nLocal=.\\Scenery\\A\nLayer=3\nActive=TRUE", true, true,
       false, false, false, "", ".\\Scenery\\A"},
      {"EmptyTitle", "[Area.001]\nTitle=\nLocal=A\nLayer=3\nActive=TRUE", false},
      {"NoActive", "[Area.001]\nTitle=T\nLocal=A\nLayer=3", false},
      {"NoFolder", "[Area.001]\nTitle=T\nLayer=3\nActive=TRUE", false},
      {"ZeroLayer", "[Area.001]\nTitle=T\nLocal=A\nLayer=0\nActive=TRUE", false},
      {"NegativeLayer", "[Area.001]\nTitle=T\nLocal=A\nLayer=-2\nActive=TRUE", false},
      {"NoLayer", "[Area.001]\nTitle=T\nLocal=A\nActive=TRUE", false},
      {"NotAnAreaWithoutDot", "[Area12]\nTitle=T\nLocal=A\nLayer=3\nActive=TRUE", false},
      {"LowerCaseName", "[area.12]\nTitle=T\nLocal=A\nLayer=3\nActive=TRUE", true, true, false,
       false, false, "", "A"},
      {"ActiveInLowerCase", "[Area.1]\nTitle=T\nLocal=A\nLayer=3\nActive=true", true, true, false,
       false, false, "", "A"},
      {"ActiveOtherText", "[Area.1]\nTitle=T\nLocal=A\nLayer=3\nActive=1", true, false, false,
       false, false, "", "A"},
      {"RequiredOnlyWhenTrue", "[Area.1]\nTitle=T\nLocal=A\nLayer=3\nActive=TRUE\nRequired=yes",
       true, true, false, false, false, "", "A"},
      {"Required", "[Area.1]\nTitle=T\nLocal=A\nLayer=3\nActive=TRUE\nRequired=True", true, true,
       false, false, true, "", "A"},
      {"RemoteDisc", "[Area.1]\nTitle=T\nRemote=[DISK1]\\Scenery\\A\nLayer=3\nActive=TRUE", true,
       true, true, true, false, "DISK1", "\\Scenery\\A"},
      {"LocalBeforeRemote", "[Area.1]\nTitle=T\nLocal=A\nRemote=B\nLayer=3\nActive=TRUE", true,
       true, false, false, false, "", "A"},
      {"EmptyLocalFallsBackToRemote", "[Area.1]\nTitle=T\nLocal=\nRemote=B\nLayer=3\nActive=TRUE",
       true, true, true, false, false, "", "B"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Put("Scenery.cfg", c.section);
    const CAreaList list = Read();
    ASSERT_EQ(list.m_entries.size(), c.taken ? 1u : 0u);
    if (!c.taken) continue;
    const AreaEntry& e = list.m_entries[0];
    EXPECT_EQ(e.title, "T");
    EXPECT_EQ(e.active, c.active);
    EXPECT_EQ(e.remote, c.remote);
    EXPECT_EQ(e.onCd, c.onCd);
    EXPECT_EQ(e.required, c.required);
    EXPECT_EQ(e.cdLabel, c.label);
    EXPECT_EQ(e.path, c.path);
  }
}

TEST_F(SceneryCfg, CarriesGeneralCacheAndAreaKeysThroughAndDropsTheRest) {
  Put("Scenery.cfg",
      "[General]\nTitle=World\nClean_on_Exit=TRUE\n\n"
      "[Cache.007]\nPath=C:\\cache\nSize=40\n\n"
      "[Cache.008]\n\n"
      "[Area.003]\nTexture_ID=5\nGroup=G\nID=12\nTitle=Alps\nActive=FALSE\nLayer=7\n"
      "GroupID=99\nRemote=[CD2]Alps\\\nRequired=TRUE\nExclude=N46 E006 N45 E007 7\n"
      "Flatten.0=a\nFlatten.9=z\nUnknownKey=lost\n\n"
      "[Custom]\nKey=lost\n\n"
      "[Cache.001]\nPath=D:\\other\n");
  const CAreaList list = Read();
  ASSERT_EQ(list.m_entries.size(), 1u);
  ASSERT_TRUE(list.WriteSceneryCfg(Root(), 80));
  EXPECT_EQ(Get("Scenery.cfg"),
            "[General]\r\nTitle=World\r\nClean_on_Exit=TRUE\r\n"
            "\r\n[Area.001]\r\nTexture_ID=5\r\nGroup=G\r\nID=12\r\nTitle=Alps\r\nActive=FALSE\r\n"
            "Layer=1\r\nGroupID=99\r\nRemote=[CD2]Alps\\\r\nRequired=TRUE\r\n"
            "Exclude=N46 E006 N45 E007 7\r\nFlatten.0=a\r\nFlatten.9=z\r\n"
            "\r\n[Cache.000]\r\nPath=C:\\cache\r\nSize=40\r\n"
            "\r\n[Cache.001]\r\nPath=D:\\other\r\n");
}

TEST_F(SceneryCfg, KeepsLongTextsAndManyKeysWhole) {
  const std::string longTitle(5000, 't');
  const std::string longPath = "Scenery\\" + std::string(3000, 'p');
  std::string general = "[General]\n";
  for (int i = 0; i < 400; ++i) general += "Key" + std::to_string(i) + "=value\n";
  Put("Scenery.cfg", general + "[Area.001]\nTitle=" + longTitle + "\nLocal=" + longPath +
                         "\nLayer=1\nActive=TRUE\n");
  CAreaList list = Read();
  ASSERT_EQ(list.m_entries.size(), 1u);
  EXPECT_EQ(list.m_entries[0].title, longTitle);
  EXPECT_EQ(list.m_entries[0].path, longPath);
  EXPECT_EQ(list.m_generalPairs.size(), 400u);
  ASSERT_TRUE(list.WriteSceneryCfg(Root(), 80));
  const CAreaList again = Read();
  ASSERT_EQ(again.m_entries.size(), 1u);
  EXPECT_EQ(again.m_entries[0].title, longTitle);
  EXPECT_EQ(again.m_entries[0].path, longPath);
  ASSERT_EQ(again.m_generalPairs.size(), 400u);
  EXPECT_EQ(again.m_generalPairs[399].key, "Key399");
}

TEST_F(SceneryCfg, MissingFileLeavesOnlyTheNameAndTheVersionsWorldTexts) {
  std::vector<std::string> titles;
  for (int simVer : {70, 80, 90}) {
    CAreaList list;
    EXPECT_FALSE(list.ReadSceneryCfg(Root(), simVer));
    EXPECT_TRUE(list.m_entries.empty());
    EXPECT_EQ(list.m_databaseName, "Scenery");
    EXPECT_FALSE(list.m_worldDescription.empty());
    ASSERT_TRUE(list.m_worldTitle.ends_with(" WORLD"));
    titles.push_back(list.m_worldTitle);
  }
  EXPECT_NE(titles[0], titles[1]);
  EXPECT_NE(titles[1], titles[2]);
}

TEST_F(SceneryCfg, ChoosesTheConfigurationFileByVersion) {
  struct Case {
    const char* name;
    int simVer;
    bool newCfg, cfg, oldCfg;
    const char* readFrom;  // title of the only area, "" for none
  };
  const Case cases[] = {
      {"OlderVersionsReadSceneryCfg", 80, true, true, true, "cfg"},
      {"NewSceneryFirst", 90, true, true, true, "new"},
      {"ThenSceneryCfg", 90, false, true, true, "cfg"},
      {"ThenOldScenery", 90, false, false, true, "old"},
      {"OlderVersionNeverReadsOthers", 70, true, false, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(Root());
    std::filesystem::create_directories(Root());
    // Letter case as a copy from Windows may leave it.
    if (c.newCfg) Put("newscenery.cfg", Area("Area.001", "new", 1));
    if (c.cfg) Put("SCENERY.CFG", Area("Area.001", "cfg", 1));
    if (c.oldCfg) Put("OldScenery.CFG", Area("Area.001", "old", 1));
    CAreaList list;
    list.ReadSceneryCfg(Root(), c.simVer);
    if (*c.readFrom == '\0') {
      EXPECT_TRUE(list.m_entries.empty());
    } else {
      ASSERT_EQ(list.m_entries.size(), 1u);
      EXPECT_EQ(list.m_entries[0].title, c.readFrom);
    }
  }
}

TEST_F(SceneryCfg, NewerVersionKeepsTheTwoPreviousConfigurations) {
  Put("Scenery.cfg", Area("Area.001", "previous", 1));
  Put("NewScenery.CFG", Area("Area.001", "latest", 1));
  Put("OldScenery.CFG", Area("Area.001", "oldest", 1));
  std::filesystem::permissions(Root() / "Scenery.cfg", std::filesystem::perms::owner_read);
  CAreaList list = Read(90);
  ASSERT_EQ(Titles(list), std::vector<std::string>{"latest"});
  list.m_entries[0].title = "edited";
  std::string error;
  ASSERT_TRUE(list.WriteSceneryCfg(Root(), 90, &error)) << error;
  EXPECT_EQ(Get("OldScenery.CFG"), Area("Area.001", "previous", 1));
  EXPECT_EQ(Get("Scenery.cfg"), Area("Area.001", "latest", 1));
  EXPECT_NE(Get("NewScenery.CFG").find("Title=edited"), std::string::npos);
}

TEST_F(SceneryCfg, NewerVersionWithOnlySceneryCfgWritesNewSceneryWithoutCopies) {
  Put("Scenery.cfg", Area("Area.001", "only", 1));
  const CAreaList list = Read(90);
  ASSERT_TRUE(list.WriteSceneryCfg(Root(), 90));
  EXPECT_EQ(Get("Scenery.cfg"), Area("Area.001", "only", 1));
  EXPECT_FALSE(Has("OldScenery.CFG"));
  EXPECT_NE(Get("NewScenery.CFG").find("Title=only"), std::string::npos);
}

TEST_F(SceneryCfg, OlderVersionReplacesReadOnlySceneryCfgInItsOwnLetterCase) {
  Put("SCENERY.CFG", Area("Area.001", "one", 1));
  Put("NewScenery.CFG", "untouched");
  std::filesystem::permissions(Root() / "SCENERY.CFG", std::filesystem::perms::owner_read);
  CAreaList list = Read(80);
  list.m_entries[0].active = false;
  ASSERT_TRUE(list.WriteSceneryCfg(Root(), 80));
  EXPECT_NE(Get("SCENERY.CFG").find("Active=FALSE"), std::string::npos);
  EXPECT_FALSE(Has("Scenery.cfg") && !std::filesystem::equivalent(Root() / "Scenery.cfg",
                                                                   Root() / "SCENERY.CFG"));
  EXPECT_EQ(Get("NewScenery.CFG"), "untouched");
}

TEST_F(SceneryCfg, ReportsAWriteErrorAndKeepsThePreviousFiles) {
  Put("Scenery.cfg", Area("Area.001", "kept", 1));
  // A folder where the file should go: the save cannot replace it.
  std::filesystem::create_directories(Root() / "NewScenery.CFG" / "x");
  const CAreaList list = Read(80);
  std::string error;
  EXPECT_FALSE(list.WriteSceneryCfg(Root(), 90, &error));
  EXPECT_NE(error.find("NewScenery.CFG"), std::string::npos) << error;
  EXPECT_EQ(Get("Scenery.cfg"), Area("Area.001", "kept", 1));

  CAreaList nowhere;
  EXPECT_FALSE(nowhere.WriteSceneryCfg(Root() / "missing" / "root", 80, &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
