#include "sim/playground/playground.h"

#include <chrono>
#include <fstream>
#include <sstream>

#include "sim/playground/client_script.h"
#include "sim/playground/static_files.h"
#include "sim/playground/step_sources.h"

namespace pushwren::sim::playground {

Playground::Playground(boost::asio::io_context& io, Simulation& sim, PlaygroundFiles files)
    : io_(io),
      sim_(sim),
      files_(std::move(files)),
      tabs_(sim.host()),
      panel_(sim.host()),
      session_(sim.trace(), [this](std::string_view path) { return fileServed(path); }),
      publishTimer_(io) {
  tabs_.onStep([this](const boost::json::object& source) { panel_.markStep(source); });
  tabs_.onRecord([this](const boost::json::object& step, std::size_t from) { session_.record(step, from); });
}

std::optional<std::string> Playground::startSession(std::string ownAddress,
                                                    const std::optional<std::filesystem::path>& recordDir) {
  session_.setOwnAddress(std::move(ownAddress));
  if (!recordDir) return std::nullopt;
  const auto name = "device-" + std::string(kDeviceId);
  return session_.writeTo(*recordDir / (name + ".jsonl"), *recordDir / (name + ".trace"));
}

namespace {

std::optional<std::string> fileText(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

}  // namespace

std::optional<ServedFile> Playground::fileServed(std::string_view path) const {
  constexpr std::string_view kOwnPrefix = "/__pushwren/";
  std::optional<std::filesystem::path> file;
  if (path.starts_with(kOwnPrefix)) {
    const auto own = path.substr(kOwnPrefix.size() - 1);
    file = own == "/manifest.json" && files_.manifest ? files_.manifest : staticFile(files_.webRoot, own);
  } else if (const auto* folder = std::get_if<FolderSite>(&files_.site)) {
    file = staticFile(folder->root, path);
    if (file && !insideRoot(folder->root, *file)) file.reset();
  }
  if (!file) return std::nullopt;
  auto body = fileText(*file);
  if (!body) return std::nullopt;
  const auto type = std::string(contentType(*file));
  const bool sitePage = !path.starts_with(kOwnPrefix) && isHtml(type);
  return ServedFile{200, type, sitePage ? withClientScript(*body) : std::move(*body)};
}

std::string Playground::openTab(const std::weak_ptr<PageChannel>& page) {
  publish();
  auto id = tabs_.open(page);
  if (const auto channel = page.lock()) {
    for (auto& message : panel_.snapshot()) channel->send(std::move(message));
  }
  publish();
  return id;
}

// The panel hears of it with the next publishing tick, so the bridge's round trip does not wait
// for the panel.
void Playground::tabSaid(const std::string& runnerId, std::string_view message) { tabs_.receive(runnerId, message); }

void Playground::closeTab(const std::string& runnerId) {
  tabs_.close(runnerId);
  publish();
}

void Playground::applyStep(std::string_view body, std::string_view by, std::function<void(StepAnswer)> answer) {
  // Each step the engine accepts is shown above its lines; one refused as written reaches nothing.
  const auto ran = [this, by = std::string(by)](const boost::json::object& step, std::size_t firstLine) {
    ranStep(by, step, firstLine);
  };
  applyLiveSteps(io_, sim_, body, stopped_, ran, [this, answer = std::move(answer)](StepAnswer result) {
    publish();
    answer(std::move(result));
  });
}

void Playground::ranStep(std::string_view by, const boost::json::object& step, std::size_t firstLine) {
  panel_.markStep(stepSource(by, step), firstLine);
  session_.record(step, firstLine, by);
  // The old process's runners are gone with it; each tab's page belongs to the new one.
  const auto* kind = step.if_contains("do");
  if (kind && kind->is_string() && kind->get_string() == "relaunch") tabs_.relaunched();
}

boost::json::object Playground::siteDescription() const {
  if (const auto* upstream = std::get_if<UpstreamSite>(&files_.site)) {
    return {{"kind", "url"}, {"name", upstream->origin}, {"start", upstream->startPath}};
  }
  return {{"kind", "folder"}, {"name", siteName(files_.site)}, {"start", "/"}};
}

void Playground::startPublishing() {
  publish();
  schedulePublish();
}

void Playground::stop() {
  stopped_ = true;
  publishTimer_.cancel();
}

void Playground::publish() {
  session_.flushTrace();
  for (const auto& message : panel_.changes()) tabs_.broadcast(message);
  tabs_.publishScreens();
}

void Playground::schedulePublish() {
  if (stopped_) return;
  publishTimer_.expires_after(std::chrono::milliseconds(100));
  publishTimer_.async_wait([this](boost::system::error_code ec) {
    if (ec || stopped_) return;
    publish();
    schedulePublish();
  });
}

}  // namespace pushwren::sim::playground
