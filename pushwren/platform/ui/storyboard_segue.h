#pragma once

#include <memory>
#include <string>

namespace pushwren {

class UIViewController;

// A transition between two storyboard scenes, named by its identifier.
class UIStoryboardSegue {
 public:
  UIStoryboardSegue(std::string identifier, std::shared_ptr<UIViewController> source,
                    std::shared_ptr<UIViewController> destination)
      : identifier_(std::move(identifier)), source_(std::move(source)), destination_(std::move(destination)) {}

  const std::string& identifier() const { return identifier_; }
  const std::shared_ptr<UIViewController>& sourceViewController() const { return source_; }
  const std::shared_ptr<UIViewController>& destinationViewController() const { return destination_; }

 private:
  std::string identifier_;
  std::shared_ptr<UIViewController> source_;
  std::shared_ptr<UIViewController> destination_;
};

}  // namespace pushwren
