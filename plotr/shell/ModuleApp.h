#pragma once
// The module's application object: its folders, its profile file and the interface word it
// reports to the simulator, set up when the simulator loads the library.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class CSettings;

class CModuleApp {
 public:
  static constexpr int kRecentFileCount = 4;

  explicit CModuleApp(CSettings* settings);
  virtual ~CModuleApp();
  CModuleApp(const CModuleApp&) = delete;
  CModuleApp& operator=(const CModuleApp&) = delete;

  // Start-up for the running process's executable. False: the simulator version is not one
  // the module supports, and the library must not be used.
  virtual bool InitInstance();
  // The same for a given executable path (the folders derive from it).
  bool InitInstance(const std::string& executablePath);
  virtual int ExitInstance();

  // Each ends in a separator; empty folder = relative to the current folder.
  const std::string& GetSimulatorFolder() const { return m_simulatorFolder; }
  const std::string& GetProductFolder() const { return m_productFolder; }
  const std::string& GetPlanFolder() const { return m_planFolder; }
  const std::string& GetExportFolder() const { return m_exportFolder; }
  const std::string& GetBinFolder() const { return m_binFolder; }
  const std::string& GetSidStarFolder() const { return m_sidStarFolder; }
  const std::string& GetHelpFile() const { return m_helpFile; }
  const std::string& GetProfileFile() const { return m_profileFile; }

  // 0 for simulator versions 61 and 70, 0x800 for 80, 0x900 for 90.
  uint32_t GetInterfaceWord() const { return m_interfaceWord; }

  const std::vector<std::string>& GetRecentFiles() const { return m_recentFiles; }
  // Puts a file first in the recent-file list (kept to kRecentFileCount entries, no repeats);
  // Remove takes one out, as when it can no longer be opened.
  void AddToRecentFileList(const std::string& path);
  void RemoveFromRecentFileList(const std::string& path);
  int GetPreviewPages() const { return m_previewPages; }

  // The simulator's main window, once the init entry found it (a wxWindow*).
  void* GetHostWindow() const { return m_hostWindow; }
  void SetHostWindow(void* window) { m_hostWindow = window; }

 private:
  CSettings* m_settings;
  std::string m_simulatorFolder;
  std::string m_productFolder;
  std::string m_planFolder;
  std::string m_exportFolder;
  std::string m_binFolder;
  std::string m_sidStarFolder;
  std::string m_helpFile;
  std::string m_profileFile;
  uint32_t m_interfaceWord = 0;
  std::vector<std::string> m_recentFiles;
  int m_previewPages = 0;
  void* m_hostWindow = nullptr;
};

// The interface word for a simulator version, or false for a version the module does not know.
bool InterfaceWordForSimVer(int simVer, uint32_t& word);

extern CModuleApp g_App;
