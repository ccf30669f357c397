#include "sim/playground/serve_command.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/json/parse.hpp>

#include "platform/main_queue.h"
#include "sim/playground/playground.h"
#include "sim/playground/playground_server.h"

#ifndef PUSHWREN_PLAYGROUND_WEB_DIR
#error "PUSHWREN_PLAYGROUND_WEB_DIR names the folder of the playground's pages"
#endif

namespace pushwren::sim::playground {
namespace {

struct ServeOptions {
  unsigned short port = 8080;
  std::optional<std::string> configFile;
  std::optional<std::string> manifestFile;
};

constexpr std::string_view kUsage = "usage: pushwren-sim serve [--port N] [--config FILE] [--manifest FILE]\n";

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
    if (name != "--port" && name != "--config" && name != "--manifest") {
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
    } else {
      options.manifestFile = value;
    }
  }
  return options;
}

std::optional<boost::json::object> readConfigFile(const std::string& path, std::ostream& err) {
  std::ifstream in(path);
  if (!in) {
    err << path << ": cannot be read\n";
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  boost::system::error_code ec;
  const auto value = boost::json::parse(text.str(), ec);
  if (ec) {
    err << path << ": not JSON: " << ec.message() << '\n';
    return std::nullopt;
  }
  if (!value.is_object()) {
    err << path << ": must be a JSON object of host configuration properties\n";
    return std::nullopt;
  }
  return value.get_object();
}

// Applies configuration properties as the `config` step does, with its checks.
bool configure(Simulation& sim, const boost::json::object& properties, std::string_view source, std::ostream& err) {
  const boost::json::object step{{"do", "config"}, {"set", properties}};
  try {
    findStep("config")->handler(sim, StepFields(step));
    return true;
  } catch (const StepError& e) {
    err << source << ": " << e.what() << '\n';
    return false;
  }
}

boost::json::object builtInConfig(unsigned short port) {
  return {
      {"oneSignalV5Enabled", true},
      {"oneSignalV5AppId", "playground-app"},
      {"oneSignalV5TagsJsonUrl", "http://127.0.0.1:" + std::to_string(port) + "/manifest.json"},
  };
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

  auto& io = MainQueue::shared().context();
  Simulation sim;
  PlaygroundFiles files{PUSHWREN_PLAYGROUND_WEB_DIR, std::nullopt};
  if (options->manifestFile) files.manifest = std::filesystem::absolute(*options->manifestFile);
  Playground playground(io, sim, std::move(files));
  PlaygroundServer server(io, playground);
  try {
    server.listen(options->port);
  } catch (const boost::system::system_error& e) {
    err << "pushwren-sim serve: cannot listen on 127.0.0.1:" << options->port << ": " << e.code().message() << '\n';
    return 1;
  }

  // The scenario server answers `serve` steps; starting it now lets a configuration name it as
  // "{server}" from the start.
  try {
    sim.serverAddress();
  } catch (const StepError& e) {
    err << "pushwren-sim serve: " << e.what() << "; the serve and release steps will fail\n";
  }
  if (!configure(sim, builtInConfig(server.port()), "built-in configuration", err)) return 2;
  if (configFile && !configure(sim, *configFile, *options->configFile, err)) return 2;
  sim.host().launch(std::nullopt);
  playground.startPublishing();

  // A stop ends every connection; once none is left the queue runs out of work and run()
  // returns. A connection that does not let go within two seconds is not waited for.
  boost::asio::signal_set signals(io, SIGINT, SIGTERM);
  boost::asio::steady_timer stopping(io);
  const auto giveUpAt = std::make_shared<std::chrono::steady_clock::time_point>();
  bool gaveUp = false;
  std::function<void()> waitForConnections = [&] {
    if (!server.hasConnections()) return;
    if (std::chrono::steady_clock::now() >= *giveUpAt) {
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
    playground.stop();
    *giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    waitForConnections();
  });

  out << "Playground: http://127.0.0.1:" << server.port() << "/" << std::endl;
  io.restart();
  io.run();
  if (gaveUp) {
    // What is left on the queue refers to the server; it must not run once the server is gone.
    err << "pushwren-sim serve: connections still open 2 s after the stop; leaving them\n";
    std::_Exit(1);
  }
  return 0;
}

}  // namespace pushwren::sim::playground
