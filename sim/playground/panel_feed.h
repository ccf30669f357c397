#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <boost/json/object.hpp>

#include "sim/host/reference_host.h"

namespace pushwren::sim::playground {

// What the device panel shows, as messages for the tabs: the trace, line by line as it grows,
// and the simulated device's state whenever it changes.
//   {"type": "trace", "from": 12, "lines": [[...], ...]}   lines from index 12 on
//   {"type": "device", "state": {...}}
class PanelFeed {
 public:
  explicit PanelFeed(ReferenceHost& host) : host_(host) {}

  // What changed since the last call: new trace lines, a changed device state.
  std::vector<std::string> changes();
  // What the last changes() reported, for a tab that has just opened: the newest trace lines
  // and the device state.
  std::vector<std::string> snapshot() const;

 private:
  std::string traceMessage(std::size_t from, std::size_t to) const;

  ReferenceHost& host_;
  std::size_t traceSent_ = 0;
  std::string deviceSent_;
};

// The simulated SDK, the app's badge and the host configuration as the panel shows them.
boost::json::object deviceState(ReferenceHost& host);

}  // namespace pushwren::sim::playground
