// A fresh, empty registry directory for each test, named by
// ZEL_REGISTRY_DIR while the test runs.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/registry/hive.h"

namespace zel::registry::testing {

class RegistryDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = baseDirectory() / (std::string(info->test_suite_name()) + "." + info->name());
    scratch_ = dir_.string() + ".scratch";
    std::filesystem::remove_all(dir_);
    std::filesystem::remove_all(scratch_);
    std::filesystem::create_directories(dir_);
    std::filesystem::create_directories(scratch_);
    ::setenv("ZEL_REGISTRY_DIR", dir_.c_str(), 1);
  }

  void TearDown() override {
    ::setenv("ZEL_REGISTRY_DIR", baseDirectory().c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
    std::filesystem::remove_all(scratch_, ignored);
  }

  std::filesystem::path hiveFile(Hive hive = Hive::kLocalMachine) const {
    return dir_ / (std::string(hiveShortName(hive)) + ".hive");
  }

  static std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // The files of the directory, by name.
  std::vector<std::string> fileNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path dir_;      // the registry directory
  std::filesystem::path scratch_;  // for other files of the test

 private:
  // The directory that ctest gives this test program, or one of our own.
  static const std::filesystem::path& baseDirectory() {
    static const std::filesystem::path base = [] {
      const char* given = ::getenv("ZEL_REGISTRY_DIR");
      if (given && given[0] != '\0') return std::filesystem::path(given);
      return std::filesystem::temp_directory_path() /
             ("zel-registry-test-" + std::to_string(::getpid()));
    }();
    return base;
  }
};

}  // namespace zel::registry::testing
