// A folder of the test's own, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace orbl::lnx {

struct TempFolder {
  std::filesystem::path path;

  TempFolder() {
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path = std::filesystem::temp_directory_path() /
           ("orbl-" + test + "-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }

  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteText(const std::string& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

}  // namespace orbl::lnx
