#pragma once

#include <condition_variable>
#include <mutex>

namespace pushwren::sim {

// Keeps the outcome of downloads back while it is closed: a completion handler that reaches it
// waits until it opens. Starts open.
class DownloadGate {
 public:
  void setOpen(bool open) {
    {
      std::lock_guard lock(mutex_);
      open_ = open;
    }
    changed_.notify_all();
  }

  bool isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
  }

  void waitUntilOpen() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return open_; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
};

}  // namespace pushwren::sim
