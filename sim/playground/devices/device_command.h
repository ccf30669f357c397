#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pushwren::sim::playground {

// pushwren-sim device --playground PORT --id ID --web DIR [--life N] [--config FILE]
//                     [--manifest FILE] [--site URL|FOLDER] [--record DIR] [--await-relaunch]
// One device of the playground in a process of its own, started by `serve`: it reads frames
// (device_frames.h) on descriptor 0 and writes them on descriptor 3, and what it prints on its
// error output is the device's log. It runs until descriptor 0 ends. With --await-relaunch it
// starts without launching the app: its first steps are the relaunch that brings it back after
// a crash. Exits 2 when its options or first steps are wrong.
int deviceCommand(const std::vector<std::string>& args, std::ostream& err);

}  // namespace pushwren::sim::playground
