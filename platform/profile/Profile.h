#pragma once
// The private-profile functions over INI files. Each call reads the file; each write rewrites it
// atomically. A missing file reads as empty.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/Document.h"

namespace profile {

std::string GetString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view defaultValue);
int GetInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
           int defaultValue);
std::vector<std::string> GetSectionNames(const std::filesystem::path& file);
std::vector<std::string> GetKeys(const std::filesystem::path& file, std::string_view section);

// Creates the file and the section when missing. False when the file exists but cannot be read,
// when the text cannot be stored (see Document::Set) or when the file cannot be written.
bool WriteString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 std::string_view value);
bool WriteInt(const std::filesystem::path& file, std::string_view section, std::string_view key,
              int value);
// True when the key or section is gone afterwards (also when it was never there).
bool DeleteKey(const std::filesystem::path& file, std::string_view section, std::string_view key);
bool DeleteSection(const std::filesystem::path& file, std::string_view section);

}  // namespace profile
