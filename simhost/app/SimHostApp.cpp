// The stand-in simulator program: a main window, the services, the aircraft and the modules.
#include <wx/app.h>
#include <wx/cmdline.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/FileVersion.h"
#include "simhost/HostCore.h"
#include "simhost/MultiplayerHost.h"
#include "simhost/HostOptions.h"
#include "simhost/ModuleLoader.h"
#include "simhost/app/MainFrame.h"

namespace simhost {
namespace {

std::filesystem::path ExecutablePath() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec);
}

// The windows the modules made in the main window: its children and the windows it owns, with
// their own children.
void ReportWindows(wxWindow* frame) {
  for (wxWindow* child : frame->GetChildren()) {
    std::printf("window %s\n", child->GetName().utf8_str().data());
    for (wxWindow* grandchild : child->GetChildren())
      std::printf("window %s/%s\n", child->GetName().utf8_str().data(), grandchild->GetName().utf8_str().data());
  }
}

class SimHostApp : public wxApp {
 public:
  bool OnInit() override {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i].ToStdString());
    std::string error;
    const auto options = ParseHostOptions(args, error);
    if (!options) {
      std::fprintf(stderr, "simhost: %s\n%s", error.c_str(), kHostUsage);
      return false;
    }
    const std::filesystem::path exe = ExecutablePath();
    int version = options->simVersion;
    if (version == 0) {
      const auto fileVersion = win::GetFileVersion(exe);
      version = fileVersion ? SimVersionFromFileVersion(fileVersion->major, fileVersion->minor) : 90;
    }
    const std::filesystem::path root = options->root.empty() ? exe.parent_path() : options->root;

    m_host = std::make_unique<HostCore>(version, options->start, options->timeScale);
    if (options->mpPort && !options->loadOnly) {
      MultiplayerHostOptions mp;
      mp.simVersion = version;
      mp.port = *options->mpPort;
      mp.password = options->mpPassword;
      mp.pilotLimit = options->mpPilotLimit;
      mp.observerLimit = options->mpObserverLimit;
      m_multiplayer = std::make_unique<MultiplayerHost>(mp);
      if (!m_multiplayer->Start(error)) {
        std::fprintf(stderr, "simhost: %s\n", error.c_str());
        return false;
      }
      m_host->SetMultiplayer(m_multiplayer.get());
      std::printf("multiplayer session on port %u\n", unsigned{m_multiplayer->Port()});
    }
    auto* frame = new MainFrame(*m_host, options->start);
    if (!options->loadOnly) frame->Show();

    m_loader = std::make_unique<ModuleLoader>(m_host->GetServices());
    for (const LoadedModule& m : m_loader->LoadFolder(root / "Modules")) {
      if (m.Loaded())
        std::printf("module %s loaded, interface 0x%X\n", m.file.filename().c_str(), m.linkage->interfaceWord);
      else
        std::printf("module %s failed: %s\n", m.file.filename().c_str(), m.error.c_str());
    }
    if (options->loadOnly) ReportWindows(frame);
    std::fflush(stdout);
    if (options->loadOnly) {
      m_loader->Deinit();
      frame->Destroy();
    }
    return true;
  }

  // Modules keep their menu ids, above the 15 bits wx checks for another platform's sake: the
  // simulator writes such checks out rather than stopping on a dialog.
  void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                       const wxChar* msg) override {
    std::fprintf(stderr, "simhost: wx check %s %s at %s:%d (%s)\n", wxString(cond).utf8_string().c_str(),
                 wxString(msg).utf8_string().c_str(), wxString(file).utf8_string().c_str(), line,
                 wxString(func).utf8_string().c_str());
  }

  int OnExit() override {
    if (m_loader) m_loader->Deinit();
    if (m_host) m_host->SetMultiplayer(nullptr);
    m_multiplayer.reset();
    return wxApp::OnExit();
  }

 private:
  std::unique_ptr<HostCore> m_host;
  std::unique_ptr<MultiplayerHost> m_multiplayer;
  std::unique_ptr<ModuleLoader> m_loader;
};

}  // namespace
}  // namespace simhost

wxIMPLEMENT_APP(simhost::SimHostApp);
