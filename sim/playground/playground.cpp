#include "sim/playground/playground.h"

#include <chrono>


#include "sim/playground/step_sources.h"

namespace pushwren::sim::playground {

Playground::Playground(boost::asio::io_context& io, Simulation& sim, PlaygroundFiles files)
    : io_(io), sim_(sim), files_(std::move(files)), tabs_(sim.host()), panel_(sim.host()), publishTimer_(io) {
  tabs_.onStep([this](boost::json::object source) { panel_.markStep(std::move(source)); });
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
    panel_.markStep(stepSource(by, step), firstLine);
  };
  applyLiveSteps(io_, sim_, body, stopped_, ran, [this, answer = std::move(answer)](StepAnswer result) {
    publish();
    answer(std::move(result));
  });
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
