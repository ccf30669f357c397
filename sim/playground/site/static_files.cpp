#include "sim/playground/site/static_files.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include <boost/url/pct_string_view.hpp>

namespace pushwren::sim::playground {
namespace {

std::optional<std::string> decodedSegment(std::string_view segment) {
  const auto checked = boost::urls::make_pct_string_view(segment);
  if (!checked) return std::nullopt;
  auto decoded = checked->decode();
  const bool unsafe = std::any_of(decoded.begin(), decoded.end(), [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  });
  if (decoded.empty() || decoded.front() == '.' || unsafe) return std::nullopt;
  return decoded;
}

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

std::optional<std::filesystem::path> staticFile(const std::filesystem::path& root, std::string_view target) {
  target = target.substr(0, target.find_first_of("?#"));
  if (target.empty() || target.front() != '/') return std::nullopt;
  std::filesystem::path file = root;
  std::string_view rest = target.substr(1);
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const auto segment = decodedSegment(rest.substr(0, slash));
    if (!segment) return std::nullopt;
    file /= *segment;
    if (slash == std::string_view::npos) break;
    rest = rest.substr(slash + 1);
  }
  if (target.back() == '/') file /= "index.html";
  return file;
}

std::optional<std::filesystem::path> appRouteFallback(const std::filesystem::path& root, std::string_view target,
                                                      std::string_view accept) {
  if (lowered(accept).find("text/html") == std::string::npos || !staticFile(root, target)) return std::nullopt;
  const auto path = target.substr(0, target.find_first_of("?#"));
  const auto last = path.substr(path.rfind('/') + 1);
  if (last.find('.') != std::string_view::npos) return std::nullopt;
  auto index = root / "index.html";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(index, ec) || !insideRoot(root, index)) return std::nullopt;
  return index;
}

bool insideRoot(const std::filesystem::path& root, const std::filesystem::path& file) {
  std::error_code ec;
  const auto real = std::filesystem::canonical(file, ec);
  if (ec) return false;
  const auto [rootEnd, realAt] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  if (rootEnd != root.end()) return false;
  // A link with a plain name may lead to a hidden file (.env, .git/config) the path itself could
  // not name: where it really is must be as visible as its name.
  return std::none_of(realAt, real.end(), [](const auto& part) { return part.string().starts_with('.'); });
}

std::string_view contentType(const std::filesystem::path& file) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 22> types{{
      {".html", "text/html; charset=utf-8"},
      {".htm", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},
      {".map", "application/json"},
      {".webmanifest", "application/manifest+json"},
      {".txt", "text/plain; charset=utf-8"},
      {".ts", "text/plain; charset=utf-8"},
      {".xml", "application/xml"},
      {".svg", "image/svg+xml"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},
      {".gif", "image/gif"},
      {".webp", "image/webp"},
      {".ico", "image/x-icon"},
      {".woff", "font/woff"},
      {".woff2", "font/woff2"},
      {".wasm", "application/wasm"},
      {".pdf", "application/pdf"},
  }};
  const auto extension = lowered(file.extension().string());
  for (const auto& [ending, type] : types) {
    if (extension == ending) return type;
  }
  return "application/octet-stream";
}

bool isHtml(std::string_view contentType) {
  const auto type = lowered(contentType.substr(0, contentType.find(';')));
  return type.find("text/html") != std::string::npos || type.find("application/xhtml+xml") != std::string::npos;
}

}  // namespace pushwren::sim::playground
