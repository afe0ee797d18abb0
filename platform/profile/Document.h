#pragma once
// An INI file held in memory with the rules of the Windows private-profile functions: sections
// and keys compare case-insensitively, the first section and the first key of a name win,
// values are trimmed and lose one pair of enclosing quotes, and there are no escapes. Every line
// that is not changed (comments, blank lines, lines outside sections) is written back as it was.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

class Document {
 public:
  // Replaces the contents with the file's. A missing file gives an empty document and true;
  // false (and an empty document) when the file exists but cannot be read.
  bool Load(const std::filesystem::path& file);
  // Writes the document with CR LF line ends through a temporary file in the same folder that
  // replaces the target only when complete; on failure the previous file is untouched.
  bool Save(const std::filesystem::path& file) const;

  // Text forms: lines may end in CR LF or LF alone; ToText writes CR LF.
  void Parse(std::string_view text);
  std::string ToText() const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;
  // GetPrivateProfileInt rules: leading blanks, a sign, decimal digits up to the first other
  // character; no digits give 0; a missing key or empty value gives the default.
  int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

  bool HasSection(std::string_view section) const;
  // Each section name once, in file order, as first written.
  std::vector<std::string> SectionNames() const;
  // Each key of the section once, in file order.
  std::vector<std::string> Keys(std::string_view section) const;

  // Sets the value, creating the section (at the end) and the key (after the section's last
  // key) when missing. False, and nothing changed, when the names or the value cannot be
  // stored in the file: an empty key, line breaks, ']' in a section name, '=' in a key, a key
  // that would read as a comment or a section header.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  bool SetInt(std::string_view section, std::string_view key, int value);
  // True when something was removed.
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes every section of that name with all of its lines.
  bool DeleteSection(std::string_view section);

  bool Empty() const { return m_lines.empty(); }

 private:
  enum class Kind { Other, Section, Entry };
  struct Line {
    std::string text;
    Kind kind = Kind::Other;
    std::string name;  // section name or key
  };
  static Line Classify(std::string text);
  static std::string ValueOf(const Line& line);
  // [first, last) line indexes of the body of the first section of that name; first is the
  // header. nullopt when there is none.
  std::optional<std::pair<size_t, size_t>> FindSection(std::string_view section) const;
  size_t SectionEnd(size_t header) const;
  std::optional<size_t> FindKey(size_t first, size_t last, std::string_view key) const;

  std::vector<Line> m_lines;
};

// Integer text of GetPrivateProfileInt; `fallback` when there are no characters at all.
int ParseProfileInt(std::string_view text, int fallback);

}  // namespace profile
