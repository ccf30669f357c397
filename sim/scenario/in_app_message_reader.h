#pragma once

#include <vector>

#include <boost/json/value.hpp>

#include "sim/sdk/in_app_message.h"

namespace pushwren::sim {

// The in-app messages of an `sdk` step's "inAppMessages": a list (null: none) of
//   {"id": str, "trigger": [key, value], "title": str, "body": str,
//    "buttons": [{"text": str, "actionId": str, "url": str, "closes": bool, "prompt": "push"}]}
// with actionId, url, closes (default true) and prompt optional. StepError names the message and
// the field that is wrong, and refuses two messages with one id.
std::vector<InAppMessage> readInAppMessages(const boost::json::value& value);

}  // namespace pushwren::sim
