#pragma once

// The save-as-SID/STAR and procedure properties dialog without its window: the list of the
// procedures on the runway, the region and country boxes, picking a listed procedure, and the
// checks of OK with their messages. The wx dialog only moves values between this form and its
// controls. Texts are code page 1252; the description keeps its line breaks as CR LF.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "plotr/tools/SidStarUi.h"

class SaveSidStarForm {
 public:
  // Control ids.
  enum : int {
    kIdList = 8244, kIdIdentification = 8245, kIdDescription = 8246, kIdAuthor = 8259,
    kIdRegion = 8263, kIdCountry = 8264,
  };
  // Images of the procedure browser's strip the list and boxes show.
  enum : int { kImageSid = 19, kImageStar = 20, kImageRegion = 35, kImageCountry = 36 };
  // Longest texts in code page 1252 bytes: the procedure file's fields.
  static constexpr size_t kIdLimit = kSidStarProcedureIdSize;
  static constexpr size_t kDescriptionLimit = kSidStarDescriptionSize;
  static constexpr size_t kAuthorLimit = kSidStarAuthorSize;

  struct Row {
    std::string id;
    std::string description;  // the first line
  };
  // An item of the region or country box; `data` the region's index, or the country's index in
  // its region (-1 for the region itself).
  struct BoxItem {
    std::string text;
    int data = -1;
    int image = 0;
  };
  // What the window asks the user: a message box with a ui::kMb* style, answered ui::kId*.
  using AskUser = std::function<int(const std::string& text, uint32_t style)>;

  // The titles of the list's columns, which the transfer dialog's list shares.
  static constexpr unsigned kIdsColumnIdentification = 6099;
  static constexpr unsigned kIdsColumnDescription = 6100;
  // Puts the dialog's texts (6099 to 6106, 6137) into the string table.
  static void AddStrings();
  // Takes the caller's values; the author comes fresh from the setting "CreatedBy".
  explicit SaveSidStarForm(const SidStarSaveValues& values);

  unsigned CaptionId() const;
  std::string Caption() const;
  int RowImage() const { return m_values.isStar ? kImageStar : kImageSid; }
  const std::vector<Row>& Rows() const { return m_rows; }
  // The list's selected row, -1 when none.
  int ListSelection() const { return m_listSelection; }

  // The region box's items, sorted by name as the box shows them, and the chosen one's position.
  const std::vector<BoxItem>& RegionItems() const { return m_regionItems; }
  int RegionItem() const;
  // Chooses the region of that index (-1 or another number: none) and fills the country box
  // again. The box hands over the index its item carries, never the item's position.
  void ChooseRegion(int region);
  // Item 0 the chosen region itself, then its countries in use; empty with no region chosen.
  const std::vector<BoxItem>& CountryItems() const { return m_countryItems; }
  int CountryItem() const { return m_countryItem; }
  void ChooseCountryItem(int item);

  // The list got the focus: with rows and none selected, row 0 is selected; the selected row's
  // procedure then fills identification and description. True when the fields were filled.
  bool OnListFocus();
  // A row became selected: its procedure fills identification and description. True when the
  // fields were filled.
  bool OnRowSelected(int row);

  // The fields as shown.
  const std::string& Identification() const { return m_id; }
  const std::string& Description() const { return m_description; }
  const std::string& Author() const { return m_author; }
  // Upper-cased as typed and cut at the limit. Identification and author stay one line: each
  // run of control characters (a pasted line break) becomes one blank.
  void SetIdentification(std::string_view text);
  // False (the field keeps its text) when the text is longer than the limit.
  bool SetDescription(std::string_view text);
  void SetAuthor(std::string_view text);
  // OK is enabled while the identification holds more than blanks: an empty one would end the
  // airport's procedure list in the file.
  bool CanOk() const;

  // OK: trims the fields, checks region and name clash (asking or telling through `ask`) and,
  // when accepted, stores the author in "CreatedBy". True when the dialog ends with OK; Result()
  // then holds the choice.
  bool Ok(const AskUser& ask);
  const SidStarSaveValues& Result() const { return m_values; }

  // Line breaks between the file's CR LF and a text control's LF.
  static std::string ToControlText(std::string_view crlf);
  static std::string FromControlText(std::string_view lf);

 private:
  void FillCountries();
  void Fill(int row);

  SidStarSaveValues m_values;
  std::vector<Row> m_rows;
  std::vector<BoxItem> m_regionItems;
  std::vector<BoxItem> m_countryItems;
  int m_listSelection = -1;
  int m_region = -1;
  int m_countryItem = -1;
  std::string m_id;
  std::string m_description;
  std::string m_author;
};
