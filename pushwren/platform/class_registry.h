#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pushwren {

// Values registered under class names, in the order they came, as code registers its classes
// while it is loaded. Safe from any thread.
template <class Value>
class ClassRegistry {
 public:
  struct Entry {
    std::string className;
    Value value;
  };

  void add(std::string className, Value value) {
    std::lock_guard lock(mutex_);
    entries_.push_back({std::move(className), std::move(value)});
  }

  std::vector<Entry> entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
  }

  // The value registered last under the name; none when the name was never registered.
  std::optional<Value> find(std::string_view className) const {
    std::lock_guard lock(mutex_);
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
      if (entry->className == className) return entry->value;
    }
    return std::nullopt;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace pushwren
