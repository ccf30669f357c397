#include "platform/log.h"

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

}  // namespace

void NSLog(std::string_view line) {
  std::lock_guard lock(logMutex());
  if (logSink()) {
    logSink()(line);
  } else {
    std::cerr << line << '\n';
  }
}

void setLogSink(LogSink sink) {
  std::lock_guard lock(logMutex());
  logSink() = std::move(sink);
}

}  // namespace pushwren
