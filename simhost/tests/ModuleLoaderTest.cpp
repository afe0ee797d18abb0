#include "simhost/ModuleLoader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "simhost/HostCore.h"

namespace simhost {
namespace {

namespace fs = std::filesystem;

class ModuleLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("modules-" + std::to_string(getpid()));
    fs::create_directories(root / "Modules");
  }
  void TearDown() override { fs::remove_all(root); }
  fs::path root;
};

TEST_F(ModuleLoaderTest, StartsEachModuleWithTheServicesAndReportsTheRest) {
  fs::copy_file(FAKE_MODULE, root / "Modules" / "Good.so");
  fs::copy_file(REFUSING_MODULE, root / "Modules" / "Refuses.so");
  std::ofstream(root / "Modules" / "Broken.so") << "not an ELF file";
  std::ofstream(root / "Modules" / "Readme.txt") << "ignored";
  fs::copy_file(BARE_LIBRARY, root / "Modules" / "Bare.SO");

  HostCore host;
  ModuleLoader loader(host.GetServices());
  const auto& modules = loader.LoadFolder(root / "Modules");
  ASSERT_EQ(4u, modules.size());
  EXPECT_EQ("Bare.SO", modules[0].file.filename());
  EXPECT_FALSE(modules[0].Loaded());
  EXPECT_NE(std::string::npos, modules[0].error.find("ImportTable"));
  EXPECT_EQ("Broken.so", modules[1].file.filename());
  EXPECT_FALSE(modules[1].Loaded());
  EXPECT_FALSE(modules[1].error.empty());

  const LoadedModule& good = modules[2];
  ASSERT_TRUE(good.Loaded()) << good.error;
  EXPECT_EQ(host.GetServices(), good.importTable->services);
  EXPECT_EQ(0x800u, good.linkage->interfaceWord);
  EXPECT_EQ(1, *static_cast<int*>(dlsym(good.handle, "fake_init_calls")));
  EXPECT_NE(nullptr, host.FindNamedVariable("FAKE_MODULE_FLAG"));
  EXPECT_TRUE(host.GetAircraft().autopilot.master) << "the module's event reached the aircraft";

  EXPECT_EQ("Refuses.so", modules[3].file.filename());
  EXPECT_FALSE(modules[3].Loaded());
  EXPECT_EQ("the module refused to start", modules[3].error);

  loader.Deinit();
  loader.Deinit();
  EXPECT_EQ(1, *static_cast<int*>(dlsym(good.handle, "fake_deinit_calls")));
}

}  // namespace
}  // namespace simhost
