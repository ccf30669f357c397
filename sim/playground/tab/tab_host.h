#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <boost/json/object.hpp>

#include "sim/host/reference_host.h"
#include "sim/playground/tab/tab_runner.h"

namespace pushwren::sim::playground {

// The browser tabs connected to the host, each with its runner ("tab-1", "tab-2", ...). A tab's
// messages become the host's entry points for its runner: the end of a page load is a finished
// navigation, a bridge message is a URL the page asks to load. A closed tab's runner is let go.
class TabHost {
 public:
  explicit TabHost(ReferenceHost& host) : host_(host) {}

  // Told what is about to reach the device from a tab, before its trace lines (step_sources.h).
  void onStep(std::function<void(boost::json::object)> markStep) { markStep_ = std::move(markStep); }
  // Told of each step a tab's life made reach the device, as a scenario writes it, with the
  // index of its first trace line, once it has run (the session's record).
  using StepRecorder = std::function<void(const boost::json::object& step, std::size_t firstLine)>;
  void onRecord(StepRecorder record) { record_ = std::move(record); }

  // Makes the tab's runner, hands it to the host (it loads and appears) and greets the tab.
  std::string open(const std::weak_ptr<PageChannel>& page);
  void receive(const std::string& runnerId, std::string_view message);
  void close(const std::string& runnerId);
  // The app's process has started anew: every tab gets a runner of the new process under its id,
  // which loads and appears, and its web view loads the app's start page as the new page.
  void relaunched();

  // To every open tab.
  void broadcast(const std::string& message);
  // Tells each tab whose native screens changed what they show now:
  //   {"type": "screens", "screens": [...]}   (see screen_snapshot.h)
  void publishScreens();

 private:
  struct Tab {
    std::shared_ptr<TabRunner> runner;
    std::weak_ptr<PageChannel> page;
    std::string screensSent = "[]";
  };
  // A step may have released or replaced the tab's runner; the tab itself is still there.
  void readopt(const Tab& tab);
  void send(const Tab& tab, std::string message);
  void mark(boost::json::object source);
  void record(const boost::json::object& step, std::size_t firstLine);
  // The host's entry points of a runner that has just been made.
  void loadRunner(const std::string& id);

  ReferenceHost& host_;
  std::function<void(boost::json::object)> markStep_;
  StepRecorder record_;
  std::map<std::string, Tab> tabs_;
  unsigned nextTab_ = 1;
};

}  // namespace pushwren::sim::playground
