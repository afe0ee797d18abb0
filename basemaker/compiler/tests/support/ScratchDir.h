#pragma once

// A fresh folder for one test, removed with everything in it afterwards; plus small file
// helpers and the cabinet maker the cabinet tests run.

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testbgl {

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "cw_bgl_XXXXXX").string();
    m_path = ::mkdtemp(tmpl.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(m_path); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(const std::string& rel) const { return m_path / rel; }

  size_t CountFiles() const {
    size_t n = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(m_path)) n += e.is_regular_file();
    return n;
  }

 private:
  std::filesystem::path m_path;
};

inline void WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& data) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline bool HaveCabinetMaker() {
  return std::system("command -v gcab >/dev/null 2>&1") == 0;
}

// Packs `members` (paths relative to `dir`, kept as the members' folders) into `cab`.
inline bool MakeCabinet(const std::filesystem::path& dir, const std::filesystem::path& cab,
                        const std::vector<std::string>& members) {
  std::string cmd = "cd '" + dir.string() + "' && gcab -c -z '" + cab.string() + "'";
  for (const auto& m : members) cmd += " '" + m + "'";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace testbgl
