#include "pushwren/platform/log.h"

#include <iostream>
#include <mutex>

#include "pushwren/platform/log_thread.h"
#include "pushwren/platform/main_queue.h"

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

thread_local bool onBackgroundThread = false;

void write(const std::string& escaped) {
  std::lock_guard lock(logMutex());
  if (logSink()) {
    logSink()(escaped);
  } else {
    std::cerr << escaped << '\n';
  }
}

bool sinkInstalled() {
  std::lock_guard lock(logMutex());
  return static_cast<bool>(logSink());
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

void markLogBackgroundThread() { onBackgroundThread = true; }

void NSLog(std::string_view line) {
  auto escaped = escapedLogLine(line);
  // The host's sink is its code: it is called on the main thread only, so it needs no locking of
  // its own. A line from the plugin's own thread waits on the main queue, behind whatever that
  // thread posted before it.
  if (onBackgroundThread && sinkInstalled()) {
    dispatchAsyncMain([escaped = std::move(escaped)] { write(escaped); });
    return;
  }
  write(escaped);
}

void setLogSink(LogSink sink) {
  std::lock_guard lock(logMutex());
  logSink() = std::move(sink);
}

}  // namespace pushwren
