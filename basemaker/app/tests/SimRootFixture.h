#pragma once

// A temporary simulator root folder per test, with small helpers to put files in it and read
// them back.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

class SimRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps test runs of several build trees on one machine apart.
    m_root = std::filesystem::path(::testing::TempDir()) / "cw_bbase" /
             (std::string(info->test_suite_name()) + "." + info->name() + "." + std::to_string(getpid()));
    std::filesystem::remove_all(m_root);
    std::filesystem::create_directories(m_root);
  }
  void TearDown() override { std::filesystem::remove_all(m_root); }

  const std::filesystem::path& Root() const { return m_root; }

  void Put(const std::filesystem::path& rel, const std::string& bytes) const {
    const auto file = m_root / rel;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }

  std::string Get(const std::filesystem::path& rel) const {
    std::ifstream in(m_root / rel, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  bool Has(const std::filesystem::path& rel) const {
    return std::filesystem::exists(m_root / rel);
  }

 private:
  std::filesystem::path m_root;
};
