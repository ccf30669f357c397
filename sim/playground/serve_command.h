#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pushwren::sim::playground {

// pushwren-sim serve [--port N] [--config FILE] [--manifest FILE] [--site URL|FOLDER] [--record DIR]
// Runs the playground until SIGINT or SIGTERM; a stop gives each device DeviceFleet::kEndGrace to
// exit on its own. The devices write their sessions into DIR with --record, else into a folder
// of the system's temporary one that the stop removes. Exits 0 after a clean stop, 2 for bad arguments,
// a bad configuration file or a site that is neither a reachable http URL nor a folder, 1 when
// the port cannot be had, device 1 cannot start, or a device ended in a fault of its own during
// the session (each is listed).
int serveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pushwren::sim::playground
