#include "pushwren/platform/net/url_session.h"

#include <exception>
#include <mutex>

#include "pushwren/platform/log.h"
#include "pushwren/platform/net/data_transfer.h"
#include "pushwren/platform/net/transfer_worker.h"

namespace pushwren {
namespace {

// The hooks are called while their lock is held, so that once a setter has returned the hook it
// replaced is no longer running and whatever it refers to may go.
struct StartObserverSlot {
  std::mutex mutex;
  DataTaskStartObserver observer;
};
StartObserverSlot& startObserverSlot() {
  static StartObserverSlot slot;
  return slot;
}

struct CompletionGateSlot {
  std::mutex mutex;
  DataTaskCompletionGate gate;
};
CompletionGateSlot& completionGateSlot() {
  static CompletionGateSlot slot;
  return slot;
}

// Handlers run, and tasks are abandoned, under one lock: once abandonDataTasksInFlight() has
// returned, no handler of a task started before it runs.
struct Era {
  std::mutex mutex;
  std::uint64_t current = 0;
};
Era& era() {
  static Era shared;
  return shared;
}

DataTaskCompletion unlessAbandoned(DataTaskCompletion completion) {
  auto& tasks = era();
  std::uint64_t started = 0;
  {
    std::lock_guard lock(tasks.mutex);
    started = tasks.current;
  }
  return [started, completion = std::move(completion)](std::string body, std::shared_ptr<const URLResponse> response,
                                                        std::optional<URLError> error) {
    auto& tasks = era();
    std::lock_guard lock(tasks.mutex);
    if (tasks.current == started) completion(std::move(body), std::move(response), std::move(error));
  };
}

void announceStart(const std::string& url) {
  auto& slot = startObserverSlot();
  std::lock_guard lock(slot.mutex);
  if (slot.observer) slot.observer(url);
}

void passCompletionGate() {
  auto& slot = completionGateSlot();
  std::lock_guard lock(slot.mutex);
  if (slot.gate) slot.gate();
}

class DataTask final : public URLSessionDataTask {
 public:
  DataTask(std::string url, URLSessionConfiguration configuration, DataTaskCompletion completion)
      : url_(std::move(url)), configuration_(configuration), completion_(std::move(completion)) {}

  void resume() override {
    DataTaskCompletion completion;
    {
      // A task runs once; resuming it again, from any thread, does nothing.
      std::lock_guard lock(mutex_);
      if (resumed_) return;
      resumed_ = true;
      completion = std::move(completion_);
    }
    if (completion) completion = unlessAbandoned(std::move(completion));
    auto transfer = std::make_unique<DataTransfer>(url_, configuration_, std::move(completion));
    announceStart(url_);
    TransferWorker::shared().start(std::move(transfer));
  }

 private:
  const std::string url_;
  const URLSessionConfiguration configuration_;
  std::mutex mutex_;
  bool resumed_ = false;
  DataTaskCompletion completion_;
};

class Session final : public URLSession {
 public:
  explicit Session(const URLSessionConfiguration& configuration) : configuration_(configuration) {}

  std::shared_ptr<URLSessionDataTask> dataTaskWithURL(const std::string& url, DataTaskCompletion completion) override {
    return std::make_shared<DataTask>(url, configuration_, std::move(completion));
  }

 private:
  const URLSessionConfiguration configuration_;
};

}  // namespace

std::shared_ptr<URLSession> URLSession::sessionWithConfiguration(const URLSessionConfiguration& configuration) {
  return std::make_shared<Session>(configuration);
}

void abandonDataTasksInFlight() {
  auto& tasks = era();
  std::lock_guard lock(tasks.mutex);
  ++tasks.current;
}

void setDataTaskStartObserver(DataTaskStartObserver observer) {
  auto& slot = startObserverSlot();
  std::lock_guard lock(slot.mutex);
  slot.observer = std::move(observer);
}

void setDataTaskCompletionGate(DataTaskCompletionGate gate) {
  auto& slot = completionGateSlot();
  std::lock_guard lock(slot.mutex);
  slot.gate = std::move(gate);
}

DataTaskCompletionGate dataTaskCompletionGate() {
  auto& slot = completionGateSlot();
  std::lock_guard lock(slot.mutex);
  return slot.gate;
}

DataTransfer::DataTransfer(std::string url, URLSessionConfiguration configuration, DataTaskCompletion completion)
    : url_(std::move(url)),
      configuration_(configuration),
      completion_(std::move(completion)),
      work_(std::make_unique<MainQueue::OutsideWork>(MainQueue::shared())) {}

void DataTransfer::complete(TransferOutcome outcome) {
  passCompletionGate();
  if (completion_) {
    // The handler is the caller's code on the session's thread; an exception must not end the
    // process from there.
    try {
      completion_(std::move(outcome.body), std::move(outcome.response), std::move(outcome.error));
    } catch (const std::exception& e) {
      NSLog(std::string("A download's completion handler failed: ") + e.what());
    } catch (...) {
      NSLog("A download's completion handler failed");
    }
  }
  completion_ = nullptr;
  work_.reset();
}

}  // namespace pushwren
