#include "pushwren/subscriptions/json_document.h"

#include <cstdint>

namespace pushwren {
namespace {

enum class Encoding { UTF8, UTF16BE, UTF16LE, UTF32BE, UTF32LE };

struct Detected {
  Encoding encoding;
  std::size_t bomLength;
};

Detected detectEncoding(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0x100; };
  if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return {Encoding::UTF8, 3};
  if (at(0) == 0x00 && at(1) == 0x00 && at(2) == 0xFE && at(3) == 0xFF) return {Encoding::UTF32BE, 4};
  if (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0x00 && at(3) == 0x00) return {Encoding::UTF32LE, 4};
  if (at(0) == 0xFE && at(1) == 0xFF) return {Encoding::UTF16BE, 2};
  if (at(0) == 0xFF && at(1) == 0xFE) return {Encoding::UTF16LE, 2};
  if (bytes.size() >= 4) {
    const bool z0 = at(0) == 0, z1 = at(1) == 0, z2 = at(2) == 0, z3 = at(3) == 0;
    if (z0 && z1 && z2 && !z3) return {Encoding::UTF32BE, 0};
    if (!z0 && z1 && z2 && z3) return {Encoding::UTF32LE, 0};
    if (z0 && !z1 && z2 && !z3) return {Encoding::UTF16BE, 0};
    if (!z0 && z1 && !z2 && z3) return {Encoding::UTF16LE, 0};
  } else if (bytes.size() == 2) {
    if (at(0) == 0 && at(1) != 0) return {Encoding::UTF16BE, 0};
    if (at(0) != 0 && at(1) == 0) return {Encoding::UTF16LE, 0};
  }
  return {Encoding::UTF8, 0};
}

void appendUTF8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Reads code units of `width` bytes in the given byte order.
class CodeUnits {
 public:
  CodeUnits(std::string_view bytes, std::size_t width, bool bigEndian)
      : bytes_(bytes), width_(width), bigEndian_(bigEndian) {}

  bool wholeUnits() const { return bytes_.size() % width_ == 0; }
  bool done() const { return at_ >= bytes_.size(); }
  std::uint32_t next() {
    std::uint32_t unit = 0;
    for (std::size_t i = 0; i < width_; ++i) {
      const std::uint32_t byte = static_cast<std::uint8_t>(bytes_[at_ + (bigEndian_ ? i : width_ - 1 - i)]);
      unit = (unit << 8) | byte;
    }
    at_ += width_;
    return unit;
  }

 private:
  std::string_view bytes_;
  std::size_t width_;
  bool bigEndian_;
  std::size_t at_ = 0;
};

bool isSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

std::optional<std::string> fromUTF16(CodeUnits units) {
  if (!units.wholeUnits()) return std::nullopt;
  std::string out;
  while (!units.done()) {
    std::uint32_t code = units.next();
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (units.done()) return std::nullopt;
      const std::uint32_t low = units.next();
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    } else if (isSurrogate(code)) {
      return std::nullopt;
    }
    appendUTF8(out, code);
  }
  return out;
}

std::optional<std::string> fromUTF32(CodeUnits units) {
  if (!units.wholeUnits()) return std::nullopt;
  std::string out;
  while (!units.done()) {
    const std::uint32_t code = units.next();
    if (code > 0x10FFFF || isSurrogate(code)) return std::nullopt;
    appendUTF8(out, code);
  }
  return out;
}

// Text in UTF-16 or UTF-32, its byte order mark left off, as UTF-8.
std::optional<std::string> convertedToUTF8(Encoding encoding, std::string_view text) {
  switch (encoding) {
    case Encoding::UTF16BE: return fromUTF16({text, 2, true});
    case Encoding::UTF16LE: return fromUTF16({text, 2, false});
    case Encoding::UTF32BE: return fromUTF32({text, 4, true});
    case Encoding::UTF32LE: return fromUTF32({text, 4, false});
    case Encoding::UTF8: break;
  }
  return std::string(text);
}

}  // namespace

std::optional<std::string_view> jsonTextInUTF8(std::string_view bytes, std::string& converted) {
  const auto [encoding, bomLength] = detectEncoding(bytes);
  const auto text = bytes.substr(bomLength);
  // UTF-8, by far the usual case, is read where it lies; the parser checks it as it goes.
  if (encoding == Encoding::UTF8) return text;
  auto utf8 = convertedToUTF8(encoding, text);
  if (!utf8) return std::nullopt;
  converted = std::move(*utf8);
  return std::string_view(converted);
}

}  // namespace pushwren
