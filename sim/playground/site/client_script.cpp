#include "sim/playground/site/client_script.h"

#include <algorithm>
#include <cctype>

namespace pushwren::sim::playground {
namespace {

constexpr std::string_view kScriptTag = R"(<script src="/__pushwren/pushwren.js"></script>)";

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Where `<name` starts as a whole tag name (so "<head" does not find "<header"), case-insensitively.
std::size_t findTag(std::string_view html, std::string_view name, std::size_t from = 0) {
  const auto matches = [](char a, char b) { return lower(a) == lower(b); };
  while (from < html.size()) {
    const auto at = std::search(html.begin() + static_cast<std::ptrdiff_t>(from), html.end(), name.begin(), name.end(),
                                matches);
    if (at == html.end()) return std::string_view::npos;
    const auto position = static_cast<std::size_t>(at - html.begin());
    const auto after = position + name.size();
    if (after == html.size()) return std::string_view::npos;
    const char next = html[after];
    if (next == '>' || next == '/' || std::isspace(static_cast<unsigned char>(next))) return position;
    from = after;
  }
  return std::string_view::npos;
}

// Just past the `>` of the tag that starts at `position`, or npos when it never closes.
std::size_t pastTag(std::string_view html, std::size_t position) {
  if (position == std::string_view::npos) return position;
  const auto close = html.find('>', position);
  return close == std::string_view::npos ? close : close + 1;
}

}  // namespace

std::string withClientScript(std::string_view html) {
  if (html.find(kClientScriptPath) != std::string_view::npos) return std::string(html);

  std::size_t at = pastTag(html, findTag(html, "<head"));
  if (at == std::string_view::npos) at = pastTag(html, findTag(html, "<html"));
  if (at == std::string_view::npos) at = pastTag(html, findTag(html, "<!doctype"));
  if (at == std::string_view::npos) at = html.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  const auto firstScript = findTag(html, "<script");
  if (firstScript != std::string_view::npos && firstScript < at) at = firstScript;

  std::string edited;
  edited.reserve(html.size() + kScriptTag.size());
  edited.append(html.substr(0, at)).append(kScriptTag).append(html.substr(at));
  return edited;
}

}  // namespace pushwren::sim::playground
