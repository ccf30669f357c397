#include "pushwren/platform/log.h"

#include <iostream>
#include <mutex>

namespace pushwren {
namespace {

std::mutex& logMutex() {
  static std::mutex mutex;
  return mutex;
}

LogSink& logSink() {
  static LogSink sink;
  return sink;
}

void appendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u00";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

}  // namespace

std::string escapedLogLine(std::string_view line) {
  std::string escaped;
  escaped.reserve(line.size());
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) {
      appendEscaped(escaped, byte);
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string logDescription(const std::optional<std::string>& text) { return text ? *text : "(null)"; }

void NSLog(std::string_view line) {
  const auto escaped = escapedLogLine(line);
  std::lock_guard lock(logMutex());
  if (logSink()) {
    logSink()(escaped);
  } else {
    std::cerr << escaped << '\n';
  }
}

void setLogSink(LogSink sink) {
  std::lock_guard lock(logMutex());
  logSink() = std::move(sink);
}

}  // namespace pushwren
