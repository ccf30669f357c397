#include "sim/trace.h"

#include <boost/json/serialize.hpp>

namespace pushwren::sim {

void Trace::add(boost::json::array line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
}

std::vector<std::string> Trace::textLines(std::size_t from) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> text;
  for (std::size_t i = from; i < lines_.size(); ++i) {
    std::string line = boost::json::serialize(lines_[i]);
    if (!serverAddress_.empty()) {
      for (auto at = line.find(serverAddress_); at != std::string::npos; at = line.find(serverAddress_, at)) {
        line.replace(at, serverAddress_.size(), "{server}");
        at += 8;
      }
    }
    text.push_back(std::move(line));
  }
  return text;
}

std::size_t Trace::size() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

void Trace::setServerAddress(std::string address) {
  std::lock_guard lock(mutex_);
  serverAddress_ = std::move(address);
}

}  // namespace pushwren::sim
