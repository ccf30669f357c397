#include "sim/playground/devices/device_command.h"

#include <sys/prctl.h>

#include <csignal>
#include <map>
#include <memory>
#include <optional>
#include <ostream>

#include <boost/asio/steady_timer.hpp>

#include "pushwren/platform/main_queue.h"
#include "sim/playground/devices/device_start.h"
#include "sim/playground/devices/frame_pipe.h"
#include "sim/playground/devices/live_device.h"
#include "sim/playground/devices/push_hooks.h"

namespace pushwren::sim::playground {
namespace {

constexpr int kFramesIn = 0;
constexpr int kFramesOut = 3;

// The tab that shows this device, on the other side of the playground's pipe.
class PipedPage final : public PageChannel {
 public:
  explicit PipedPage(std::shared_ptr<FramePipe> pipe) : pipe_(std::move(pipe)) {}
  void send(std::string message) override { pipe_->send({"page", 0, "-", std::move(message)}); }

 private:
  std::shared_ptr<FramePipe> pipe_;
};

struct DeviceOptions {
  unsigned short port = 0;
  std::string id;
  unsigned life = 1;
  std::filesystem::path web;
  std::optional<std::string> config;
  std::optional<std::filesystem::path> manifest;
  std::optional<std::string> site;
  std::optional<std::filesystem::path> record;
  bool awaitRelaunch = false;
};

std::optional<DeviceOptions> readOptions(const std::vector<std::string>& args, std::ostream& err) {
  std::map<std::string, std::string> values;
  DeviceOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--await-relaunch") {
      options.awaitRelaunch = true;
    } else if (args[i].starts_with("--") && i + 1 < args.size()) {
      values[args[i].substr(2)] = args[i + 1];
      ++i;
    } else {
      err << "pushwren-sim device: unexpected " << args[i] << '\n';
      return std::nullopt;
    }
  }
  try {
    options.port = static_cast<unsigned short>(std::stoul(values.at("playground")));
    options.id = values.at("id");
    options.web = values.at("web");
    if (values.contains("life")) options.life = static_cast<unsigned>(std::stoul(values["life"]));
  } catch (const std::exception&) {
    err << "pushwren-sim device: needs --playground PORT, --id ID and --web DIR (it is started by serve)\n";
    return std::nullopt;
  }
  if (values.contains("config")) options.config = values["config"];
  if (values.contains("manifest")) options.manifest = values["manifest"];
  if (values.contains("site")) options.site = values["site"];
  if (values.contains("record")) options.record = values["record"];
  return options;
}

std::optional<PlaygroundFiles> filesOf(const DeviceOptions& options, std::ostream& err) {
  PlaygroundFiles files{options.web, options.manifest, FolderSite{options.web / "demo"}};
  if (!options.site) return files;
  std::string why;
  auto site = readSite(*options.site, why);
  if (!site) {
    err << "pushwren-sim device: --site " << why << '\n';
    return std::nullopt;
  }
  files.site = std::move(*site);
  return files;
}

// Says the device is alive every kHeartbeat for as long as its queue runs.
void keepSayingAlive(boost::asio::steady_timer& timer, const std::shared_ptr<FramePipe>& pipe) {
  pipe->send({"alive", 0, "-", ""});
  timer.expires_after(kHeartbeat);
  timer.async_wait([&timer, pipe](boost::system::error_code ec) {
    if (!ec) keepSayingAlive(timer, pipe);
  });
}

// The length of the session's file now, for the playground to read it from there.
void answerSession(LiveDevice& device, std::string_view which,
                   const std::function<void(unsigned, std::string)>& answer) {
  const auto written = which == "trace" ? device.session().traceWritten() : device.session().stepsWritten();
  if (!written) return answer(500, R"({"error":"the session's file could not be written"})");
  answer(200, std::to_string(*written));
}

bool start(LiveDevice& device, const DeviceOptions& options, std::ostream& err) {
  std::optional<boost::json::object> configFile;
  if (options.config && !(configFile = readConfigFile(*options.config, err))) return false;
  auto& sim = device.simulation();
  auto steps = startSteps(options.port, configFile, options.config.value_or(""));
  steps.push_back({ownSubscriptionStep(), "the device's push subscription"});
  if (!runStartSteps(sim, steps, err,
                     [&](const boost::json::object& step, std::size_t from) { device.recordStep(step, from); })) {
    return false;
  }
  if (options.awaitRelaunch) return true;
  const auto launchedAt = sim.trace().size();
  sim.host().launch(std::nullopt);
  device.recordStep({{"do", "launch"}}, launchedAt);
  return true;
}

}  // namespace

int deviceCommand(const std::vector<std::string>& args, std::ostream& err) {
  // The playground going away, however it goes, ends its devices; a write to its closed pipe
  // is an error to handle, not a signal.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  std::signal(SIGPIPE, SIG_IGN);
  const auto options = readOptions(args, err);
  if (!options) return 2;
  auto files = filesOf(*options, err);
  if (!files) return 2;

  auto& io = MainQueue::shared().context();
  Simulation sim;
  LiveDevice device(io, sim, std::move(*files));
  try {
    sim.serverAddress();
  } catch (const StepError& e) {
    err << "device " << options->id << ": " << e.what() << "; the serve and release steps will fail\n";
  }
  std::optional<std::filesystem::path> steps, trace;
  if (options->record) {
    steps = *options->record / sessionFileName(options->id, options->life, "jsonl");
    trace = *options->record / sessionFileName(options->id, options->life, "trace");
  }
  if (const auto problem = device.startSession("127.0.0.1:" + std::to_string(options->port), steps, trace)) {
    err << "--record " << *problem << '\n';
    return 2;
  }
  if (!start(device, *options, err)) return 2;
  device.startPublishing();

  const auto pipe = std::make_shared<FramePipe>(io, kFramesIn, kFramesOut);
  const auto page = std::make_shared<PipedPage>(pipe);
  std::string runner;
  boost::asio::steady_timer heartbeat(io);
  const auto answer = [pipe](std::uint64_t ask, unsigned status, std::string body) {
    pipe->send({"answer", ask, std::to_string(status), std::move(body)});
  };
  pipe->start(
      [&](const Frame& frame) {
        if (frame.kind == "said") {
          if (!runner.empty()) device.tabSaid(runner, frame.body);
        } else if (frame.kind == "steps") {
          device.applyStep(frame.body, frame.arg, [answer, ask = frame.ask](StepAnswer result) {
            answer(ask, result.status, std::move(result.body));
          });
        } else if (frame.kind == "open") {
          if (!runner.empty()) device.closeTab(runner);
          runner = device.openTab(page);
        } else if (frame.kind == "close") {
          if (!runner.empty()) device.closeTab(std::exchange(runner, {}));
        } else if (frame.kind == "pushState") {
          answer(frame.ask, 200, pushTargetState(sim.host()));
        } else if (frame.kind == "pushBadge") {
          const auto problem = applyNotificationBadge(sim.host(), frame.body);
          answer(frame.ask, problem.empty() ? 200 : 400, problem);
        } else if (frame.kind == "session") {
          answerSession(device, frame.arg, [&](unsigned status, std::string body) {
            answer(frame.ask, status, std::move(body));
          });
        } else {
          err << "device " << options->id << ": a frame of unknown kind \"" << frame.kind << "\" ignored\n";
        }
      },
      [&](const std::string& why) {
        if (!why.empty()) err << "device " << options->id << ": the playground's pipe: " << why << '\n';
        heartbeat.cancel();
        device.stop();
        pipe->close();
        io.stop();
      });
  pipe->send({"ready", 0, "-", ""});
  keepSayingAlive(heartbeat, pipe);
  io.restart();
  io.run();
  MainQueue::shared().dropPending();
  return 0;
}

}  // namespace pushwren::sim::playground
