#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include <boost/json/object.hpp>

#include "sim/host/reference_host.h"

namespace pushwren::sim::playground {

// What the device panel shows, as messages for the tabs: the trace, line by line as it grows,
// with the steps that set the lines off, and the simulated device's state whenever it changes.
//   {"type": "trace", "from": 12, "lines": [[...], ...], "steps": [{"from": 13, "source": {...}}]}
//       lines from index 12 on; each step's lines start at its "from" and run to the next step's
//   {"type": "device", "state": {...}}
// A tick's lines and steps go in one message: a message per bridge call would cost the page
// more than the calls themselves.
class PanelFeed {
 public:
  explicit PanelFeed(ReferenceHost& host) : host_(host) {}

  // A step is about to reach the device (step_sources.h); the lines it makes follow it.
  void markStep(const boost::json::object& source) { markStep(source, host_.trace().size()); }
  // A step whose lines began at trace line `from`.
  void markStep(const boost::json::object& source, std::size_t from);
  // What changed since the last call: steps and new trace lines in their order, a changed
  // device state.
  std::vector<std::string> changes();
  // What the last changes() reported, for a tab that has just opened: the newest trace lines
  // and the device state.
  std::vector<std::string> snapshot() const;

 private:
  struct Mark {
    std::size_t from;    // its first trace line
    std::string source;  // as JSON text
  };
  // The trace from `from` to `to` with the marks [firstMark, endMark).
  std::string traceMessage(std::size_t from, std::size_t to, std::size_t firstMark, std::size_t endMark) const;

  ReferenceHost& host_;
  std::deque<Mark> marks_;
  std::size_t marksSent_ = 0;
  std::size_t traceSent_ = 0;
  std::string deviceSent_;
};

// The simulated SDK, the app's badge and the host configuration as the panel shows them.
boost::json::object deviceState(ReferenceHost& host);

}  // namespace pushwren::sim::playground
