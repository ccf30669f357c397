#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <boost/asio/io_context.hpp>

#include "sim/host/reference_host.h"
#include "sim/host/ui_trace.h"
#include "sim/scenario/step_fields.h"
#include "sim/scenario/step_table.h"
#include "sim/server/download_gate.h"
#include "sim/server/scenario_server.h"
#include "sim/trace.h"

namespace pushwren::sim {

// One device running the plugin in the reference host, driven step by step. The same engine
// serves `pushwren-sim run`, which drives the main queue by hand (runStep), and the playground,
// whose main queue runs on its own (applyStep, then settleThen).
class Simulation {
 public:
  // The longest a step waits for the downloads it set off, unless setSettleLimit says otherwise.
  static constexpr std::chrono::seconds kSettleLimit{15};

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
  // returned. A StepError leaves the device as it was.
  void applyStep(const StepHandler& handler, const StepFields& step);
  // applyStep, then settle.
  void runStep(const StepHandler& handler, const StepFields& step);

  // Runs the main queue until it is idle; while a download is in flight (at most the settle
  // limit), waits for it and runs the queue again. A download whose request the server holds is
  // not waited for. So a trace never depends on timing. A settle that gives up with a download
  // still in flight says so in the trace (a "settle.gaveUp" line), so a mismatch that follows
  // shows its cause. For a host that drives the queue by hand.
  void settle();
  // The same rule for a host whose main queue `io` is running: `done` is called on the queue
  // once it has settled, or once `stopping` is set.
  void settleThen(boost::asio::io_context& io, const bool& stopping, std::function<void()> done);

  // The app's process ends and a new one starts on this device; see ReferenceHost::restartProcess.
  // Nothing of the old process runs afterwards: its downloads in flight are abandoned, the
  // work it queued on the main queue is dropped, and its screens are gone.
  void restartProcess();

  // How long settling waits for downloads in flight (kSettleLimit unless set): a test sets it
  // short to see a settle give up, or long so a slow machine never reaches it.
  void setSettleLimit(std::chrono::milliseconds limit) { settleLimit_ = limit; }
  std::chrono::milliseconds settleLimit() const { return settleLimit_; }

 private:
  friend class AsyncSettler;
  void holdDownloads(bool hold);
  int heldRequests() const;
  // Whether a download is in flight that settling waits for.
  bool downloadsAwaited() const;
  // Traces that settling stopped waiting while a download was still in flight.
  void traceSettleGaveUp();

  Trace trace_;
  ReferenceHost host_;
  DownloadGate gate_;
  std::unique_ptr<ScenarioServer> server_;
  UITrace ui_{trace_};
  std::chrono::milliseconds settleLimit_{kSettleLimit};
};

// A push subscription as steps give it: "id", "token", "optedIn"; a key left out is absent.
OSPushSubscriptionState subscriptionState(const StepFields& fields);

}  // namespace pushwren::sim
