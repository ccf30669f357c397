#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace pushwren::sim::playground {

// A folder of its own for one test, so that parallel runs never share one; removed with what is
// in it.
class TempFolder {
 public:
  TempFolder() {
    auto pattern = (std::filesystem::temp_directory_path() / "pushwren-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path path;
};

}  // namespace pushwren::sim::playground
