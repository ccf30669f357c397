#include "platform/url.h"

#include <array>
#include <cstdint>

#include <boost/url/parse.hpp>
#include <boost/url/pct_string_view.hpp>

namespace pushwren {
namespace {

enum CharClass : std::uint8_t {
  kUnreserved = 1,  // ALPHA DIGIT - . _ ~
  kSubDelim = 2,    // ! $ & ' ( ) * + , ; =
  kHexDigit = 4,
  kAlpha = 8,
  kDigit = 16,
  kPassing = 32,  // what the scan passes over: unreserved, sub-delims, ":", "/" and "@"
};

constexpr std::array<std::uint8_t, 256> makeClasses() {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 'A'; c <= 'Z'; ++c) classes[c] |= kUnreserved | kAlpha;
  for (int c = 'a'; c <= 'z'; ++c) classes[c] |= kUnreserved | kAlpha;
  for (int c = '0'; c <= '9'; ++c) classes[c] |= kUnreserved | kDigit | kHexDigit;
  for (int c = 'A'; c <= 'F'; ++c) classes[c] |= kHexDigit;
  for (int c = 'a'; c <= 'f'; ++c) classes[c] |= kHexDigit;
  for (const char c : std::string_view("-._~")) classes[static_cast<unsigned char>(c)] |= kUnreserved;
  for (const char c : std::string_view("!$&'()*+,;=")) classes[static_cast<unsigned char>(c)] |= kSubDelim;
  for (int c = 0; c < 256; ++c) {
    if ((classes[c] & (kUnreserved | kSubDelim)) != 0) classes[c] |= kPassing;
  }
  for (const char c : std::string_view(":/@")) classes[static_cast<unsigned char>(c)] |= kPassing;
  return classes;
}
constexpr auto kClasses = makeClasses();

bool is(char c, std::uint8_t classes) { return (kClasses[static_cast<unsigned char>(c)] & classes) != 0; }

template <class Predicate>
bool all(std::string_view text, Predicate predicate) {
  for (const char c : text) {
    if (!predicate(c)) return false;
  }
  return true;
}

// Where the parts of a plain text end, found in one pass that also checks every character.
struct Scan {
  bool plain = true;  // only characters a URL holds unencoded, and every "%" starts an escape
  std::size_t hash = std::string_view::npos;      // the first "#"
  bool secondHash = false;                        // a "#" after the first
  std::size_t question = std::string_view::npos;  // the first "?" before any "#"
};

// One table lookup for each character that needs no more; the few that do ("%", "?", "#") are
// told apart by plain comparisons, which predict well.
Scan scan(std::string_view text) {
  Scan found;
  const auto npos = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((kClasses[static_cast<unsigned char>(c)] & kPassing) != 0) continue;
    if (c == '%') {
      if (i + 2 >= text.size() || !is(text[i + 1], kHexDigit) || !is(text[i + 2], kHexDigit)) {
        found.plain = false;
        return found;
      }
      i += 2;
    } else if (c == '#') {
      if (found.hash == npos) found.hash = i; else found.secondHash = true;
    } else if (c == '?') {
      if (found.hash == npos && found.question == npos) found.question = i;
    } else {
      found.plain = false;
      return found;
    }
  }
  return found;
}

// scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." )
bool isScheme(std::string_view text) {
  return !text.empty() && is(text[0], kAlpha) &&
         all(text, [](char c) { return is(c, kAlpha | kDigit) || c == '+' || c == '-' || c == '.'; });
}

// The index of the first character of `text` that is one of `Stops`, or its size.
template <char... Stops>
std::size_t firstOf(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (((text[i] == Stops) || ...)) return i;
  }
  return text.size();
}

// The reading of a plain text from its scan. Every return gives the one named result, so it is
// built in place in the caller's: a copy of the parts made field by field costs more than the
// reading itself.
std::optional<URIReference> readPlain(std::string_view text, const Scan& found) {
  const auto npos = std::string_view::npos;
  std::optional<URIReference> result;
  if (found.secondHash) return result;
  auto& parts = result.emplace();
  auto rest = text;
  if (found.hash != npos) {
    parts.fragment = rest.substr(found.hash + 1);
    rest = rest.substr(0, found.hash);
  }
  if (found.question != npos) {
    parts.query = rest.substr(found.question + 1);
    rest = rest.substr(0, found.question);
  }
  // A ":" before any "/" ends a scheme; otherwise the first segment of a relative path would
  // hold it, which a relative reference may not.
  if (const auto stop = firstOf<':', '/'>(rest); stop < rest.size() && rest[stop] == ':') {
    if (!isScheme(rest.substr(0, stop))) {
      result.reset();
      return result;
    }
    parts.scheme = rest.substr(0, stop);
    rest = rest.substr(stop + 1);
  }
  if (!rest.starts_with("//")) {
    parts.path = rest;
    return result;
  }
  // authority = [ userinfo "@" ] host [ ":" port ], each part as long as its characters go;
  // whatever follows is the path (Boost.URL takes it so even when it does not start with "/").
  // A host that starts with a digit may be an IPv4 address, which Boost.URL reads first: it is
  // left to Boost.URL.
  auto authority = rest.substr(2);
  if (const auto end = firstOf<'@', '/'>(authority); end < authority.size() && authority[end] == '@') {
    authority = authority.substr(end + 1);
  }
  if (!authority.empty() && is(authority[0], kDigit)) {
    result.reset();
    return result;
  }
  const auto hostEnd = firstOf<':', '@', '/'>(authority);
  parts.host = authority.substr(0, hostEnd);
  auto after = authority.substr(hostEnd);
  if (after.starts_with(':')) {
    std::size_t digits = 1;
    while (digits < after.size() && is(after[digits], kDigit)) ++digits;
    after = after.substr(digits);
  }
  // In a relative reference such a path is read as one without a scheme: its first segment may
  // not hold a ":".
  if (!parts.scheme && !after.starts_with('/')) {
    const auto stop = firstOf<':', '/'>(after);
    if (stop < after.size() && after[stop] == ':') {
      result.reset();
      return result;
    }
  }
  parts.path = after;
  return result;
}

std::optional<URIReference> readWithBoost(std::string_view text) {
  const auto parsed = boost::urls::parse_uri_reference(text);
  if (!parsed) return std::nullopt;
  URIReference parts;
  if (parsed->has_scheme()) parts.scheme = parsed->scheme();
  if (parsed->has_authority()) parts.host = parsed->encoded_host();
  parts.path = parsed->encoded_path();
  if (parsed->has_query()) parts.query = parsed->encoded_query();
  if (parsed->has_fragment()) parts.fragment = parsed->encoded_fragment();
  return parts;
}

// Plain text fails only on the checks of its own; a host that may be an IPv4 address comes back as
// none too and is settled by Boost.URL.
std::optional<URIReference> readScanned(std::string_view text, const Scan& found) {
  auto parts = readPlain(text, found);
  if (!parts) parts = readWithBoost(text);
  return parts;
}

}  // namespace

std::optional<URIReference> readURIReference(std::string_view text) {
  const auto found = scan(text);
  return found.plain ? readScanned(text, found) : readWithBoost(text);
}

std::string percentDecoded(std::string_view text) {
  if (text.find('%') == std::string_view::npos) return std::string(text);
  const auto escaped = boost::urls::make_pct_string_view(text);
  return escaped ? escaped->decode() : std::string(text);
}

std::optional<NSURL> NSURL::URLWithString(std::string text) {
  if (!readURIReference(text)) return std::nullopt;
  return NSURL(std::move(text));
}

std::optional<NSURL> NSURL::URLWithPlainString(std::string_view text) {
  const auto found = scan(text);
  if (!found.plain || !readScanned(text, found)) return std::nullopt;
  return NSURL(std::string(text));
}

}  // namespace pushwren
