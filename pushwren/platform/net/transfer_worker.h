#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <curl/curl.h>

#include "pushwren/platform/net/data_transfer.h"

namespace pushwren {

// The one background thread of the process on which every data task's transfer runs and its
// completion handler is called, so handlers run one at a time. The thread starts with the first
// task and is joined when the process exits; transfers still running then are abandoned and
// their handlers are not called.
class TransferWorker {
 public:
  static TransferWorker& shared();

  // Takes the transfer over; its completion handler runs later on the worker's thread.
  void start(std::unique_ptr<DataTransfer> transfer);

 private:
  TransferWorker();
  ~TransferWorker();

  void run();
  void wake();
  bool stopping();
  std::vector<std::unique_ptr<DataTransfer>> takeArrived();

  CURLM* multi_ = nullptr;  // none only when libcurl is out of memory: every task then fails
  std::mutex mutex_;
  std::condition_variable arrival_;
  std::vector<std::unique_ptr<DataTransfer>> arrived_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace pushwren
