#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "sim/server/received_request.h"
#include "sim/server/served_response.h"

namespace pushwren::sim {

// The scenario runner's own HTTP server: listens on 127.0.0.1 on a free port and answers on a
// thread of its own, each request on a connection of its own, closed after the answer. A path
// never served answers 404 with an empty body. Answers go out only while the gate is open, so a
// host can keep a download's outcome back until its own work is done. Safe from any thread.
class ScenarioServer {
 public:
  // `onHold` is called on the server's thread each time a request is held.
  explicit ScenarioServer(std::function<void()> onHold = {});
  ~ScenarioServer();  // closes every connection, held ones included
  ScenarioServer(const ScenarioServer&) = delete;
  ScenarioServer& operator=(const ScenarioServer&) = delete;

  // Why the server could not listen, or empty when it does.
  const std::string& failure() const;
  // "127.0.0.1:PORT".
  std::string address() const;

  // From now on GET `path` (the query not counted) is answered so.
  void serve(const std::string& path, ServedResponse response);
  // Answers the requests for `path` that are held now, as served when they arrived.
  void release(const std::string& path);
  // Closed: answers wait. Open (the start): they go out, those that waited first.
  void setGateOpen(bool open);

  int heldRequests() const;
  // Requests that arrived for `path`, answered or not.
  int requests(const std::string& path) const;
  // The latest of them, as read.
  std::optional<ReceivedRequest> lastRequest(const std::string& path) const;

 private:
  class State;
  std::unique_ptr<State> state_;
};

}  // namespace pushwren::sim
