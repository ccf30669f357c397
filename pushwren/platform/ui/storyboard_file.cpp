#include "pushwren/platform/ui/storyboard_file.h"

#include <set>

#include <boost/json/parse.hpp>
#include <boost/json/value.hpp>

namespace pushwren {
namespace {

namespace json = boost::json;

// Thrown inside this file only: the reason the file is not a storyboard.
struct Invalid {
  std::string why;
};

const json::object& objectAt(const json::value& value, const std::string& where) {
  if (!value.is_object()) throw Invalid{where + " must be an object"};
  return value.get_object();
}

const json::array& arrayField(const json::object& object, std::string_view name, const std::string& where) {
  static const json::array none;
  const auto* value = object.if_contains(name);
  if (!value) return none;
  if (!value->is_array()) throw Invalid{where + ": \"" + std::string(name) + "\" must be an array"};
  return value->get_array();
}

std::optional<std::string> optionalString(const json::object& object, std::string_view name, const std::string& where) {
  const auto* value = object.if_contains(name);
  if (!value) return std::nullopt;
  if (!value->is_string()) throw Invalid{where + ": \"" + std::string(name) + "\" must be a string"};
  return std::string(value->get_string());
}

std::string requiredString(const json::object& object, std::string_view name, const std::string& where) {
  auto value = optionalString(object, name, where);
  if (!value) throw Invalid{where + ": \"" + std::string(name) + "\" is missing"};
  return std::move(*value);
}

bool isKnownViewClass(std::string_view name) {
  return name == "UIView" || name == "UILabel" || name == "UIButton" || name == "UIActivityIndicatorView";
}

UIControlEvents readEvent(const std::string& name, const std::string& where) {
  if (name == "touchUpInside") return UIControlEventTouchUpInside;
  if (name == "valueChanged") return UIControlEventValueChanged;
  throw Invalid{where + ": unknown event \"" + name + "\""};
}

StoryboardView readView(const json::value& value, const std::string& where) {
  const auto& object = objectAt(value, where);
  StoryboardView view;
  view.viewClass = requiredString(object, "class", where);
  if (!isKnownViewClass(view.viewClass)) throw Invalid{where + ": unknown view class \"" + view.viewClass + "\""};
  view.identifier = optionalString(object, "identifier", where).value_or("");
  view.outlet = optionalString(object, "outlet", where);
  view.text = optionalString(object, "text", where);
  view.title = optionalString(object, "title", where).value_or("");
  if (const auto* animating = object.if_contains("animating")) {
    if (!animating->is_bool()) throw Invalid{where + ": \"animating\" must be true or false"};
    view.animating = animating->get_bool();
  }
  const auto& actions = arrayField(object, "actions", where);
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const auto actionWhere = where + " action " + std::to_string(i);
    const auto& action = objectAt(actions[i], actionWhere);
    view.actions.push_back({requiredString(action, "selector", actionWhere),
                            readEvent(optionalString(action, "event", actionWhere).value_or("touchUpInside"),
                                      actionWhere)});
  }
  if (const auto* embed = object.if_contains("embed")) {
    const auto embedWhere = where + " embed";
    const auto& fields = objectAt(*embed, embedWhere);
    view.embed = StoryboardEmbed{requiredString(fields, "segue", embedWhere), requiredString(fields, "scene", embedWhere)};
  }
  return view;
}

StoryboardCellPrototype readPrototype(const json::value& value, const std::string& where) {
  const auto& object = objectAt(value, where);
  StoryboardCellPrototype prototype;
  prototype.reuseIdentifier = requiredString(object, "reuseIdentifier", where);
  const auto style = optionalString(object, "style", where).value_or("basic");
  if (style == "custom") {
    prototype.style = UITableViewCellStyle::Custom;
  } else if (style != "basic") {
    throw Invalid{where + ": unknown cell style \"" + style + "\""};
  }
  return prototype;
}

StoryboardScene readScene(const json::value& value, const std::string& where) {
  const auto& object = objectAt(value, where);
  StoryboardScene scene;
  scene.controllerClass = requiredString(object, "class", where);
  const auto& views = arrayField(object, "views", where);
  for (std::size_t i = 0; i < views.size(); ++i) scene.views.push_back(readView(views[i], where + " view " + std::to_string(i)));
  const auto& prototypes = arrayField(object, "cellPrototypes", where);
  for (std::size_t i = 0; i < prototypes.size(); ++i) {
    scene.cellPrototypes.push_back(readPrototype(prototypes[i], where + " cell prototype " + std::to_string(i)));
  }
  return scene;
}

// Every embedded scene exists, and no scene ends up inside itself.
void checkEmbeds(const StoryboardFile& file, const std::string& id, std::set<std::string>& inside) {
  if (!inside.insert(id).second) throw Invalid{"scene \"" + id + "\" embeds itself"};
  for (const auto& view : file.scenes.find(id)->second.views) {
    if (!view.embed) continue;
    if (!file.scenes.contains(view.embed->scene)) {
      throw Invalid{"scene \"" + id + "\" embeds the unknown scene \"" + view.embed->scene + "\""};
    }
    checkEmbeds(file, view.embed->scene, inside);
  }
  inside.erase(id);
}

StoryboardFile readFile(const json::value& document) {
  const auto& object = objectAt(document, "the storyboard");
  StoryboardFile file;
  file.initialScene = requiredString(object, "initialScene", "the storyboard");
  const auto* scenes = object.if_contains("scenes");
  if (!scenes) throw Invalid{"the storyboard has no \"scenes\""};
  for (const auto& [id, scene] : objectAt(*scenes, "\"scenes\"")) {
    file.scenes.emplace(std::string(id), readScene(scene, "scene \"" + std::string(id) + "\""));
  }
  if (!file.scenes.contains(file.initialScene)) throw Invalid{"the initial scene \"" + file.initialScene + "\" is not defined"};
  for (const auto& [id, scene] : file.scenes) {
    std::set<std::string> inside;
    checkEmbeds(file, id, inside);
  }
  return file;
}

}  // namespace

std::optional<StoryboardFile> readStoryboardFile(std::string_view text, std::string& whyNot) {
  boost::system::error_code ec;
  const auto document = json::parse(text, ec);
  if (ec) {
    whyNot = "not JSON: " + ec.message();
    return std::nullopt;
  }
  try {
    return readFile(document);
  } catch (const Invalid& invalid) {
    whyNot = invalid.why;
    return std::nullopt;
  }
}

}  // namespace pushwren
