#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/array.hpp>
#include <boost/json/value.hpp>

namespace pushwren::sim {

// Everything the plugin did to the outside world, one JSON array per effect, in order. Effects
// may come from the download's thread, so adding is safe from any thread.
class Trace {
 public:
  void add(boost::json::array line);

  template <class... Args>
  void add(std::string_view effect, Args&&... args) {
    add(boost::json::array{boost::json::value(effect), boost::json::value(std::forward<Args>(args))...});
  }

  // Lines added since `from`, as text; the runner's own server address reads "{server}".
  std::vector<std::string> textLines(std::size_t from = 0) const;
  std::size_t size() const;

  void setServerAddress(std::string address);

 private:
  mutable std::mutex mutex_;
  std::vector<boost::json::array> lines_;
  std::string serverAddress_;
};

// Absent values are null in a trace.
template <class T>
boost::json::value orNull(const std::optional<T>& value) {
  return value ? boost::json::value(*value) : boost::json::value(nullptr);
}

}  // namespace pushwren::sim
