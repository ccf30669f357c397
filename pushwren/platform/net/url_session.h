#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pushwren {

// What a transfer got back. A response that did not come over HTTP (a file URL) has no status.
struct URLResponse {
  std::string url;                // the URL the response came from, after redirects
  std::optional<long> statusCode;  // present for HTTP responses only
  bool isHTTP() const { return statusCode.has_value(); }
};

// Why a transfer ended without a response: no network, refused, reset, timed out, too large.
struct URLError {
  std::string description;  // for a person: what went wrong
};

struct URLSessionConfiguration {
  static URLSessionConfiguration defaultSessionConfiguration() { return {}; }

  // With a cache policy that ignores local data and no cache, every fetch goes to the network
  // and nothing is stored.
  enum class CachePolicy { UseProtocolCachePolicy, ReloadIgnoringLocalCacheData };
  CachePolicy requestCachePolicy = CachePolicy::UseProtocolCachePolicy;
  bool urlCache = true;  // false: no response cache
  // Give up when no data arrives for this long (at least one second).
  std::chrono::seconds timeoutIntervalForRequest{60};
  // A body larger than this ends the transfer with an error instead of filling memory.
  std::size_t maximumBodyBytes = 64u << 20;
};

using DataTaskCompletion = std::function<void(std::string body, std::shared_ptr<const URLResponse> response,
                                              std::optional<URLError> error)>;

class URLSessionDataTask {
 public:
  virtual ~URLSessionDataTask() = default;
  virtual void resume() = 0;
};

// Transfers on a background queue, never the caller's thread: one worker thread serves every
// session, so completion handlers run one at a time. A handler keeps what it captures alive until
// it has run, and nothing cancels it. A task needs neither its session nor itself to be kept: once
// resumed it runs to its completion. From resume() until its completion handler has returned, a
// task counts as MainQueue::OutsideWork. Nothing is cached: every task goes to the network.
class URLSession {
 public:
  virtual ~URLSession() = default;
  static std::shared_ptr<URLSession> sessionWithConfiguration(const URLSessionConfiguration& configuration);

  // A plain GET of the URL, redirects followed, no headers of its own.
  virtual std::shared_ptr<URLSessionDataTask> dataTaskWithURL(const std::string& url,
                                                              DataTaskCompletion completion) = 0;
};

// Every data task resumed so far whose completion handler has not run never calls it, as when the
// process that started it ends; a handler running now is waited for. For a host that starts its
// app anew inside one process.
void abandonDataTasksInFlight();

// Told of every data task as it starts, on the thread that resumes it, before the transfer
// begins (the reference host traces them). Safe from any thread; empty removes the observer.
using DataTaskStartObserver = std::function<void(const std::string& url)>;
void setDataTaskStartObserver(DataTaskStartObserver observer);

// Called on the sessions' queue before each completion handler and may block there: a host that
// wants a download's outcome to come after its own work holds it here (the scenario runner holds
// it until the step that started the download has returned). Empty removes the gate.
using DataTaskCompletionGate = std::function<void()>;
void setDataTaskCompletionGate(DataTaskCompletionGate gate);
// The gate installed now (empty when none), so that another can be put in front of it.
DataTaskCompletionGate dataTaskCompletionGate();

}  // namespace pushwren
