#include "sim/playground/static_files.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pushwren::sim::playground {
namespace {

bool isPlainSegmentChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == '.';
}

}  // namespace

std::optional<std::filesystem::path> staticFile(const std::filesystem::path& root, std::string_view target) {
  target = target.substr(0, target.find_first_of("?#"));
  if (target.empty() || target.front() != '/') return std::nullopt;
  std::filesystem::path file = root;
  std::string_view rest = target.substr(1);
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const auto segment = rest.substr(0, slash);
    if (segment.empty() || segment.front() == '.' || !std::all_of(segment.begin(), segment.end(), isPlainSegmentChar)) {
      return std::nullopt;
    }
    file /= segment;
    if (slash == std::string_view::npos) break;
    rest = rest.substr(slash + 1);
  }
  if (target.back() == '/') file /= "index.html";
  return file;
}

std::string_view contentType(const std::filesystem::path& file) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> types{{
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},
      {".ts", "text/plain; charset=utf-8"},
      {".svg", "image/svg+xml"},
      {".png", "image/png"},
      {".ico", "image/x-icon"},
  }};
  const auto extension = file.extension().string();
  for (const auto& [ending, type] : types) {
    if (extension == ending) return type;
  }
  return "application/octet-stream";
}

}  // namespace pushwren::sim::playground
