#include "pushwren/bridge/answers.h"
#include "pushwren/bridge/commands.h"
#include "pushwren/bridge/readings.h"
#include "pushwren/contracts/onesignal/onesignal.h"

namespace pushwren::bridge {
namespace {

constexpr std::string_view kInvalidTags = "Invalid tags.";

boost::json::array allTagKeys(const OSUser& user) {
  boost::json::array keys;
  if (const auto tags = user.getTags()) {
    for (const auto& tag : *tags) keys.emplace_back(tag.key());
  }
  return keys;
}

// The keys that a "tags" string names: a list sent as percent-encoded JSON, or else the string
// itself as the one key.
boost::json::array keysInString(boost::json::string_view text) {
  if (auto parsed = percentEncodedJson(text); parsed && parsed->is_array()) return std::move(parsed->get_array());
  return boost::json::array{boost::json::value(text)};
}

}  // namespace

void getTags(const BridgeRequest& request) {
  // An SDK without a map of tags has none to report.
  auto tags = OneSignal::shared()->User().getTags().value_or(boost::json::object{});
  sendAnswer(request, tagsAnswer(std::move(tags)));
}

void setTags(const BridgeRequest& request) {
  const auto tags = mapReading(request.entry("tags"));
  if (!tags) {
    sendAnswer(request, failureAnswer(kInvalidTags));
    return;
  }
  OneSignal::shared()->User().addTags(*tags);
  sendAnswer(request, successAnswer());
}

// Deleting every tag takes an explicit request: no "tags" at all, or null. A page that sends one
// key as a string, or a list as JSON text, gets those keys deleted and its other tags kept; a
// number, boolean or map names no key and is refused rather than taken to mean "all".
void deleteTags(const BridgeRequest& request) {
  const auto sdk = OneSignal::shared();
  auto& user = sdk->User();
  const auto* tags = request.entry("tags");

  std::optional<boost::json::array> keys;
  switch (kindOf(tags)) {
    case ValueKind::list: keys = tags->get_array(); break;
    case ValueKind::string: keys = keysInString(tags->get_string()); break;
    case ValueKind::none: keys = allTagKeys(user); break;
    case ValueKind::number:
    case ValueKind::map: break;
  }
  if (!keys) {
    sendAnswer(request, failureAnswer(kInvalidTags));
    return;
  }
  user.removeTags(*keys);
  sendAnswer(request, successAnswer());
}

}  // namespace pushwren::bridge
