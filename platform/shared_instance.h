#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace pushwren {

// A process-wide object that its owner may replace (the host installs its own, tests install
// fakes). Readers get a shared_ptr copy, so the object they read stays alive while they use it.
template <class T>
class SharedInstance {
 public:
  explicit SharedInstance(std::shared_ptr<T> initial) : value_(std::move(initial)) {}

  std::shared_ptr<T> get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void set(std::shared_ptr<T> value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<T> value_;
};

}  // namespace pushwren
