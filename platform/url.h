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
// reference), else none; it decides exactly as Boost.URL's parse_uri_reference does. Text made
// only of the characters a URL holds unencoded (unreserved, sub-delims, ":", "@", "/", "?", "#"
// and "%"), which is every URL this plugin makes or routes, is read in one pass of its own: a
// general parser costs ten times as much. Anything else (an IP literal's brackets, a raw space)
// is handed to Boost.URL.
std::optional<URIReference> readURIReference(std::string_view text);

// `text` with its percent escapes decoded; `text` must be a checked part of a URI reference.
std::string percentDecoded(std::string_view text);

// A URL as the platform hands it around: the text of a URI reference, checked when made.
class NSURL {
 public:
  // None when `text` is not a URI reference.
  static std::optional<NSURL> URLWithString(std::string text);
  // The same for text that is plain: only characters a URL holds unencoded, every "%" starting an
  // escape. None for any other text, whatever it is. Checked in one pass and copied once.
  static std::optional<NSURL> URLWithPlainString(std::string_view text);

  // The URL's text, as it was made.
  const std::string& absoluteString() const { return text_; }

 private:
  explicit NSURL(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

}  // namespace pushwren
