#include "sim/playground/devices/live_device.h"

#include <chrono>
#include <fstream>
#include <sstream>

#include <boost/asio/post.hpp>

#include "sim/playground/site/client_script.h"
#include "sim/playground/site/proxied_file.h"
#include "sim/playground/site/static_files.h"
#include "sim/playground/tab/step_sources.h"

namespace pushwren::sim::playground {

LiveDevice::LiveDevice(boost::asio::io_context& io, Simulation& sim, PlaygroundFiles files)
    : io_(io),
      sim_(sim),
      files_(std::move(files)),
      tabs_(sim.host()),
      panel_(sim.host()),
      session_(sim.trace(), [this](std::string_view path) { return servedFile(path); }),
      publishTimer_(io) {
  tabs_.onStep([this](const boost::json::object& source) { panel_.markStep(source); });
  tabs_.onRecord([this](const boost::json::object& step, std::size_t from) { session_.record(step, from); });
}

std::optional<std::string> LiveDevice::startSession(std::string ownAddress,
                                                    const std::optional<std::filesystem::path>& steps,
                                                    const std::optional<std::filesystem::path>& trace) {
  ownAddress_ = ownAddress;
  session_.setOwnAddress(std::move(ownAddress));
  if (!steps || !trace) return std::nullopt;
  return session_.writeTo(*steps, *trace);
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

std::optional<ServedFile> playgroundFile(const PlaygroundFiles& files, std::string_view path) {
  constexpr std::string_view kOwnPrefix = "/__pushwren/";
  std::optional<std::filesystem::path> file;
  if (path.starts_with(kOwnPrefix)) {
    const auto own = path.substr(kOwnPrefix.size() - 1);
    file = own == "/manifest.json" && files.manifest ? files.manifest : staticFile(files.webRoot, own);
  } else if (const auto* folder = std::get_if<FolderSite>(&files.site)) {
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

// The playground's own files and a folder site's are read where they lie; what a site the
// playground passes requests on to answers is asked of it again.
std::optional<ServedFile> LiveDevice::servedFile(std::string_view path) const {
  if (auto file = playgroundFile(files_, path)) return file;
  if (!std::holds_alternative<UpstreamSite>(files_.site) || path.starts_with("/__pushwren/") || ownAddress_.empty()) {
    return std::nullopt;
  }
  return fetchFromPlayground(ownAddress_, path);
}

std::string LiveDevice::openTab(const std::weak_ptr<PageChannel>& page) {
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
void LiveDevice::tabSaid(const std::string& runnerId, std::string_view message) { tabs_.receive(runnerId, message); }

void LiveDevice::closeTab(const std::string& runnerId) {
  tabs_.close(runnerId);
  publish();
}

void LiveDevice::applyStep(std::string_view body, std::string_view by, std::function<void(StepAnswer)> answer) {
  requests_.push_back({std::string(body), std::string(by), std::move(answer)});
  if (requests_.size() == 1) runNextRequest();
}

void LiveDevice::runNextRequest() {
  auto& request = requests_.front();
  // Each step the engine accepts is shown above its lines; one refused as written reaches nothing.
  const auto ran = [this, by = request.by](const boost::json::object& step, std::size_t firstLine) {
    ranStep(by, step, firstLine);
  };
  applyLiveSteps(io_, sim_, request.body, stopped_, ran, [this](StepAnswer result) {
    publish();
    auto answer = std::move(requests_.front().answer);
    requests_.pop_front();
    answer(std::move(result));
    // The next request starts from the queue, not inside this one's answer.
    if (!requests_.empty()) boost::asio::post(io_, [this] { runNextRequest(); });
  });
}

void LiveDevice::ranStep(std::string_view by, const boost::json::object& step, std::size_t firstLine) {
  panel_.markStep(stepSource(by, step), firstLine);
  session_.record(step, firstLine, by);
  // The old process's runners are gone with it; each tab's page belongs to the new one.
  const auto* kind = step.if_contains("do");
  if (kind && kind->is_string() && kind->get_string() == "relaunch") tabs_.relaunched();
}

void LiveDevice::startPublishing() {
  publish();
  schedulePublish();
}

void LiveDevice::stop() {
  stopped_ = true;
  publishTimer_.cancel();
  // Lines from downloads that finished since the last tick belong in the record too.
  session_.flushTrace();
}

void LiveDevice::publish() {
  session_.flushTrace();
  for (const auto& message : panel_.changes()) tabs_.broadcast(message);
  tabs_.publishScreens();
}

void LiveDevice::schedulePublish() {
  if (stopped_) return;
  publishTimer_.expires_after(std::chrono::milliseconds(100));
  publishTimer_.async_wait([this](boost::system::error_code ec) {
    if (ec || stopped_) return;
    publish();
    schedulePublish();
  });
}

}  // namespace pushwren::sim::playground
