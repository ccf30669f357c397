#pragma once

#include <functional>
#include <map>
#include <string>

#include "sim/host/reference_host.h"
#include "sim/scenario/step_fields.h"
#include "sim/trace.h"

namespace pushwren::sim {

// One run of the plugin in the reference host, driven step by step.
class Simulation {
 public:
  Simulation();
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  Trace& trace() { return trace_; }
  ReferenceHost& host() { return host_; }

  // "127.0.0.1:PORT" of the runner's own HTTP server, started on first need.
  std::string serverAddress();

  // Runs the main queue until it is idle; while a download is in flight (at most 15 s), waits
  // for it and runs the queue again. So a trace never depends on timing.
  void settle();

 private:
  Trace trace_;
  ReferenceHost host_;
};

using StepHandler = std::function<void(Simulation&, const StepFields&)>;
using StepTable = std::map<std::string, StepHandler, std::less<>>;

// Each file of steps adds its own to the table.
void addHostSteps(StepTable& table);
void addEventSteps(StepTable& table);
void addBridgeSteps(StepTable& table);
void addServerSteps(StepTable& table);
void addScreenSteps(StepTable& table);

const StepTable& allSteps();

// A push subscription as steps give it: "id", "token", "optedIn"; a key left out is absent.
OSPushSubscriptionState subscriptionState(const StepFields& fields);

}  // namespace pushwren::sim
