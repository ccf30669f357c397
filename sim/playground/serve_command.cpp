#include "sim/playground/serve_command.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>

#include "pushwren/platform/main_queue.h"
#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/devices/device_start.h"
#include "sim/playground/push_api/push_api.h"
#include "sim/playground/server/playground_server.h"

#ifndef PUSHWREN_PLAYGROUND_WEB_DIR
#error "PUSHWREN_PLAYGROUND_WEB_DIR names the folder of the playground's pages"
#endif

namespace pushwren::sim::playground {
namespace {

struct ServeOptions {
  unsigned short port = 8080;
  std::optional<std::string> configFile;
  std::optional<std::string> manifestFile;
  std::optional<std::string> site;
  std::optional<std::filesystem::path> recordDir;
};

// What may still hold on once the devices have had their grace: their last output, a
// connection's close.
constexpr std::chrono::seconds kAfterDevices{5};

// A folder of the system's temporary one, made for this run and removed with what is in it.
struct SessionFolder {
  SessionFolder() {
    std::error_code ec;
    const auto temporary = std::filesystem::temp_directory_path(ec);
    if (ec) return;
    auto pattern = (temporary / "pushwren-sessions-XXXXXX").string();
    if (mkdtemp(pattern.data())) path = pattern;
  }
  ~SessionFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  SessionFolder(const SessionFolder&) = delete;
  SessionFolder& operator=(const SessionFolder&) = delete;

  std::filesystem::path path;
};

constexpr std::string_view kUsage =
    "usage: pushwren-sim serve [--port N] [--config FILE] [--manifest FILE] [--site URL|FOLDER] [--record DIR]\n";

std::optional<unsigned short> portNumber(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const auto number = std::stoul(text);
  if (number > 65535) return std::nullopt;
  return static_cast<unsigned short>(number);
}

// Reads the options, or says what is wrong with them.
std::optional<ServeOptions> readOptions(const std::vector<std::string>& args, std::ostream& err) {
  ServeOptions options;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const auto& name = args[i];
    if (name != "--port" && name != "--config" && name != "--manifest" && name != "--site" &&
        name != "--record") {
      err << "pushwren-sim serve: unknown option " << name << '\n' << kUsage;
      return std::nullopt;
    }
    if (i + 1 == args.size()) {
      err << "pushwren-sim serve: " << name << " needs a value\n" << kUsage;
      return std::nullopt;
    }
    const auto& value = args[i + 1];
    if (name == "--port") {
      const auto port = portNumber(value);
      if (!port) {
        err << "pushwren-sim serve: --port must be a number from 0 to 65535, not " << value << '\n';
        return std::nullopt;
      }
      options.port = *port;
    } else if (name == "--config") {
      options.configFile = value;
    } else if (name == "--site") {
      options.site = value;
    } else if (name == "--record") {
      options.recordDir = value;
    } else {
      options.manifestFile = value;
    }
  }
  return options;
}

// Runs every device's first steps once here, so that a wrong configuration is said before the
// playground starts, as the device would say it. `appId` is the app the devices then run.
bool checkStartSteps(unsigned short port, const std::optional<boost::json::object>& configFile,
                     const std::string& configFileName, std::ostream& err, std::string& appId) {
  Simulation sim;
  if (!runStartSteps(sim, startSteps(port, configFile, configFileName), err)) return false;
  appId = sim.host().config().oneSignalV5AppId().value_or("");
  return true;
}

// The device processes are this same program.
std::string ownExecutable() {
  std::error_code ec;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("pushwren-sim") : executable.string();
}

// The playground's own web files: installed beside the executable
// (<prefix>/bin/pushwren-sim, <prefix>/share/pushwren/playground), or else the source tree's.
std::filesystem::path webFiles() {
  std::error_code ec;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    auto installed = executable.parent_path().parent_path() / "share" / "pushwren" / "playground";
    if (std::filesystem::is_directory(installed, ec)) return installed;
  }
  return PUSHWREN_PLAYGROUND_WEB_DIR;
}

// Whether the site's server takes a connection now. One that does not is said at the start, so
// that a mistyped port is noticed, but serve goes on: the site's server is often started beside
// it and comes up later, and the phone waits for it.
std::optional<std::string> unreachable(const UpstreamSite& site) {
  boost::asio::io_context io;
  boost::asio::ip::tcp::resolver resolver(io);
  boost::asio::ip::tcp::socket socket(io);
  std::optional<std::string> why = "it did not answer within 3 s";
  resolver.async_resolve(site.host, site.port, [&](boost::system::error_code ec, const auto& results) {
    if (ec) {
      why = ec.message();
      return;
    }
    boost::asio::async_connect(socket, results, [&](boost::system::error_code ec, const auto&) {
      if (ec) {
        why = ec.message();
      } else {
        why.reset();
      }
    });
  });
  io.run_for(std::chrono::seconds(3));
  return why;
}

std::optional<Site> chosenSite(const std::optional<std::string>& option, const std::filesystem::path& web,
                               std::ostream& err) {
  if (!option) return Site(FolderSite{std::filesystem::canonical(web / "demo")});
  std::string why;
  auto site = readSite(*option, why);
  if (!site) {
    err << "pushwren-sim serve: --site " << why << '\n';
    return std::nullopt;
  }
  if (const auto* upstream = std::get_if<UpstreamSite>(&*site)) {
    if (const auto problem = unreachable(*upstream)) {
      err << "pushwren-sim serve: --site " << *option << " does not answer yet (" << *problem
          << "); the phone waits for it and loads the site once it answers\n";
    }
  }
  return site;
}

}  // namespace

int serveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto options = readOptions(args, err);
  if (!options) return 2;
  std::optional<boost::json::object> configFile;
  if (options->configFile && !(configFile = readConfigFile(*options->configFile, err))) return 2;
  if (options->manifestFile && !std::filesystem::is_regular_file(*options->manifestFile)) {
    err << *options->manifestFile << ": cannot be read\n";
    return 2;
  }

  if (options->recordDir) {
    std::error_code ec;
    std::filesystem::create_directories(*options->recordDir, ec);
    if (ec) {
      err << "pushwren-sim serve: --record " << options->recordDir->string() << ": cannot be made: " << ec.message()
          << '\n';
      return 2;
    }
  }
  // Devices write their sessions as they go and serve sends them from there; without --record
  // into a folder of this run's own.
  std::optional<SessionFolder> ownSessions;
  if (!options->recordDir) {
    ownSessions.emplace();
    if (ownSessions->path.empty()) {
      err << "pushwren-sim serve: no folder can be made for the devices' sessions in the temporary folder "
             "(TMPDIR); name one with --record DIR\n";
      return 1;
    }
  }
  const auto sessions = options->recordDir ? std::filesystem::absolute(*options->recordDir) : ownSessions->path;

  const auto web = webFiles();
  auto site = chosenSite(options->site, web, err);
  if (!site) return 2;

  std::signal(SIGPIPE, SIG_IGN);
  auto& io = MainQueue::shared().context();
  PlaygroundFiles files{web, std::nullopt, *site};
  if (options->manifestFile) files.manifest = std::filesystem::absolute(*options->manifestFile);
  DeviceFleet devices(io, files, {ownExecutable(), {"--web", web.string()}}, sessions);
  if (options->configFile) devices.addSharedOption("--config", std::filesystem::absolute(*options->configFile));
  if (files.manifest) devices.addSharedOption("--manifest", *files.manifest);
  if (options->site) devices.addSharedOption("--site", *options->site);
  PlaygroundServer server(io, devices);
  try {
    server.listen(options->port);
  } catch (const boost::system::system_error& e) {
    err << "pushwren-sim serve: cannot listen on 127.0.0.1:" << options->port << ": " << e.code().message() << '\n';
    return 1;
  }
  std::string appId;
  if (!checkStartSteps(server.port(), configFile, options->configFile.value_or(""), err, appId)) return 2;
  PushApi pushApi(io, devices, appId);
  server.answerPushApiWith(pushApi);
  // The devices learn the playground's port from it.
  devices.addSharedOption("--playground", std::to_string(server.port()));

  // Device 1 runs before any tab opens, so scripts can drive it; the playground is ready once it
  // has launched.
  std::optional<std::string> firstFailure;
  bool firstStarted = false;
  devices.startFirstDevice([&](std::optional<std::string> failure) {
    firstStarted = true;
    firstFailure = std::move(failure);
  });
  while (!firstStarted && io.run_one() > 0) {
  }
  if (firstFailure || !firstStarted) {
    err << "pushwren-sim serve: " << firstFailure.value_or("device 1 did not start") << '\n';
    server.stop();
    devices.stop();
    return 1;
  }

  // A stop ends every connection and device; once none is left the queue runs out of work and
  // run() returns. Devices are given DeviceFleet::kEndGrace to exit on their own, so that a
  // sanitizer's report at a device's exit reaches the error output, and are killed after it;
  // what still holds on a little later is not waited for.
  boost::asio::signal_set signals(io, SIGINT, SIGTERM);
  boost::asio::steady_timer stopping(io);
  std::chrono::steady_clock::time_point giveUpAt;
  bool gaveUp = false;
  std::function<void()> waitForConnections = [&] {
    if (!server.hasConnections() && !devices.running()) return;
    if (std::chrono::steady_clock::now() >= giveUpAt) {
      gaveUp = true;
      return io.stop();
    }
    stopping.expires_after(std::chrono::milliseconds(20));
    stopping.async_wait([&](boost::system::error_code ec) {
      if (!ec) waitForConnections();
    });
  };
  signals.async_wait([&](boost::system::error_code ec, int) {
    if (ec) return;
    server.stop();
    devices.stop();
    giveUpAt = std::chrono::steady_clock::now() + DeviceFleet::kEndGrace + kAfterDevices;
    waitForConnections();
  });

  out << "Playground: http://127.0.0.1:" << server.port() << "/__pushwren/" << std::endl;
  out << "Site: " << siteName(devices.files().site) << std::endl;
  out << "Push API: http://127.0.0.1:" << server.port() << PushApi::kPrefix << std::endl;
  out << "Push API app id: " << appId << " (any REST API key is accepted)" << std::endl;
  io.restart();
  io.run();
  if (gaveUp) {
    // What is left on the queue refers to the server; it must not run once the server is gone.
    err << "pushwren-sim serve: connections or devices still open "
        << (DeviceFleet::kEndGrace + kAfterDevices).count() << " s after the stop; leaving them\n";
    ownSessions.reset();
    std::_Exit(1);
  }
  if (!devices.faults().empty()) {
    err << "pushwren-sim serve: devices ended in a fault during the session:\n";
    for (const auto& fault : devices.faults()) err << "  " << fault << '\n';
    return 1;
  }
  return 0;
}

}  // namespace pushwren::sim::playground
