#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pushwren/platform/ui/view_controller.h"

namespace pushwren {

enum class UIAlertControllerStyle { ActionSheet = 0, Alert = 1 };
enum class UIAlertActionStyle { Default = 0, Cancel = 1, Destructive = 2 };

// One button of an alert.
class UIAlertAction {
 public:
  using Handler = std::function<void(const UIAlertAction&)>;

  static std::shared_ptr<UIAlertAction> actionWithTitle(std::string title, UIAlertActionStyle style, Handler handler) {
    return std::make_shared<UIAlertAction>(std::move(title), style, std::move(handler));
  }
  UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler)
      : title_(std::move(title)), style_(style), handler_(std::move(handler)) {}

  const std::string& title() const { return title_; }
  UIAlertActionStyle style() const { return style_; }
  const Handler& handler() const { return handler_; }

 private:
  std::string title_;
  UIAlertActionStyle style_;
  Handler handler_;
};

// A message with buttons, presented over a screen. A tapped button first closes the alert, then
// runs its handler.
class UIAlertController : public UIViewController {
 public:
  static std::shared_ptr<UIAlertController> alertControllerWithTitle(std::optional<std::string> title,
                                                                     std::optional<std::string> message,
                                                                     UIAlertControllerStyle preferredStyle);
  UIAlertController(std::optional<std::string> title, std::optional<std::string> message,
                    UIAlertControllerStyle preferredStyle)
      : title_(std::move(title)), message_(std::move(message)), preferredStyle_(preferredStyle) {}

  std::string className() const override { return "UIAlertController"; }

  const std::optional<std::string>& title() const { return title_; }
  const std::optional<std::string>& message() const { return message_; }
  UIAlertControllerStyle preferredStyle() const { return preferredStyle_; }

  void addAction(std::shared_ptr<UIAlertAction> action);
  const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return actions_; }

  // What the user's tap on the first button with this title does. False when there is none.
  bool tapButtonWithTitle(std::string_view title);

 private:
  std::optional<std::string> title_;
  std::optional<std::string> message_;
  UIAlertControllerStyle preferredStyle_;
  std::vector<std::shared_ptr<UIAlertAction>> actions_;
};

}  // namespace pushwren
