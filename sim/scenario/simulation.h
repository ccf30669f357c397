#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "sim/host/reference_host.h"
#include "sim/host/ui_trace.h"
#include "sim/scenario/step_fields.h"
#include "sim/server/download_gate.h"
#include "sim/server/scenario_server.h"
#include "sim/trace.h"

namespace pushwren::sim {

class Simulation;
using StepHandler = std::function<void(Simulation&, const StepFields&)>;

// One run of the plugin in the reference host, driven step by step.
class Simulation {
 public:
  Simulation();
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  Trace& trace() { return trace_; }
  ReferenceHost& host() { return host_; }
  // The headless screen: what the plugin shows, and the screen on top.
  UITrace& ui() { return ui_; }

  // The runner's own HTTP server, started on first need; throws StepError when it cannot listen.
  ScenarioServer& server();
  // "127.0.0.1:PORT" of that server.
  std::string serverAddress();

  // Runs one step's handler with the outcome of every download held back until the handler has
  // returned, then settles.
  void runStep(const StepHandler& handler, const StepFields& step);

  // Runs the main queue until it is idle; while a download is in flight (at most 15 s), waits
  // for it and runs the queue again. A download whose request the server holds is not waited
  // for. So a trace never depends on timing.
  void settle();

 private:
  void holdDownloads(bool hold);
  int heldRequests() const;

  Trace trace_;
  ReferenceHost host_;
  DownloadGate gate_;
  std::unique_ptr<ScenarioServer> server_;
  UITrace ui_{trace_};
};

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
