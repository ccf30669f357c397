#pragma once

#include <mutex>
#include <utility>

namespace pushwren {

// A property whose every read and write is indivisible. A read returns a copy, which stays
// valid for the reader whatever other threads write afterwards.
template <class T>
class AtomicProperty {
 public:
  AtomicProperty() = default;
  explicit AtomicProperty(T initial) : value_(std::move(initial)) {}

  T get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void set(T value) {
    std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }
  // Takes the value out, leaving a default-constructed one behind, in one step.
  T take() {
    std::lock_guard lock(mutex_);
    return std::exchange(value_, T{});
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

}  // namespace pushwren
