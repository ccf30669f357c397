#include "sim/playground/panel_feed.h"

#include <algorithm>

#include <boost/json/array.hpp>
#include <boost/json/serialize.hpp>

namespace pushwren::sim::playground {
namespace {

// A tab that opens late gets the newest lines only: the panel shows no more than these.
constexpr std::size_t kSnapshotLines = 1000;

// A message as the `sdk` step defines it, so the panel can show and edit the set.
boost::json::object messageFields(const InAppMessage& message) {
  boost::json::array buttons;
  for (const auto& button : message.buttons) {
    boost::json::object fields{{"text", button.text}, {"closes", button.closes}};
    if (button.actionId) fields["actionId"] = *button.actionId;
    if (button.url) fields["url"] = *button.url;
    if (button.promptsForPush) fields["prompt"] = "push";
    buttons.push_back(std::move(fields));
  }
  return {{"id", message.id},
          {"trigger", boost::json::array{message.triggerKey, message.triggerValue}},
          {"title", message.title},
          {"body", message.body},
          {"buttons", std::move(buttons)}};
}

}  // namespace

void PanelFeed::markStep(boost::json::object source, std::size_t from) {
  marks_.push_back({from, boost::json::serialize(boost::json::object{
                              {"type", "step"}, {"from", from}, {"source", std::move(source)}})});
}

std::vector<std::string> PanelFeed::changes() {
  std::vector<std::string> messages;
  const auto size = host_.trace().size();
  interleave(traceSent_, size, marksSent_, marks_.size(), messages);
  traceSent_ = size;
  marksSent_ = marks_.size();
  // Marks older than what a late tab is shown are let go, but the one the shown lines start under.
  const auto oldestShown = traceSent_ > kSnapshotLines ? traceSent_ - kSnapshotLines : 0;
  while (marks_.size() > 1 && marks_[1].from <= oldestShown) {
    marks_.pop_front();
    --marksSent_;
  }
  auto device = boost::json::serialize(boost::json::object{{"type", "device"}, {"state", deviceState(host_)}});
  if (device != deviceSent_) {
    deviceSent_ = device;
    messages.push_back(std::move(device));
  }
  return messages;
}

std::vector<std::string> PanelFeed::snapshot() const {
  const auto from = traceSent_ > kSnapshotLines ? traceSent_ - kSnapshotLines : 0;
  std::vector<std::string> messages;
  std::size_t firstMark = 0;
  while (firstMark + 1 < marksSent_ && marks_[firstMark + 1].from <= from) ++firstMark;
  if (firstMark < marksSent_ && marks_[firstMark].from < from) messages.push_back(marks_[firstMark++].message);
  interleave(from, traceSent_, firstMark, marksSent_, messages);
  if (messages.empty()) messages.push_back(traceMessage(from, from));
  if (!deviceSent_.empty()) messages.push_back(deviceSent_);
  return messages;
}

void PanelFeed::interleave(std::size_t from, std::size_t to, std::size_t firstMark, std::size_t endMark,
                           std::vector<std::string>& into) const {
  for (auto mark = firstMark; mark < endMark; ++mark) {
    const auto at = std::min(marks_[mark].from, to);
    if (at > from) {
      into.push_back(traceMessage(from, at));
      from = at;
    }
    into.push_back(marks_[mark].message);
  }
  if (to > from) into.push_back(traceMessage(from, to));
}

std::string PanelFeed::traceMessage(std::size_t from, std::size_t to) const {
  // The trace's lines are JSON text already; they go into the message as they are.
  auto lines = host_.trace().textLines(from);
  lines.resize(to - from);
  std::string message = R"({"type":"trace","from":)" + std::to_string(from) + R"(,"lines":[)";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i != 0) message += ',';
    message += lines[i];
  }
  return message + "]}";
}

boost::json::object deviceState(ReferenceHost& host) {
  const auto sdk = host.sdk().state();
  const auto& config = host.config();
  boost::json::array known;
  for (const auto& message : sdk.inAppMessages) {
    auto fields = messageFields(message);
    fields["shown"] = sdk.shownMessageIds.contains(message.id);
    known.push_back(std::move(fields));
  }
  boost::json::array onScreen;
  for (const auto& message : sdk.displayedMessages) onScreen.push_back(messageFields(message));
  const auto text = [](const std::optional<std::string>& value) {
    return value ? boost::json::value(*value) : boost::json::value(nullptr);
  };
  return {
      {"onesignalId", text(sdk.onesignalId)},
      {"externalId", text(sdk.externalId)},
      {"subscription",
       {{"id", text(sdk.subscription.id)}, {"token", text(sdk.subscription.token)}, {"optedIn", sdk.subscription.optedIn}}},
      {"consentRequired", sdk.consentRequired},
      {"consentGiven", sdk.consentGiven},
      {"tags", sdk.tags},
      {"triggers", sdk.triggers},
      {"paused", sdk.paused},
      {"locationRequested", sdk.locationRequested},
      {"initialized", sdk.initialized},
      {"permission", permissionName(sdk.permission)},
      {"permissionPromptOpen", sdk.permissionPromptOpen},
      {"inAppMessages", std::move(known)},
      {"messagesOnScreen", std::move(onScreen)},
      {"badge", host.application().applicationIconBadgeNumber()},
      {"config",
       {{"oneSignalV5Enabled", config.oneSignalV5Enabled()},
        {"oneSignalV5AppId", text(config.oneSignalV5AppId())},
        {"oneSignalV5ForegroundNotificationsEnabled", config.oneSignalV5ForegroundNotificationsEnabled()},
        {"oneSignalV5TagsJsonUrl", text(config.oneSignalV5TagsJsonUrl())}}},
  };
}

}  // namespace pushwren::sim::playground
