#pragma once

#include <memory>

#include "pushwren/export.h"
#include "pushwren/platform/bundle.h"

namespace pushwren {

// What the subscriptions screen needs of the plugin that shows it.
class PUSHWREN_EXPORT CVPushwrenScreenOwner {
 public:
  virtual ~CVPushwrenScreenOwner() = default;
  // The plugin's resource bundle, which holds the screen's storyboard; none when there is none.
  virtual std::shared_ptr<NSBundle> getBundle() const = 0;
};

}  // namespace pushwren
