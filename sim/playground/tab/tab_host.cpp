#include "sim/playground/tab/tab_host.h"

#include <iostream>

#include <boost/json/serialize.hpp>

#include "sim/playground/tab/page_messages.h"
#include "sim/playground/tab/screen_snapshot.h"
#include "sim/playground/tab/step_sources.h"

namespace pushwren::sim::playground {

std::string TabHost::open(const std::weak_ptr<PageChannel>& page) {
  std::string id = "tab-" + std::to_string(nextTab_++);
  mark(tabSource("open", id));
  const Tab& tab = tabs_[id] = Tab{std::make_shared<TabRunner>(host_.trace(), id, page), page};
  send(tab, helloMessage(id));
  readopt(tab);
  loadRunner(id);
  return id;
}

void TabHost::relaunched() {
  for (auto& [id, tab] : tabs_) {
    mark(tabSource("relaunch", id));
    tab.runner = std::make_shared<TabRunner>(host_.trace(), id, tab.page);
    tab.screensSent.clear();
    readopt(tab);
    send(tab, relaunchedMessage());
    loadRunner(id);
  }
}

void TabHost::loadRunner(const std::string& id) {
  auto from = host_.trace().size();
  host_.runnerDidLoad(id);
  record({{"do", "runnerDidLoad"}, {"runner", id}}, from);
  from = host_.trace().size();
  host_.runnerWillAppear(id);
  record({{"do", "runnerWillAppear"}, {"runner", id}}, from);
}

void TabHost::receive(const std::string& runnerId, std::string_view message) {
  const auto found = tabs_.find(runnerId);
  if (found == tabs_.end()) return;
  const Tab& tab = found->second;
  const auto parsed = parsePageMessage(message);
  if (!parsed.ok()) {
    std::cerr << "playground: " << runnerId << ": message ignored: " << parsed.error() << '\n';
    send(tab, noticeMessage("Message ignored: " + parsed.error()));
    return;
  }
  readopt(tab);
  const auto from = host_.trace().size();
  if (const auto* request = std::get_if<BridgeRequest>(&parsed.message())) {
    mark(bridgeCallSource(runnerId, request->url, request->data, host_.config().oneSignalV5Enabled()));
    const bool load = host_.shouldLoadRequest(runnerId, request->url, request->data);
    host_.trace().add("return", load);
    record({{"do", "bridge"}, {"runner", runnerId}, {"url", request->url}, {"data", request->data}}, from);
    send(tab, returnMessage(request->id, load));
  } else {
    mark(tabSource("load", runnerId, std::get<NavigationFinished>(parsed.message()).url));
    host_.navigationFinished(runnerId);
    record({{"do", "navigationFinished"}, {"runner", runnerId}}, from);
  }
}

void TabHost::close(const std::string& runnerId) {
  if (tabs_.find(runnerId) == tabs_.end()) return;
  mark(tabSource("close", runnerId));
  tabs_.erase(runnerId);
  const auto from = host_.trace().size();
  host_.releaseRunner(runnerId);
  record({{"do", "releaseRunner"}, {"id", runnerId}}, from);
}

void TabHost::broadcast(const std::string& message) {
  for (const auto& [id, tab] : tabs_) send(tab, message);
}

void TabHost::publishScreens() {
  for (auto& [id, tab] : tabs_) {
    auto screens = boost::json::serialize(presentedScreens(*tab.runner));
    if (screens == tab.screensSent) continue;
    send(tab, R"({"type":"screens","screens":)" + screens + "}");
    tab.screensSent = std::move(screens);
  }
}

void TabHost::readopt(const Tab& tab) { host_.adoptRunner(tab.runner); }

void TabHost::mark(boost::json::object source) {
  if (markStep_) markStep_(std::move(source));
}

void TabHost::record(const boost::json::object& step, std::size_t firstLine) {
  if (record_) record_(step, firstLine);
}

void TabHost::send(const Tab& tab, std::string message) {
  if (const auto page = tab.page.lock()) page->send(std::move(message));
}

}  // namespace pushwren::sim::playground
