#include "pushwren/bridge/answers.h"

namespace pushwren::bridge {

boost::json::object successAnswer() { return {{"success", true}}; }

boost::json::object tagsAnswer(boost::json::object tags) {
  return {{"success", true}, {"tags", std::move(tags)}};
}

boost::json::object failureAnswer(std::string_view message) {
  return {{"success", false}, {"error", message}};
}

CallbackName callbackEntry(const boost::json::object& data) {
  if (const auto* callback = data.if_contains("callback")) return *callback;
  return std::nullopt;
}

void sendAnswer(const BridgeRequest& request, const boost::json::object& answer) {
  if (request.runner) request.runner->runJavascriptWithCallback(callbackEntry(request.data), answer);
}

}  // namespace pushwren::bridge
