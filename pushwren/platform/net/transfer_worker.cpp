#include "pushwren/platform/net/transfer_worker.h"

#include <map>
#include <utility>

#include "pushwren/platform/log_thread.h"
#include "pushwren/platform/net/curl_transfer.h"
#include "pushwren/platform/net/url_check.h"

namespace pushwren {
namespace {

struct Running {
  std::unique_ptr<DataTransfer> transfer;
  std::unique_ptr<CurlTransfer> curl;
};

}  // namespace

TransferWorker& TransferWorker::shared() {
  // Outstanding transfers count as the main queue's outside work, so the queue must outlive the
  // worker: made first, it is destroyed last.
  MainQueue::shared();
  static TransferWorker worker;
  return worker;
}

TransferWorker::TransferWorker() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  multi_ = curl_multi_init();
  thread_ = std::thread([this] { run(); });
}

TransferWorker::~TransferWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake();
  thread_.join();
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
  curl_global_cleanup();
}

void TransferWorker::start(std::unique_ptr<DataTransfer> transfer) {
  {
    std::lock_guard lock(mutex_);
    arrived_.push_back(std::move(transfer));
  }
  wake();
}

void TransferWorker::wake() {
  if (multi_ != nullptr) {
    curl_multi_wakeup(multi_);
  } else {
    arrival_.notify_one();
  }
}

std::vector<std::unique_ptr<DataTransfer>> TransferWorker::takeArrived() {
  std::unique_lock lock(mutex_);
  // Without libcurl's multi handle there is no poll to sleep in.
  if (multi_ == nullptr) arrival_.wait(lock, [this] { return stopping_ || !arrived_.empty(); });
  if (stopping_) return {};
  return std::exchange(arrived_, {});
}

bool TransferWorker::stopping() {
  std::lock_guard lock(mutex_);
  return stopping_;
}

void TransferWorker::run() {
  markLogBackgroundThread();
  std::map<CURL*, Running> running;
  while (!stopping()) {
    for (auto& transfer : takeArrived()) {
      if (auto refused = unusableURL(transfer->url())) {
        transfer->complete({{}, nullptr, std::move(refused)});
        continue;
      }
      auto curl = std::make_unique<CurlTransfer>(transfer->url(), transfer->configuration());
      if (multi_ == nullptr || curl->handle() == nullptr ||
          curl_multi_add_handle(multi_, curl->handle()) != CURLM_OK) {
        transfer->complete({{}, nullptr, URLError{"the transfer could not be started (out of memory)"}});
        continue;
      }
      CURL* handle = curl->handle();
      running.emplace(handle, Running{std::move(transfer), std::move(curl)});
    }
    if (multi_ == nullptr) continue;

    int active = 0;
    curl_multi_perform(multi_, &active);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      const auto done = running.find(message->easy_handle);
      if (done == running.end()) continue;
      const CURLcode result = message->data.result;
      curl_multi_remove_handle(multi_, done->first);
      Running finished = std::move(done->second);
      running.erase(done);
      finished.transfer->complete(finished.curl->outcome(result));
    }
    // Sleeps until a socket is ready, a libcurl timer is due or wake() is called.
    curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
  }
  for (auto& [handle, abandoned] : running) curl_multi_remove_handle(multi_, handle);
}

}  // namespace pushwren
