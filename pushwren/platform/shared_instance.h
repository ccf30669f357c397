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

// The one process-wide T, a fresh `Default` until something else is installed. Installing none
// puts a fresh `Default` back, so a reader never gets none. Made on first use: installers and
// readers run while the process loads, in no set order with other static objects.
template <class T, class Default = T>
class ProcessWide {
 public:
  static std::shared_ptr<T> get() { return slot().get(); }
  static void set(std::shared_ptr<T> value) { slot().set(value ? std::move(value) : std::make_shared<Default>()); }

 private:
  static SharedInstance<T>& slot() {
    static SharedInstance<T> instance(std::make_shared<Default>());
    return instance;
  }
};

}  // namespace pushwren
