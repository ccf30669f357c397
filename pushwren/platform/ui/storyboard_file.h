#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pushwren/platform/ui/control.h"
#include "pushwren/platform/ui/table_view_cell.h"

namespace pushwren {

// The storyboard file format: a JSON object
//
//   {"initialScene": ID,
//    "scenes": {ID: {"class": controller class name,
//                    "views": [VIEW...],              (optional) the root view's subviews
//                    "cellPrototypes": [PROTOTYPE...]  (optional) for a table scene}}}
//
//   VIEW: {"class": "UIView" | "UILabel" | "UIButton" | "UIActivityIndicatorView",
//          "identifier": string,                      (optional) how hosts and tests find it
//          "outlet": name,                            (optional) connected on the scene's controller
//          "text": string,                            (UILabel)
//          "title": string,                           (UIButton)
//          "animating": bool,                         (UIActivityIndicatorView) its first state
//          "actions": [{"selector": name, "event": "touchUpInside" | "valueChanged"}],  (controls)
//          "embed": {"segue": identifier, "scene": ID}}  (optional) a container of another scene
//   PROTOTYPE: {"reuseIdentifier": string, "style": "basic" | "custom"}

struct StoryboardAction {
  std::string selector;
  UIControlEvents event = UIControlEventTouchUpInside;
};

struct StoryboardEmbed {
  std::string segueIdentifier;
  std::string scene;
};

struct StoryboardView {
  std::string viewClass;
  std::string identifier;
  std::optional<std::string> outlet;
  std::optional<std::string> text;
  std::string title;
  bool animating = false;
  std::vector<StoryboardAction> actions;
  std::optional<StoryboardEmbed> embed;
};

struct StoryboardCellPrototype {
  std::string reuseIdentifier;
  UITableViewCellStyle style = UITableViewCellStyle::Default;
};

struct StoryboardScene {
  std::string controllerClass;
  std::vector<StoryboardView> views;
  std::vector<StoryboardCellPrototype> cellPrototypes;
};

struct StoryboardFile {
  std::string initialScene;
  std::map<std::string, StoryboardScene, std::less<>> scenes;
};

// Reads a storyboard file. None when the text is not a storyboard, with the reason in `whyNot`:
// not JSON, a field missing or of the wrong kind, an unknown view class or event, a scene named
// but not defined, or scenes that embed each other in a loop.
std::optional<StoryboardFile> readStoryboardFile(std::string_view text, std::string& whyNot);

}  // namespace pushwren
