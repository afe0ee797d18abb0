// The file dialog listing and sorting a large folder: 20,000 plan files and folders.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "plotr/tools/FileDialogModel.h"

namespace fs = std::filesystem;

namespace {

struct LargeFolder {
  LargeFolder() {
    path = (fs::temp_directory_path() / ("cw-filedialog-bench-" + std::to_string(::getpid()))).string() + "/";
    fs::remove_all(path);
    fs::create_directories(path);
    for (int i = 0; i < 20000; ++i) {
      // Mixed case and a few folders, as a plan folder collected over years looks.
      const std::string name = (i % 3 ? "Plan" : "plan") + std::to_string((i * 7919) % 20000);
      if (i % 50 == 0)
        fs::create_directory(path + name);
      else
        std::ofstream(path + name + (i % 2 ? ".cwp" : ".CWP"));
    }
    drives.Add({"/", win::DriveType::Fixed, ""});
  }
  ~LargeFolder() { fs::remove_all(path); }
  std::string path;
  win::FakeDriveTable drives;
};

void BM_ListLargeFolder(benchmark::State& state) {
  static LargeFolder folder;
  const auto drives = folder.drives.Drives();
  for (auto _ : state) {
    auto items = filedlg::ListFolder(drives, folder.path, "*.cwp");
    benchmark::DoNotOptimize(items.data());
    state.counters["entries"] = static_cast<double>(items.size());
  }
}
BENCHMARK(BM_ListLargeFolder)->Unit(benchmark::kMillisecond);

}  // namespace
