// pushwren-sim: the reference host, run from the command line.
//   pushwren-sim run FILE [--expect TRACE]
//   pushwren-sim serve [--port N] [--config FILE] [--manifest FILE] [--site URL|FOLDER] [--record DIR]
//   pushwren-sim steps
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "sim/playground/devices/device_command.h"
#include "sim/playground/serve_command.h"
#include "sim/scenario/scenario_runner.h"
#include "sim/scenario/step_table.h"

namespace {

int usage() {
  std::cerr << "usage: pushwren-sim run FILE [--expect TRACE]\n"
               "       pushwren-sim serve [--port N] [--config FILE] [--manifest FILE] [--site URL|FOLDER] [--record DIR]\n"
               "       pushwren-sim steps\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage();
  if (args[0] == "run") {
    if (args.size() == 2) return pushwren::sim::runScenarioFile(args[1], std::nullopt, std::cout, std::cerr);
    if (args.size() == 4 && args[2] == "--expect") {
      return pushwren::sim::runScenarioFile(args[1], args[3], std::cout, std::cerr);
    }
  }
  if (args[0] == "serve") {
    return pushwren::sim::playground::serveCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
  }
  // One device of the playground, started by serve; not for people.
  if (args[0] == "device") return pushwren::sim::playground::deviceCommand({args.begin() + 1, args.end()}, std::cerr);
  if (args[0] == "steps" && args.size() == 1) {
    pushwren::sim::printSteps(std::cout);
    return 0;
  }
  return usage();
}
