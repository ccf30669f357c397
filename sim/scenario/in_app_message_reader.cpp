#include "sim/scenario/in_app_message_reader.h"

#include <set>

#include "sim/scenario/step_fields.h"

namespace pushwren::sim {
namespace {

InAppMessageButton readButton(const boost::json::value& value) {
  if (!value.is_object()) throw StepError("a button must be an object");
  const StepFields fields(value.get_object());
  InAppMessageButton button;
  button.text = fields.string("text");
  button.actionId = fields.optionalString("actionId");
  button.url = fields.optionalString("url");
  button.closes = fields.optionalBoolean("closes").value_or(true);
  if (const auto prompt = fields.optionalString("prompt")) {
    if (*prompt != "push") wrongKind("prompt", "\"push\"");
    button.promptsForPush = true;
  }
  return button;
}

InAppMessage readMessage(const boost::json::value& value) {
  if (!value.is_object()) throw StepError("a message must be an object");
  const StepFields fields(value.get_object());
  InAppMessage message;
  message.id = fields.string("id");
  try {
    const auto* trigger = fields.find("trigger");
    if (trigger == nullptr || !trigger->is_array() || trigger->get_array().size() != 2 ||
        !trigger->get_array()[0].is_string()) {
      wrongKind("trigger", "a list of a key (string) and a value");
    }
    message.triggerKey = std::string(trigger->get_array()[0].get_string());
    message.triggerValue = trigger->get_array()[1];
    message.title = fields.string("title");
    message.body = fields.string("body");
    const auto* buttons = fields.find("buttons");
    if (buttons == nullptr || !buttons->is_array()) wrongKind("buttons", "a list of buttons");
    const auto& list = buttons->get_array();
    for (std::size_t i = 0; i < list.size(); ++i) {
      try {
        message.buttons.push_back(readButton(list[i]));
      } catch (const StepError& e) {
        throw StepError("button " + std::to_string(i) + ": " + e.what());
      }
    }
  } catch (const StepError& e) {
    throw StepError("\"" + message.id + "\": " + e.what());
  }
  return message;
}

}  // namespace

std::vector<InAppMessage> readInAppMessages(const boost::json::value& value) {
  std::vector<InAppMessage> messages;
  if (value.is_null()) return messages;
  if (!value.is_array()) wrongKind("inAppMessages", "a list of in-app messages, or null");
  std::set<std::string> ids;
  const auto& list = value.get_array();
  for (std::size_t i = 0; i < list.size(); ++i) {
    try {
      messages.push_back(readMessage(list[i]));
    } catch (const StepError& e) {
      throw StepError("in-app message " + std::to_string(i) + ": " + e.what());
    }
    if (!ids.insert(messages.back().id).second) {
      throw StepError("in-app message " + std::to_string(i) + ": the id \"" + messages.back().id + "\" is taken");
    }
  }
  return messages;
}

}  // namespace pushwren::sim
