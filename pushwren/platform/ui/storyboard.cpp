#include "pushwren/platform/ui/storyboard.h"

#include <fstream>
#include <sstream>

#include "pushwren/platform/bundle.h"
#include "pushwren/platform/ui/activity_indicator_view.h"
#include "pushwren/platform/ui/button.h"
#include "pushwren/platform/ui/label.h"
#include "pushwren/platform/ui/storyboard_segue.h"
#include "pushwren/platform/ui/table_view.h"
#include "pushwren/platform/ui/view_controller_registry.h"

namespace pushwren {
namespace {

std::shared_ptr<UIView> makeView(const StoryboardView& entry) {
  std::shared_ptr<UIView> view;
  if (entry.viewClass == "UILabel") {
    auto label = std::make_shared<UILabel>();
    label->setText(entry.text);
    view = label;
  } else if (entry.viewClass == "UIButton") {
    auto button = std::make_shared<UIButton>();
    button->setTitle(entry.title);
    view = button;
  } else if (entry.viewClass == "UIActivityIndicatorView") {
    auto indicator = std::make_shared<UIActivityIndicatorView>();
    if (entry.animating) indicator->startAnimating();
    view = indicator;
  } else {
    view = std::make_shared<UIView>();
  }
  view->setAccessibilityIdentifier(entry.identifier);
  return view;
}

}  // namespace

std::shared_ptr<UIStoryboard> UIStoryboard::storyboardWithName(std::string_view name, std::shared_ptr<NSBundle> bundle,
                                                               std::string* whyNot) {
  const auto fail = [&](std::string why) -> std::shared_ptr<UIStoryboard> {
    if (whyNot) *whyNot = std::move(why);
    return nullptr;
  };
  if (!bundle) bundle = NSBundle::mainBundle();
  if (!bundle) return fail("the app has no main bundle");
  const auto path = bundle->URLForResource(name, "storyboard");
  if (!path) return fail("no " + std::string(name) + ".storyboard in " + bundle->resourceURL().string());
  std::ifstream in(*path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) return fail(path->string() + " cannot be read");
  std::string why;
  auto file = readStoryboardFile(text.str(), why);
  if (!file) return fail(path->string() + ": " + why);
  return std::make_shared<UIStoryboard>(std::move(*file));
}

std::shared_ptr<UIViewController> UIStoryboard::instantiateInitialViewController() {
  return instantiateViewControllerWithIdentifier(file_.initialScene);
}

std::shared_ptr<UIViewController> UIStoryboard::instantiateViewControllerWithIdentifier(std::string_view sceneIdentifier) {
  const auto scene = file_.scenes.find(sceneIdentifier);
  if (scene == file_.scenes.end()) return nullptr;
  auto controller = makeViewControllerOfClass(scene->second.controllerClass);
  if (controller) controller->setStoryboardScene(shared_from_this(), std::string(sceneIdentifier));
  return controller;
}

void UIStoryboard::loadSceneContents(const std::shared_ptr<UIViewController>& controller,
                                     std::string_view sceneIdentifier) {
  const auto scene = file_.scenes.find(sceneIdentifier);
  if (!controller || scene == file_.scenes.end()) return;
  const auto root = controller->view();

  if (const auto table = std::dynamic_pointer_cast<UITableView>(root)) {
    for (const auto& prototype : scene->second.cellPrototypes) {
      table->registerCellPrototype(prototype.reuseIdentifier, prototype.style);
    }
  }

  std::vector<std::pair<std::shared_ptr<UIView>, StoryboardEmbed>> containers;
  for (const auto& entry : scene->second.views) {
    const auto view = makeView(entry);
    root->addSubview(view);
    if (entry.outlet) controller->connectOutlet(*entry.outlet, view);
    if (const auto control = std::dynamic_pointer_cast<UIControl>(view)) {
      for (const auto& action : entry.actions) control->addTarget(controller->actionForSelector(action.selector), action.event);
    }
    if (entry.embed) containers.emplace_back(view, *entry.embed);
  }

  // Embed segues run once every outlet is connected.
  for (const auto& [container, embed] : containers) {
    const auto destination = instantiateViewControllerWithIdentifier(embed.scene);
    if (!destination) continue;
    controller->prepareForSegue(UIStoryboardSegue(embed.segueIdentifier, controller, destination), nullptr);
    controller->addChildViewController(destination);
    container->addSubview(destination->view());
  }
}

}  // namespace pushwren
