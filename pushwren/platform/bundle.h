#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "pushwren/export.h"

namespace pushwren {

// A bundle: a directory that holds resources. On this platform a bundle's resource directory is
// the bundle directory itself.
class PUSHWREN_EXPORT NSBundle {
 public:
  explicit NSBundle(std::filesystem::path directory) : directory_(std::move(directory)) {}

  // The bundle of the library or executable whose code or data holds `address`: the directory of
  // that file. The stand-in for bundleForClass: pass the address of something defined in the
  // class's own library (a variable with internal linkage is safest). None when the address lies
  // in no loaded file.
  static std::shared_ptr<NSBundle> bundleContainingAddress(const void* address);
  // The app's own bundle: the directory of the running executable.
  static std::shared_ptr<NSBundle> mainBundle();
  // A bundle for the directory at `url`, or none when no directory is there.
  static std::shared_ptr<NSBundle> bundleWithURL(const std::filesystem::path& url);

  const std::filesystem::path& bundleURL() const { return directory_; }
  const std::filesystem::path& resourceURL() const { return directory_; }

  // The file `name.extension` among the bundle's resources, or none when it is not there.
  std::optional<std::filesystem::path> URLForResource(std::string_view name, std::string_view extension) const;

 private:
  std::filesystem::path directory_;
};

}  // namespace pushwren
