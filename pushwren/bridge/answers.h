#pragma once

#include <string_view>

#include <boost/json/object.hpp>

#include "pushwren/bridge/bridge_request.h"

namespace pushwren::bridge {

// The three answers a command sends to the page, each built fresh.
boost::json::object successAnswer();
boost::json::object tagsAnswer(boost::json::object tags);
boost::json::object failureAnswer(std::string_view message);

// The "callback" entry exactly as the page sent it; absent when it sent none.
CallbackName callbackEntry(const boost::json::object& data);

// Hands the answer to the request's runner under the page's callback, which is passed on
// untested: the runner decides what a missing or odd callback name runs.
void sendAnswer(const BridgeRequest& request, const boost::json::object& answer);

}  // namespace pushwren::bridge
