// The save-as-SID/STAR dialog's rules without its window: the list, picking a procedure, the
// region and country boxes, and OK's checks with the author setting.

#include "plotr/tools/SaveSidStarForm.h"

#include <gtest/gtest.h>

#include "platform/profile/Profile.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/tests/support/PlanFixture.h"

namespace {

CSidStarProcedure Procedure(const char* id, const char* name) {
  CSidStarProcedure p;
  p.id = id;
  p.name = name;
  return p;
}

class SaveSidStarFormTest : public ::testing::Test {
 protected:
  SaveSidStarFormTest() : m_folder("savesidstar") {
    for (const char* name : kSidStarRegionNames) m_regions.push_back({name, {}});
    m_regions[4].countries = {{"France", true}, {"Germany", false}, {"Switzerland", true}};
    m_values.saveMode = true;
    m_values.regions = &m_regions;
    m_values.region = 4;
    m_values.country = "Switzerland";
    m_values.procedures = {Procedure("ALPHA1", "climb straight\r\nthen left"), Procedure("BRAVO2", "via BRAVO")};
  }

  // Answers every box with `answer` and records the texts.
  SaveSidStarForm::AskUser Asker(int answer = ui::kIdOk) {
    return [this, answer](const std::string& text, uint32_t) {
      m_asked.push_back(text);
      return answer;
    };
  }
  std::string StoredAuthor() const {
    return profile::GetString(m_folder.ProgramCfg(), "Settings", "CreatedBy", "<none>");
  }

  plantest::ScopedPlanFolder m_folder;
  std::vector<CSidStarRegion> m_regions;
  SidStarSaveValues m_values;
  std::vector<std::string> m_asked;
};

TEST_F(SaveSidStarFormTest, CaptionFollowsModeAndKind) {
  const struct {
    bool saveMode, isStar;
    unsigned id;
    const char* caption;
  } cases[] = {{true, false, 6101, "Save Plan as SID"}, {true, true, 6102, "Save Plan as STAR"},
               {false, false, 6103, "Properties of SID"}, {false, true, 6104, "Properties of STAR"}};
  for (const auto& c : cases) {
    m_values.saveMode = c.saveMode;
    m_values.isStar = c.isStar;
    SaveSidStarForm form(m_values);
    EXPECT_EQ(form.CaptionId(), c.id);
    EXPECT_EQ(form.Caption(), c.caption);
    EXPECT_EQ(form.RowImage(), c.isStar ? 20 : 19);
  }
}

TEST_F(SaveSidStarFormTest, ListShowsIdsWithTheDescriptionsFirstLine) {
  SaveSidStarForm form(m_values);
  ASSERT_EQ(form.Rows().size(), 2u);
  EXPECT_EQ(form.Rows()[0].id, "ALPHA1");
  EXPECT_EQ(form.Rows()[0].description, "climb straight");
  EXPECT_EQ(form.Rows()[1].description, "via BRAVO");
  EXPECT_EQ(form.ListSelection(), -1);
}

TEST_F(SaveSidStarFormTest, FocusingTheListPicksAProcedure) {
  {
    m_values.procedures.clear();
    m_values.id = "KEEP";
    SaveSidStarForm form(m_values);
    EXPECT_FALSE(form.OnListFocus()) << "an empty list selects nothing";
    EXPECT_EQ(form.ListSelection(), -1);
    EXPECT_EQ(form.Identification(), "KEEP");
  }
  m_values.procedures = {Procedure("alpha1", "climb straight\r\nthen left"), Procedure("BRAVO2", "via BRAVO")};
  m_values.id = "NEW";
  m_values.region = 4;
  SaveSidStarForm form(m_values);
  form.ChooseRegion(-1);
  ASSERT_TRUE(form.OnListFocus());
  EXPECT_EQ(form.ListSelection(), 0);
  EXPECT_EQ(form.Identification(), "ALPHA1") << "upper-cased as if typed";
  EXPECT_EQ(form.Description(), "climb straight\r\nthen left") << "the whole description";
  EXPECT_EQ(form.RegionItem(), -1) << "picking leaves region and country alone";

  ASSERT_TRUE(form.OnRowSelected(1));
  EXPECT_EQ(form.Identification(), "BRAVO2");
  ASSERT_TRUE(form.OnListFocus()) << "with a row selected, focus fills from that row";
  EXPECT_EQ(form.ListSelection(), 1);
  EXPECT_FALSE(form.OnRowSelected(2));
}

TEST_F(SaveSidStarFormTest, RegionsListByNameAndReturnTheirIndex) {
  SaveSidStarForm form(m_values);
  std::vector<std::string> names;
  for (const auto& item : form.RegionItems()) names.push_back(item.text);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  ASSERT_GE(form.RegionItem(), 0);
  EXPECT_EQ(form.RegionItems()[static_cast<size_t>(form.RegionItem())].text, "Europe");

  const struct {
    const char* region;
    int index;
  } cases[] = {{"Africa", 6}, {"Europe", 4}, {"North America", 0}, {"Oceania", 8}};
  for (const auto& c : cases) {
    SaveSidStarForm chooser(m_values);
    int data = -1;
    for (const auto& item : chooser.RegionItems()) {
      if (item.text == c.region) data = item.data;
    }
    ASSERT_GE(data, 0) << c.region;
    chooser.ChooseRegion(data);
    chooser.SetIdentification("X");
    ASSERT_TRUE(chooser.Ok(Asker())) << c.region;
    EXPECT_EQ(chooser.Result().region, c.index) << c.region;
  }
}

TEST_F(SaveSidStarFormTest, CountryBoxOffersTheRegionAndItsCountriesInUse) {
  SaveSidStarForm form(m_values);
  const auto& items = form.CountryItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "Europe");
  EXPECT_EQ(items[0].data, -1);
  EXPECT_EQ(items[0].image, 35);
  EXPECT_EQ(items[1].text, "France");
  EXPECT_EQ(items[2].text, "Switzerland");
  EXPECT_EQ(items[2].data, 2) << "the index in the region, past the unused Germany";
  EXPECT_EQ(items[2].image, 36);
  EXPECT_EQ(form.CountryItem(), 2) << "the caller's country is chosen";

  form.ChooseCountryItem(1);
  form.SetIdentification("X");
  ASSERT_TRUE(form.Ok(Asker()));
  EXPECT_EQ(form.Result().country, "France");

  // A region without countries in use offers only itself; saving it gives an empty country.
  SaveSidStarForm africa(m_values);
  africa.ChooseRegion(6);
  ASSERT_EQ(africa.CountryItems().size(), 1u);
  EXPECT_EQ(africa.CountryItem(), 0);
  africa.SetIdentification("X");
  ASSERT_TRUE(africa.Ok(Asker()));
  EXPECT_EQ(africa.Result().region, 6);
  EXPECT_EQ(africa.Result().country, "");
}

TEST_F(SaveSidStarFormTest, OkChecksRegionAndNameClashByMode) {
  const struct {
    const char* name;
    bool saveMode;
    int selected;
    int region;
    const char* id;
    int answer;
    bool accepted;
    std::vector<std::string> asked;
  } cases[] = {
      {"no region", true, -1, -1, "NEW1", ui::kIdOk, false, {"Please select a Global Region."}},
      {"new name", true, -1, 4, "NEW1", ui::kIdOk, true, {}},
      {"save over another, OK", true, 0, 4, "bravo2", ui::kIdOk, true, {"Overwrite existing BRAVO2 ?"}},
      {"save over another, Cancel", true, 0, 4, "BRAVO2", ui::kIdCancel, false, {"Overwrite existing BRAVO2 ?"}},
      {"save over the selected one", true, 1, 4, "Bravo2", ui::kIdOk, true, {}},
      {"rename onto another", false, 0, 4, "bravo2", ui::kIdOk, false, {"Rename not possible. BRAVO2 already exists."}},
      {"rename keeps its own name", false, 1, 4, "BRAVO2", ui::kIdOk, true, {}},
      {"blanks only", true, -1, 4, "   ", ui::kIdOk, false, {}},
  };
  for (const auto& c : cases) {
    g_Settings.SetCreatedBy("before");
    m_asked.clear();
    m_values.saveMode = c.saveMode;
    m_values.selected = c.selected;
    m_values.region = c.region;
    m_values.id = "";
    SaveSidStarForm form(m_values);
    form.SetIdentification(c.id);
    form.SetAuthor("  Rene  ");
    EXPECT_EQ(form.CanOk(), std::string(c.id) != "   ") << c.name;
    EXPECT_EQ(form.Ok(Asker(c.answer)), c.accepted) << c.name;
    EXPECT_EQ(m_asked, c.asked) << c.name;
    EXPECT_EQ(StoredAuthor(), c.accepted ? "Rene" : "before") << c.name << ": the author is stored only on OK";
  }
}

TEST_F(SaveSidStarFormTest, OkGivesTrimmedFieldsAndAuthorComesFromTheSetting) {
  g_Settings.SetCreatedBy("Stored Author");
  m_values.id = "  alpha9 ";
  m_values.description = " first\r\nsecond \r\n";
  SaveSidStarForm form(m_values);
  EXPECT_EQ(form.Author(), "Stored Author");
  form.SetAuthor(" Other ");
  ASSERT_TRUE(form.Ok(Asker()));
  EXPECT_EQ(form.Result().id, "ALPHA9");
  EXPECT_EQ(form.Result().description, "first\r\nsecond");
  EXPECT_EQ(form.Result().author, "Other");
  EXPECT_EQ(form.Result().country, "Switzerland");
  EXPECT_EQ(StoredAuthor(), "Other");
}

TEST_F(SaveSidStarFormTest, IdentificationAndAuthorStayOneLine) {
  const struct {
    const char* typed;
    const char* id;
    const char* author;
  } cases[] = {
      {"Jane\r\nDoe", "JANE DOE", "Jane Doe"},
      {"Jane\nDoe\n", "JANE DOE", "Jane Doe"},
      {"\tJane\x01\x7f Doe", "JANE  DOE", "Jane  Doe"},
      {"\r\n", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    SaveSidStarForm form(m_values);
    form.SetIdentification(c.typed);
    form.SetAuthor(c.typed);
    EXPECT_EQ(form.Ok(Asker()), *c.id != '\0');
    EXPECT_EQ(form.Identification(), c.id);
    EXPECT_EQ(form.Author(), c.author);
    if (*c.id != '\0') {
      EXPECT_EQ(StoredAuthor(), c.author);
    }
  }
}

TEST_F(SaveSidStarFormTest, TextsKeepToTheFileFieldsInCp1252Bytes) {
  SaveSidStarForm form(m_values);
  form.SetIdentification("abcdefghijklmnopqrstuvwxyz\xE9");
  EXPECT_EQ(form.Identification(), "ABCDEFGHIJKLMNOPQRST");
  form.SetIdentification("caf\xE9");
  EXPECT_EQ(form.Identification(), "CAF\xC9");
  form.SetAuthor(std::string(50, 'a'));
  EXPECT_EQ(form.Author().size(), 40u);
  ASSERT_TRUE(form.SetDescription(SaveSidStarForm::FromControlText(std::string(99, 'a') + "\n" + std::string(99, 'b'))));
  EXPECT_EQ(form.Description().size(), 200u) << "a line break counts two bytes";
  const std::string before = form.Description();
  EXPECT_FALSE(form.SetDescription(SaveSidStarForm::FromControlText(std::string(100, 'a') + "\n" + std::string(99, 'b'))));
  EXPECT_EQ(form.Description(), before);
  EXPECT_EQ(SaveSidStarForm::ToControlText("a\r\nb\rc"), "a\nb\rc");
  EXPECT_EQ(SaveSidStarForm::FromControlText("a\nb\r\nc"), "a\r\nb\r\nc");
}

}  // namespace
