#pragma once

// Writes scenery-set files (".vis") for tests: header, texts, CD records, area records.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "basemaker/app/VisFile.h"

class VisBuilder {
 public:
  VisBuilder& Title(std::string text) { m_title = std::move(text); return *this; }
  VisBuilder& Description(std::string text) { m_description = std::move(text); return *this; }
  VisBuilder& Cd(std::string discFolder, std::string setFolder) {
    m_cds.push_back({std::move(discFolder), std::move(setFolder)});
    return *this;
  }
  VisBuilder& Area(std::string folder, std::string title, bool active = true) {
    m_areas.push_back({std::move(folder), std::move(title), active});
    return *this;
  }

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out(vis::kHeaderSize, 0);
    out[2] = 'M';
    out[3] = 'R';
    auto text = [&](const std::string& s) {
      out.insert(out.end(), s.begin(), s.end());
      out.push_back(0);
    };
    SetU16(out, vis::kOffTitle, out.size());
    text(m_title);
    SetU16(out, vis::kOffDescription, out.size());
    text(m_description);
    SetU16(out, vis::kOffFirstCd, out.size());
    for (const auto& cd : m_cds) {
      out.insert(out.end(), {1, 0, 0, 0, 0, 0});
      text(cd.first);
      text(cd.second);
    }
    out.push_back(0);
    SetU16(out, vis::kOffFirstArea, out.size());
    for (const auto& area : m_areas) {
      out.insert(out.end(), {1, 0, static_cast<uint8_t>(area.active ? 1 : 0)});
      text(area.folder);
      text(area.title);
    }
    // The end tag, and room so the last record is not within the guard bytes of the end.
    out.insert(out.end(), 12, 0);
    SetU16(out, vis::kOffSetSize, out.size());
    return out;
  }

  static void SetU16(std::vector<uint8_t>& bytes, size_t at, size_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
  }

 private:
  struct AreaRecord {
    std::string folder, title;
    bool active;
  };
  std::string m_title = "Set", m_description = "Description";
  std::vector<std::pair<std::string, std::string>> m_cds;
  std::vector<AreaRecord> m_areas;
};

inline std::string AsText(const std::vector<uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}
