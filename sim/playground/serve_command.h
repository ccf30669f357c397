#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pushwren::sim::playground {

// pushwren-sim serve [--port N] [--config FILE] [--manifest FILE]
// Runs the playground until SIGINT or SIGTERM. Exits 0 after a clean stop, 2 for bad arguments
// or a bad configuration file, 1 when the port cannot be had.
int serveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pushwren::sim::playground
