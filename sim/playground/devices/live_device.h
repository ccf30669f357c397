#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/json/object.hpp>

#include "sim/playground/devices/live_steps.h"
#include "sim/playground/tab/panel_feed.h"
#include "sim/playground/devices/session_record.h"
#include "sim/playground/site/site.h"
#include "sim/playground/tab/tab_host.h"
#include "sim/scenario/simulation.h"

namespace pushwren::sim::playground {

// Where the playground's pages come from: the folder of its own web files, the manifest file
// served at /__pushwren/manifest.json in place of the built-in one, and the site the web view
// shows.
struct PlaygroundFiles {
  std::filesystem::path webRoot;
  std::optional<std::filesystem::path> manifest;
  Site site;
};

// What a GET of `path` on the playground's server answers with, when it is one of its files.
std::optional<ServedFile> playgroundFile(const PlaygroundFiles& files, std::string_view path);

// One device of the playground, live inside its own process: the simulation, the tab that shows
// it with its runner, the device panel's feed, the steps the panel and scripts apply, and the
// session's record. Everything runs on the main queue.
class LiveDevice {
 public:
  LiveDevice(boost::asio::io_context& io, Simulation& sim, PlaygroundFiles files);

  Simulation& simulation() { return sim_; }

  std::string openTab(const std::weak_ptr<PageChannel>& page);
  void tabSaid(const std::string& runnerId, std::string_view message);
  void closeTab(const std::string& runnerId);

  // Steps from the panel or a script, through the scenario runner's engine (live_steps.h). `by`
  // says who sent them ("panel", "script"), for the trace's presentation. Requests run one after
  // another in the order they came, so each answer holds its own steps' lines only.
  void applyStep(std::string_view body, std::string_view by, std::function<void(StepAnswer)> answer);

  // The session's record starts: the playground's own address, written "{server}", and the
  // files, in a folder already made, it is written into as it goes (`serve --record`). Returns
  // why they cannot be written.
  std::optional<std::string> startSession(std::string ownAddress, const std::optional<std::filesystem::path>& steps,
                                          const std::optional<std::filesystem::path>& trace);
  // A step applied at the start (the configuration, the launch), for the session's record.
  void recordStep(const boost::json::object& step, std::size_t firstLine) { session_.record(step, firstLine); }
  const SessionRecord& session() const { return session_; }
  SessionRecord& session() { return session_; }

  // Sends what changed on the device to the tab, now and then every 100 ms until stop(): the
  // trace also grows from downloads that finish on their own time.
  void startPublishing();
  void stop();

 private:
  void publish();
  void schedulePublish();
  void ranStep(std::string_view by, const boost::json::object& step, std::size_t firstLine);
  void runNextRequest();
  std::optional<ServedFile> servedFile(std::string_view path) const;

  boost::asio::io_context& io_;
  Simulation& sim_;
  PlaygroundFiles files_;
  std::string ownAddress_;
  TabHost tabs_;
  PanelFeed panel_;
  SessionRecord session_;
  boost::asio::steady_timer publishTimer_;
  bool stopped_ = false;
  struct StepRequest {
    std::string body;
    std::string by;
    std::function<void(StepAnswer)> answer;
  };
  std::deque<StepRequest> requests_;  // the first is running

};

}  // namespace pushwren::sim::playground
