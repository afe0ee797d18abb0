#include "plotr/shell/ModuleApp.h"

#include <system_error>

#include "platform/profile/Profile.h"
#include "platform/win/WinePrefix.h"
#include "plotr/core/Settings.h"
#include "plotr/plan/AircraftProfile.h"
#include "plotr/plan/WorldMap.h"
#include "plotr/tools/SidStarStore.h"

CModuleApp g_App(&g_Settings);

namespace {

constexpr char kRecentSection[] = "Recent File List";
constexpr char kSettingsSection[] = "Settings";

std::string RunningExecutable() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

}  // namespace

bool InterfaceWordForSimVer(int simVer, uint32_t& word) {
  switch (simVer) {
    case 61:
    case 70: word = 0; return true;
    case 80: word = 0x800; return true;
    case 90: word = 0x900; return true;
    default: return false;
  }
}

CModuleApp::CModuleApp(CSettings* settings) : m_settings(settings) {}

CModuleApp::~CModuleApp() = default;

bool CModuleApp::InitInstance() { return InitInstance(RunningExecutable()); }

bool CModuleApp::InitInstance(const std::string& executablePath) {
  const size_t slash = executablePath.rfind('/');
  m_simulatorFolder = slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
  m_productFolder = m_simulatorFolder + "Modules/" + "Chartwright/";
  m_planFolder = m_productFolder + "Plan/";
  m_exportFolder = m_productFolder + "FlpExport/";
  m_binFolder = m_productFolder + "Bin/";
  m_sidStarFolder = m_productFolder + "SidStar/";
  m_helpFile = m_binFolder + "Plotr.hlp";
  m_profileFile = m_binFolder + "Program.cfg";
  // The profiles live with the product, not wherever the simulator was started from.
  SetAircraftProfileFolder(m_productFolder);
  // The plan object loads the map's coastlines, rivers and peaks from here when it is made.
  SetWorldMapFolder(m_binFolder);
  SetDefaultSidStarFolders(m_sidStarFolder, m_binFolder);

  m_settings->SetProfileFile(m_profileFile);
  // The newest simulator keeps its configuration in the user's application-data folder: on
  // Linux that of the Wine prefix the simulator is installed in.
  const std::string installation = m_simulatorFolder.empty() ? "." : m_simulatorFolder;
  m_settings->SetAppDataFolder(win::AppDataFolderFor(installation).value_or(""));
  m_settings->Load(executablePath, m_simulatorFolder);
  if (!InterfaceWordForSimVer(m_settings->GetSimVer(), m_interfaceWord)) return false;

  m_recentFiles.clear();
  for (int i = 1; i <= kRecentFileCount; ++i)
    m_recentFiles.push_back(profile::GetString(m_profileFile, kRecentSection, "File" + std::to_string(i), ""));
  m_previewPages = profile::GetInt(m_profileFile, kSettingsSection, "PreviewPages", 0);
  return true;
}

void CModuleApp::AddToRecentFileList(const std::string& path) {
  if (path.empty()) return;
  RemoveFromRecentFileList(path);
  m_recentFiles.insert(m_recentFiles.begin(), path);
  if (m_recentFiles.size() > static_cast<size_t>(kRecentFileCount)) m_recentFiles.resize(kRecentFileCount);
}

void CModuleApp::RemoveFromRecentFileList(const std::string& path) {
  for (auto it = m_recentFiles.begin(); it != m_recentFiles.end();)
    it = *it == path ? m_recentFiles.erase(it) : it + 1;
  // Empty entries (unused keys of the profile) go too.
  for (auto it = m_recentFiles.begin(); it != m_recentFiles.end();)
    it = it->empty() ? m_recentFiles.erase(it) : it + 1;
}

int CModuleApp::ExitInstance() {
  if (m_profileFile.empty()) return 0;
  // Every key the list does not fill goes: a shorter list leaves no stale entry behind it.
  for (int i = 1; i <= kRecentFileCount; ++i) {
    const std::string key = "File" + std::to_string(i);
    if (static_cast<size_t>(i) > m_recentFiles.size() || m_recentFiles[i - 1].empty())
      profile::DeleteKey(m_profileFile, kRecentSection, key);
    else
      profile::WriteString(m_profileFile, kRecentSection, key, m_recentFiles[i - 1]);
  }
  if (m_previewPages != 0) profile::WriteInt(m_profileFile, kSettingsSection, "PreviewPages", m_previewPages);
  return 0;
}
