#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <boost/json/object.hpp>

#include "sim/trace.h"

namespace pushwren::sim::playground {

// A device's session files in the record folder, "device-2.jsonl", or "device-2-life-3.jsonl"
// once a crash has brought it back twice, so no life overwrites another. `kind`: "jsonl" or
// "trace".
std::string sessionFileName(std::string_view device, unsigned life, std::string_view kind);

// A file the playground answers a GET with, as a `serve` step gives it back.
struct ServedFile {
  unsigned status = 200;
  std::string contentType;
  std::string body;
};

// What the playground would answer a GET of `path` with; nothing when it cannot say (a site it
// only passes requests on to).
using ServedFileLookup = std::function<std::optional<ServedFile>(std::string_view path)>;

// The device's session as a scenario and its trace, so that `pushwren-sim run SESSION.jsonl
// --expect SESSION.trace` replays it: every step that reached the device, whoever sent it, in
// order. A download the device made from the playground's own server is recorded as a `serve`
// step of the body served, just before the step that started it, and the playground's address
// reads "{server}" in steps and trace, as the replay's own server does. With files to write to,
// each step is written and flushed as it is recorded, so a killed playground loses nothing.
class SessionRecord {
 public:
  SessionRecord(Trace& trace, ServedFileLookup served) : trace_(trace), served_(std::move(served)) {}

  // "127.0.0.1:PORT" of the playground's own server (localhost:PORT names it too).
  void setOwnAddress(std::string address) { ownAddress_ = std::move(address); }
  // Writes the session to these files from now on, the steps so far included. Returns why not
  // when a file cannot be opened.
  std::optional<std::string> writeTo(const std::filesystem::path& steps, const std::filesystem::path& trace);

  // A step that reached the device; its trace lines began at `firstLine`. `by` names who sent a
  // step that does not say so itself ("panel", "script"); it is kept as a comment line above it.
  void record(const boost::json::object& step, std::size_t firstLine, std::string_view by = {});
  // Writes the trace lines that came since (downloads finish on their own time).
  void flushTrace();

  // The session so far: JSON Lines of steps, and the trace, one line each.
  const std::string& steps() const { return steps_; }
  std::string traceText() const;
  // How many bytes of each file are written: the first that many bytes of the file are the
  // session so far, whatever is appended later. Nothing when it writes no files, or a write
  // failed (the file is not the session then).
  std::optional<std::uint64_t> stepsWritten() const;
  std::optional<std::uint64_t> traceWritten();

 private:
  void recordDownloads(std::size_t firstLine);
  void append(const std::string& line);
  void append(const boost::json::object& step);
  std::string withServer(std::string text) const;

  Trace& trace_;
  ServedFileLookup served_;
  std::string ownAddress_;
  std::string steps_;
  // The last body recorded for each path: the same answer again needs no new step.
  std::map<std::string, std::string> servedSteps_;
  std::ofstream stepsFile_;
  std::ofstream traceFile_;
  std::size_t traceWritten_ = 0;  // lines
  std::uint64_t stepsBytes_ = 0;
  std::uint64_t traceBytes_ = 0;
};

}  // namespace pushwren::sim::playground
