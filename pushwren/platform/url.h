#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pushwren {

// The parts of an RFC 3986 URI reference, as views into its text, still percent-encoded. An
// absent part is none; a present but empty one is an empty view.
struct URIReference {
  std::optional<std::string_view> scheme;
  std::optional<std::string_view> host;  // present exactly when there is an authority ("//")
  std::string_view path;
  std::optional<std::string_view> query;
  std::optional<std::string_view> fragment;
};

// `text` split into its parts when it is a URI reference (an absolute URI or a relative
// reference), else none. Boost.URL reads it; on top of that an authority must be whole: a port of
// digits only, no "@" after the user information, and a path after it that is empty or starts
// with "/". Boost.URL would take "https://h:80x/" as port 80 with the path "x/".
std::optional<URIReference> readURIReference(std::string_view text);

// A URL as the platform hands it around: the text of a URI reference, checked when made.
class NSURL {
 public:
  // None when `text` is not a URI reference.
  static std::optional<NSURL> URLWithString(std::string text);

  // The URL's text, as it was made.
  const std::string& absoluteString() const { return text_; }

 private:
  explicit NSURL(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

}  // namespace pushwren
