#include "sim/playground/tab/panel_feed.h"

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

void PanelFeed::markStep(const boost::json::object& source, std::size_t from) {
  marks_.push_back({from, boost::json::serialize(source)});
}

std::vector<std::string> PanelFeed::changes() {
  std::vector<std::string> messages;
  const auto size = host_.trace().size();
  if (size > traceSent_ || marks_.size() > marksSent_) {
    messages.push_back(traceMessage(traceSent_, size, marksSent_, marks_.size()));
  }
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
  // The step the first shown line came from is shown too.
  std::size_t firstMark = 0;
  while (firstMark + 1 < marksSent_ && marks_[firstMark + 1].from <= from) ++firstMark;
  std::vector<std::string> messages{traceMessage(from, traceSent_, firstMark, marksSent_)};
  if (!deviceSent_.empty()) messages.push_back(deviceSent_);
  return messages;
}

std::string PanelFeed::traceMessage(std::size_t from, std::size_t to, std::size_t firstMark,
                                    std::size_t endMark) const {
  auto lines = host_.trace().textLines(from);
  lines.resize(std::min(lines.size(), to - from));
  // The trace's lines and the steps' sources are JSON text already; they go in as they are.
  std::string message = R"({"type":"trace","from":)" + std::to_string(from) + R"(,"lines":[)";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i != 0) message += ',';
    message += lines[i];
  }
  message += R"(],"steps":[)";
  for (auto mark = firstMark; mark < endMark; ++mark) {
    if (mark != firstMark) message += ',';
    message += R"({"from":)" + std::to_string(std::max(marks_[mark].from, from)) + R"(,"source":)" +
               marks_[mark].source + "}";
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
