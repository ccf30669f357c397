#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include <boost/json/object.hpp>

#include "sim/host/reference_host.h"

namespace pushwren::sim::playground {

// What the device panel shows, as messages for the tabs: the trace, line by line as it grows,
// each step that set lines off just before them, and the simulated device's state whenever it
// changes.
//   {"type": "step", "from": 12, "source": {...}}          the lines from 12 on came from this
//   {"type": "trace", "from": 12, "lines": [[...], ...]}   lines from index 12 on
//   {"type": "device", "state": {...}}
class PanelFeed {
 public:
  explicit PanelFeed(ReferenceHost& host) : host_(host) {}

  // A step is about to reach the device (step_sources.h); the lines it makes follow it.
  void markStep(boost::json::object source);
  // What changed since the last call: steps and new trace lines in their order, a changed
  // device state.
  std::vector<std::string> changes();
  // What the last changes() reported, for a tab that has just opened: the newest trace lines
  // and the device state.
  std::vector<std::string> snapshot() const;

 private:
  struct Mark {
    std::size_t from;
    std::string message;
  };
  // The trace from `from` to `to` with the marks among them, in order.
  void interleave(std::size_t from, std::size_t to, std::size_t firstMark, std::size_t endMark,
                  std::vector<std::string>& into) const;

  ReferenceHost& host_;
  std::deque<Mark> marks_;
  std::size_t marksSent_ = 0;
  std::size_t traceSent_ = 0;
  std::string deviceSent_;
};

// The simulated SDK, the app's badge and the host configuration as the panel shows them.
boost::json::object deviceState(ReferenceHost& host);

}  // namespace pushwren::sim::playground
