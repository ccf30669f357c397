#pragma once

#include <memory>
#include <optional>
#include <string>

#include "pushwren/platform/main_queue.h"
#include "pushwren/platform/net/url_session.h"

namespace pushwren {

// What a finished transfer hands its completion handler.
struct TransferOutcome {
  std::string body;
  std::shared_ptr<const URLResponse> response;  // none when the transfer failed
  std::optional<URLError> error;
};

// A resumed data task on its way through the transfer worker. It owns the completion handler,
// and with it everything the handler captured, until the handler has run.
class DataTransfer {
 public:
  DataTransfer(std::string url, URLSessionConfiguration configuration, DataTaskCompletion completion);

  const std::string& url() const { return url_; }
  const URLSessionConfiguration& configuration() const { return configuration_; }

  // Passes the completion gate, runs the handler once, then lets go of what it captured and
  // stops counting as outside work, in that order.
  void complete(TransferOutcome outcome);

 private:
  std::string url_;
  URLSessionConfiguration configuration_;
  DataTaskCompletion completion_;
  std::unique_ptr<MainQueue::OutsideWork> work_;
};

}  // namespace pushwren
