#pragma once

#include <optional>
#include <string>
#include <vector>

#include <boost/json/value.hpp>

namespace pushwren::sim {

struct InAppMessageButton {
  std::string text;
  std::optional<std::string> actionId;
  std::optional<std::string> url;
  bool closes = true;
  bool promptsForPush = false;  // "prompt": "push": the button asks for push permission
};

// An in-app message the device knows of: shown once its trigger holds.
struct InAppMessage {
  std::string id;
  std::string triggerKey;
  boost::json::value triggerValue;
  std::string title;
  std::string body;
  std::vector<InAppMessageButton> buttons;
};

// Whether two JSON values are the same value: numbers by their value (1 and 1.0 alike), maps by
// their keys whatever the order, lists element by element.
bool sameJsonValue(const boost::json::value& a, const boost::json::value& b);

}  // namespace pushwren::sim
