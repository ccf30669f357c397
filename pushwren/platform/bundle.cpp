#include "pushwren/platform/bundle.h"

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <system_error>

namespace pushwren {
namespace {

std::filesystem::path runningExecutable() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : path;
}

std::shared_ptr<NSBundle> bundleOfFile(const std::filesystem::path& file) {
  if (file.empty()) return nullptr;
  std::error_code ec;
  const auto absolute = std::filesystem::weakly_canonical(file, ec);
  return NSBundle::bundleWithURL(ec ? file.parent_path() : absolute.parent_path());
}

}  // namespace

std::shared_ptr<NSBundle> NSBundle::bundleContainingAddress(const void* address) {
  Dl_info info{};
  link_map* object = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&object), RTLD_DL_LINKMAP) == 0 || object == nullptr) {
    return nullptr;
  }
  // The executable's own entry has an empty name; its file is found through /proc.
  const std::string name = object->l_name ? object->l_name : "";
  return bundleOfFile(name.empty() ? runningExecutable() : std::filesystem::path(name));
}

std::shared_ptr<NSBundle> NSBundle::mainBundle() { return bundleOfFile(runningExecutable()); }

std::shared_ptr<NSBundle> NSBundle::bundleWithURL(const std::filesystem::path& url) {
  std::error_code ec;
  if (url.empty() || !std::filesystem::is_directory(url, ec)) return nullptr;
  return std::make_shared<NSBundle>(url);
}

std::optional<std::filesystem::path> NSBundle::URLForResource(std::string_view name, std::string_view extension) const {
  std::string file(name);
  if (!extension.empty()) file.append(".").append(extension);
  const auto path = resourceURL() / file;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  return path;
}

}  // namespace pushwren
