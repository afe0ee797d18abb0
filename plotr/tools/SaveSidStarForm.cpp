#include "plotr/tools/SaveSidStarForm.h"

#include <algorithm>

#include "platform/ui/StringTable.h"
#include "platform/win/Codepage.h"
#include "plotr/core/Settings.h"
#include "plotr/tools/SidStarFile.h"

namespace {

enum : unsigned {
  kIdsSaveSid = 6101,
  kIdsSaveStar = 6102,
  kIdsPropertiesSid = 6103,
  kIdsPropertiesStar = 6104,
  kIdsRenameRefused = 6105,
  kIdsOverwrite = 6106,
  kIdsSelectRegion = 6137,
};

}  // namespace

void SaveSidStarForm::AddStrings() {
  ui::AddStrings({
      {SaveSidStarForm::kIdsColumnIdentification, "Identification"},
      {SaveSidStarForm::kIdsColumnDescription, "Description"},
      {kIdsSaveSid, "Save Plan as SID"},
      {kIdsSaveStar, "Save Plan as STAR"},
      {kIdsPropertiesSid, "Properties of SID"},
      {kIdsPropertiesStar, "Properties of STAR"},
      {kIdsRenameRefused, "Rename not possible. %s already exists."},
      {kIdsOverwrite, "Overwrite existing %s ?"},
      {kIdsSelectRegion, "Please select a Global Region."},
  });
}

namespace {

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

// The identification goes in as text, never as a format: it may hold '%'.
std::string WithName(std::string text, const std::string& name) {
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, name);
  return text;
}

}  // namespace

SaveSidStarForm::SaveSidStarForm(const SidStarSaveValues& values) : m_values(values) {
  AddStrings();
  for (const CSidStarProcedure& procedure : m_values.procedures) {
    m_rows.push_back({procedure.id, procedure.name.substr(0, procedure.name.find("\r\n"))});
  }
  if (m_values.selected >= 0 && static_cast<size_t>(m_values.selected) < m_rows.size()) {
    m_listSelection = m_values.selected;
  }
  if (m_values.regions) {
    for (size_t r = 0; r < m_values.regions->size(); ++r) {
      m_regionItems.push_back({(*m_values.regions)[r].name, static_cast<int>(r), kImageRegion});
    }
  }
  // The box lists the regions by name; their indexes follow the files' fixed order.
  std::stable_sort(m_regionItems.begin(), m_regionItems.end(),
                   [](const BoxItem& a, const BoxItem& b) { return a.text < b.text; });
  if (m_values.region >= 0 && static_cast<size_t>(m_values.region) < m_regionItems.size()) m_region = m_values.region;
  FillCountries();
  SetIdentification(m_values.id);
  if (!SetDescription(m_values.description)) m_description = m_values.description.substr(0, kDescriptionLimit);
  SetAuthor(g_Settings.GetCreatedBy(true));
}

unsigned SaveSidStarForm::CaptionId() const {
  if (m_values.saveMode) return m_values.isStar ? kIdsSaveStar : kIdsSaveSid;
  return m_values.isStar ? kIdsPropertiesStar : kIdsPropertiesSid;
}

std::string SaveSidStarForm::Caption() const { return ui::LoadString(CaptionId()); }

int SaveSidStarForm::RegionItem() const {
  for (size_t i = 0; i < m_regionItems.size(); ++i) {
    if (m_regionItems[i].data == m_region) return static_cast<int>(i);
  }
  return -1;
}

void SaveSidStarForm::ChooseRegion(int region) {
  m_region = region >= 0 && static_cast<size_t>(region) < m_regionItems.size() ? region : -1;
  FillCountries();
}

void SaveSidStarForm::FillCountries() {
  m_countryItems.clear();
  m_countryItem = -1;
  if (m_region < 0 || !m_values.regions) return;
  const CSidStarRegion& region = (*m_values.regions)[static_cast<size_t>(m_region)];
  m_countryItems.push_back({region.name, -1, kImageRegion});
  for (size_t c = 0; c < region.countries.size(); ++c) {
    if (region.countries[c].enabled) m_countryItems.push_back({region.countries[c].name, static_cast<int>(c), kImageCountry});
  }
  m_countryItem = 0;
  for (size_t i = 0; i < m_countryItems.size(); ++i) {
    if (m_countryItems[i].text == m_values.country) {
      m_countryItem = static_cast<int>(i);
      break;
    }
  }
}

void SaveSidStarForm::ChooseCountryItem(int item) {
  if (item >= 0 && static_cast<size_t>(item) < m_countryItems.size()) m_countryItem = item;
}

void SaveSidStarForm::Fill(int row) {
  const CSidStarProcedure& procedure = m_values.procedures[static_cast<size_t>(row)];
  SetIdentification(procedure.id);
  if (!SetDescription(procedure.name)) m_description = procedure.name.substr(0, kDescriptionLimit);
}

bool SaveSidStarForm::OnListFocus() {
  if (m_listSelection < 0 && !m_rows.empty()) m_listSelection = 0;
  if (m_listSelection < 0) return false;
  Fill(m_listSelection);
  return true;
}

bool SaveSidStarForm::OnRowSelected(int row) {
  if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return false;
  m_listSelection = row;
  Fill(row);
  return true;
}

// The identification and the author are one line each in the procedure file and the settings:
// a pasted line break becomes a blank instead of a second line.
void SaveSidStarForm::SetIdentification(std::string_view text) {
  m_id.clear();
  for (char c : SidStarSingleLine(text.substr(0, kIdLimit))) m_id += win::Cp1252ToUpper(c);
}

bool SaveSidStarForm::SetDescription(std::string_view text) {
  if (text.size() > kDescriptionLimit) return false;
  m_description = std::string(text);
  return true;
}

void SaveSidStarForm::SetAuthor(std::string_view text) { m_author = SidStarSingleLine(text.substr(0, kAuthorLimit)); }

bool SaveSidStarForm::CanOk() const { return !Trimmed(m_id).empty(); }

bool SaveSidStarForm::Ok(const AskUser& ask) {
  m_id = Trimmed(m_id);
  m_description = Trimmed(m_description);
  m_author = Trimmed(m_author);
  if (m_id.empty()) return false;
  if (m_region < 0) {
    ask(ui::LoadString(kIdsSelectRegion), ui::kMbOk | ui::kMbIconStop);
    return false;
  }
  const CSidStarRegion& region = (*m_values.regions)[static_cast<size_t>(m_region)];
  std::string country;
  if (m_countryItem >= 0) {
    const int c = m_countryItems[static_cast<size_t>(m_countryItem)].data;
    if (c >= 0 && static_cast<size_t>(c) < region.countries.size()) country = region.countries[static_cast<size_t>(c)].name;
  }
  for (int p = static_cast<int>(m_values.procedures.size()) - 1; p >= 0; --p) {
    if (!win::EqualsNoCase(m_values.procedures[static_cast<size_t>(p)].id, m_id)) continue;
    if (p == m_values.selected) break;
    if (!m_values.saveMode) {
      ask(WithName(ui::LoadString(kIdsRenameRefused), m_id), ui::kMbOk | ui::kMbIconInformation);
      return false;
    }
    if (ask(WithName(ui::LoadString(kIdsOverwrite), m_id), ui::kMbOkCancel | ui::kMbIconQuestion) != ui::kIdOk) {
      return false;
    }
    break;
  }
  g_Settings.SetCreatedBy(m_author);
  m_values.id = m_id;
  m_values.description = m_description;
  m_values.author = m_author;
  m_values.region = m_region;
  m_values.country = country;
  return true;
}

std::string SaveSidStarForm::ToControlText(std::string_view crlf) {
  std::string out;
  for (size_t i = 0; i < crlf.size(); ++i) {
    if (crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n') continue;
    out += crlf[i];
  }
  return out;
}

std::string SaveSidStarForm::FromControlText(std::string_view lf) {
  std::string out;
  for (size_t i = 0; i < lf.size(); ++i) {
    if (lf[i] == '\n' && (i == 0 || lf[i - 1] != '\r')) out += '\r';
    out += lf[i];
  }
  return out;
}
