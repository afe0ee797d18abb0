// The stand-in simulator loading the real module from its Modules folder, once per simulator
// generation. Needs a display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstring>
#include <string>

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode = -1;
  std::string output;
};

// A simulator root holding the given host program and the module.
RunResult LoadModuleWith(const char* hostProgram, const fs::path& root) {
  fs::create_directories(root / "Modules/Chartwright/Bin");
  fs::copy_file(hostProgram, root / "simhost", fs::copy_options::overwrite_existing);
  fs::copy_file(PLOTR_MODULE, root / "Modules" / "Plotr.so", fs::copy_options::overwrite_existing);
  RunResult r;
  const std::string command = (root / "simhost").string() + " --load-only 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  char line[512];
  while (fgets(line, sizeof line, pipe) != nullptr) r.output += line;
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(ModuleLoadTest, ModuleReportsTheInterfaceWordOfEachSimulatorGeneration) {
  struct Case { const char* name; const char* host; const char* expected; int simVer; } cases[] = {
      {"61", HOST_V61, "module Plotr.so loaded, interface 0x0\n", 61},
      {"70", HOST_V70, "module Plotr.so loaded, interface 0x0\n", 70},
      {"80", HOST_V80, "module Plotr.so loaded, interface 0x800\n", 80},
      {"90", HOST_V90, "module Plotr.so loaded, interface 0x900\n", 90},
      {"75", HOST_V75, "module Plotr.so failed: the module refused to start\n", 75},
  };
  for (const Case& c : cases) {
    const fs::path root = fs::temp_directory_path() / ("simroot-" + std::to_string(getpid()) + "-" + c.name);
    const RunResult r = LoadModuleWith(c.host, root);
    EXPECT_EQ(0, r.exitCode) << c.name << "\n" << r.output;
    EXPECT_NE(std::string::npos, r.output.find(c.expected)) << c.name << "\n" << r.output;
    // A module that starts hooks the main window and makes its windows there.
    if (c.simVer != 75) {
      EXPECT_NE(std::string::npos, r.output.find("window CFloatWndMain/CMainFrm\n")) << c.name << "\n" << r.output;
      EXPECT_NE(std::string::npos, r.output.find("window CFloatWnd\n")) << c.name << "\n" << r.output;
    }
    // The module's start-up found its folders below the host's and stored the version it read.
    std::FILE* cfg = std::fopen((root / "Modules/Chartwright/Bin/Program.cfg").c_str(), "rb");
    ASSERT_NE(nullptr, cfg) << c.name;
    char text[4096] = {};
    std::fread(text, 1, sizeof text - 1, cfg);
    std::fclose(cfg);
    EXPECT_NE(nullptr, std::strstr(text, ("SimVer=" + std::to_string(c.simVer)).c_str())) << c.name;
    fs::remove_all(root);
  }
}

}  // namespace
