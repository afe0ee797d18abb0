#include "platform/profile/Profile.h"

namespace profile {

namespace {

Document Read(const std::filesystem::path& file) {
  Document document;
  document.Load(file);  // an unreadable file reads as empty, as a missing one does
  return document;
}

}  // namespace

std::string GetString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view defaultValue) {
  return Read(file).GetString(section, key, defaultValue);
}

int GetInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
           int defaultValue) {
  return Read(file).GetInt(section, key, defaultValue);
}

std::vector<std::string> GetSectionNames(const std::filesystem::path& file) {
  return Read(file).SectionNames();
}

std::vector<std::string> GetKeys(const std::filesystem::path& file, std::string_view section) {
  return Read(file).Keys(section);
}

bool WriteString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 std::string_view value) {
  Document document;
  // Never rewrite a file that could not be read: its other contents would be lost.
  if (!document.Load(file)) return false;
  if (document.Get(section, key) == std::optional<std::string>(value)) {
    // Unchanged: spare the disk, but still create the file when it is missing.
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return true;
  }
  return document.Set(section, key, value) && document.Save(file);
}

bool WriteInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
              int value) {
  return WriteString(file, section, key, std::to_string(value));
}

bool DeleteKey(const std::filesystem::path& file, std::string_view section, std::string_view key) {
  Document document;
  if (!document.Load(file)) return false;
  if (!document.DeleteKey(section, key)) return true;
  return document.Save(file);
}

bool DeleteSection(const std::filesystem::path& file, std::string_view section) {
  Document document;
  if (!document.Load(file)) return false;
  if (!document.DeleteSection(section)) return true;
  return document.Save(file);
}

}  // namespace profile
