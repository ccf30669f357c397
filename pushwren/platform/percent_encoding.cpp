#include "pushwren/platform/percent_encoding.h"

namespace pushwren {
namespace {

std::optional<unsigned> hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

}  // namespace

bool isValidUTF8(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const auto continuation = [&](std::size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return i < bytes.size() && at(i) >= low && at(i) <= high;
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = at(i);
    if (lead < 0x80) {
      i += 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      if (!continuation(i + 1)) return false;
      i += 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
      const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
      if (!continuation(i + 1, low, high) || !continuation(i + 2)) return false;
      i += 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
      const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
      if (!continuation(i + 1, low, high) || !continuation(i + 2) || !continuation(i + 3)) return false;
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}

std::optional<std::string> percentDecodedBytes(std::string_view text) {
  // Most text has no escape at all: bridge paths, hosts, plain tag names.
  if (text.find('%') == std::string_view::npos) return std::string(text);
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (text.size() - i < 3) return std::nullopt;
    const auto high = hexDigit(text[i + 1]);
    const auto low = hexDigit(text[i + 2]);
    if (!high || !low) return std::nullopt;
    decoded += static_cast<char>(*high * 16 + *low);
    i += 2;
  }
  return decoded;
}

std::optional<std::string> removingPercentEncoding(std::string_view text) {
  auto decoded = percentDecodedBytes(text);
  if (!decoded || !isValidUTF8(*decoded)) return std::nullopt;
  return decoded;
}

std::string percentDecoded(std::string_view text) {
  auto decoded = percentDecodedBytes(text);
  return decoded ? std::move(*decoded) : std::string(text);
}

std::string percentEncoded(std::string_view text, const boost::urls::grammar::lut_chars& allowed) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (const char c : text) {
    if (allowed(c)) {
      encoded += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    encoded += '%';
    encoded += kHex[byte >> 4];
    encoded += kHex[byte & 0xF];
  }
  return encoded;
}

}  // namespace pushwren
