#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "pushwren/platform/ui/storyboard_file.h"
#include "pushwren/platform/ui/view_controller.h"

namespace pushwren {

class NSBundle;

// Screens described by a storyboard file (NAME.storyboard among a bundle's resources, in the
// format of storyboard_file.h). Controllers are made by class name from the registered view
// controller classes; each loads its scene's views when its view is first needed.
class UIStoryboard : public std::enable_shared_from_this<UIStoryboard> {
 public:
  // The storyboard of that name in `bundle` (none: the app's main bundle), or none when it is
  // missing or unreadable, with the reason in `whyNot` when given.
  static std::shared_ptr<UIStoryboard> storyboardWithName(std::string_view name, std::shared_ptr<NSBundle> bundle,
                                                          std::string* whyNot = nullptr);

  explicit UIStoryboard(StoryboardFile file) : file_(std::move(file)) {}

  // A fresh controller of the initial scene, or none when its class is not registered.
  std::shared_ptr<UIViewController> instantiateInitialViewController();
  std::shared_ptr<UIViewController> instantiateViewControllerWithIdentifier(std::string_view sceneIdentifier);

  // Called by the controller while its view loads, after loadView: adds the scene's views to the
  // controller's view, connects outlets and actions, registers cell prototypes on a table, and
  // runs each embed segue (prepareForSegue, then the embedded controller's view loads).
  void loadSceneContents(const std::shared_ptr<UIViewController>& controller, std::string_view sceneIdentifier);

 private:
  StoryboardFile file_;
};

}  // namespace pushwren
