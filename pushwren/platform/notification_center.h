#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/value.hpp>

#include "pushwren/export.h"

namespace pushwren {

struct NSNotification {
  std::string name;
  std::optional<boost::json::value> object;  // absent: posted without an object
};

// The default notification centre: observers by notification name, from any sender.
class PUSHWREN_EXPORT NSNotificationCenter {
 public:
  using Handler = std::function<void(const NSNotification&)>;

  virtual ~NSNotificationCenter() = default;

  static std::shared_ptr<NSNotificationCenter> defaultCenter();
  static void setDefaultCenter(std::shared_ptr<NSNotificationCenter> center);

  // The handler runs on the posting thread for every notification of that name. There is no
  // removal: an observer that may end before the centre captures a weak reference to itself.
  virtual void addObserver(std::string name, Handler handler);
  void postNotification(const NSNotification& notification);

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, Handler>> observers_;
};

}  // namespace pushwren
