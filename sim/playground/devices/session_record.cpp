#include "sim/playground/devices/session_record.h"

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

namespace pushwren::sim::playground {
namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// The URL of a download line, `["http.get", url]`, or nothing for any other line.
std::optional<std::string> downloadURL(const std::string& line) {
  if (!line.starts_with(R"(["http.get",)")) return std::nullopt;
  boost::system::error_code ec;
  const auto value = boost::json::parse(line, ec);
  if (ec || !value.is_array() || value.get_array().size() < 2 || !value.get_array()[1].is_string()) return std::nullopt;
  return std::string(value.get_array()[1].get_string());
}

}  // namespace

std::string sessionFileName(std::string_view device, unsigned life, std::string_view kind) {
  auto name = "device-" + std::string(device);
  if (life > 1) name += "-life-" + std::to_string(life);
  return name + "." + std::string(kind);
}

std::optional<std::string> SessionRecord::writeTo(const std::filesystem::path& steps,
                                                  const std::filesystem::path& trace) {
  stepsFile_.open(steps, std::ios::binary | std::ios::trunc);
  if (!stepsFile_) return steps.string() + ": cannot be written";
  traceFile_.open(trace, std::ios::binary | std::ios::trunc);
  if (!traceFile_) return trace.string() + ": cannot be written";
  stepsFile_ << steps_ << std::flush;
  stepsBytes_ = steps_.size();
  traceWritten_ = 0;
  traceBytes_ = 0;
  flushTrace();
  return std::nullopt;
}

void SessionRecord::record(const boost::json::object& step, std::size_t firstLine, std::string_view by) {
  recordDownloads(firstLine);
  // Only a name made of plain characters: a comment line must stay one line.
  if (!by.empty() && by.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string_view::npos) {
    append("# by " + std::string(by) + '\n');
  }
  append(step);
  flushTrace();
}

void SessionRecord::flushTrace() {
  if (!traceFile_.is_open()) return;
  const auto lines = trace_.textLines(traceWritten_);
  if (lines.empty()) return;
  for (const auto& line : lines) {
    const auto text = withServer(line);
    traceFile_ << text << '\n';
    traceBytes_ += text.size() + 1;
  }
  traceFile_.flush();
  traceWritten_ += lines.size();
}

std::optional<std::uint64_t> SessionRecord::stepsWritten() const {
  if (!stepsFile_.is_open() || !stepsFile_) return std::nullopt;
  return stepsBytes_;
}

std::optional<std::uint64_t> SessionRecord::traceWritten() {
  if (!traceFile_.is_open()) return std::nullopt;
  flushTrace();
  if (!traceFile_) return std::nullopt;
  return traceBytes_;
}

std::string SessionRecord::traceText() const {
  std::string text;
  for (const auto& line : trace_.textLines()) text += withServer(line) + '\n';
  return text;
}

// The replay's server must answer what the playground answered, before the step asks for it.
void SessionRecord::recordDownloads(std::size_t firstLine) {
  if (ownAddress_.empty()) return;
  for (const auto& line : trace_.textLines(firstLine)) {
    const auto url = downloadURL(line);
    if (!url) continue;
    const auto own = withServer(*url);
    if (!own.starts_with("http://{server}/")) continue;
    auto path = own.substr(std::string_view("http://{server}").size());
    path = path.substr(0, path.find_first_of("?#"));
    const auto file = served_ ? served_(path) : std::nullopt;
    if (!file) continue;
    auto& last = servedSteps_[path];
    const auto key = std::to_string(file->status) + '\n' + file->contentType + '\n' + file->body;
    if (last == key) continue;
    last = key;
    boost::json::object serve{{"do", "serve"}, {"path", path}, {"body", file->body}};
    if (file->status != 200) serve["status"] = file->status;
    if (!file->contentType.empty()) serve["headers"] = boost::json::object{{"Content-Type", file->contentType}};
    append(serve);
  }
}

void SessionRecord::append(const boost::json::object& step) {
  append(withServer(boost::json::serialize(step)) + '\n');
}

void SessionRecord::append(const std::string& line) {
  steps_ += line;
  if (stepsFile_.is_open()) {
    stepsFile_ << line << std::flush;
    stepsBytes_ += line.size();
  }
}

// The playground answers to both of its names.
std::string SessionRecord::withServer(std::string text) const {
  if (ownAddress_.empty()) return text;
  replaceAll(text, ownAddress_, "{server}");
  if (const auto colon = ownAddress_.rfind(':'); colon != std::string::npos) {
    replaceAll(text, "localhost" + ownAddress_.substr(colon), "{server}");
  }
  return text;
}

}  // namespace pushwren::sim::playground
