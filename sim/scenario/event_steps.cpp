// Steps that send the SDK's events.
#include "sim/scenario/simulation.h"

namespace pushwren::sim {
namespace {

// What the person sees of it (title, body) is checked as well: the playground draws it.
NotificationContent notificationContent(const StepFields& step) {
  return {step.optionalString("title"), step.optionalString("body"), step.optionalObject("additionalData")};
}

void notificationClick(Simulation& sim, const StepFields& step) {
  sim.host().sdk().fireNotificationClick(notificationContent(step));
}

void notificationWillDisplay(Simulation& sim, const StepFields& step) {
  sim.host().sdk().fireNotificationWillDisplay(notificationContent(step));
}

void inAppMessageClick(Simulation& sim, const StepFields& step) {
  OSInAppMessageClickResult result;
  result.url = step.optionalString("url");
  result.actionId = step.optionalString("actionId");
  result.closingMessage = step.optionalBoolean("closingMessage").value_or(false);
  sim.host().sdk().fireInAppMessageClick(std::move(result));
}

void subscriptionChanged(Simulation& sim, const StepFields& step) {
  sim.host().sdk().fireSubscriptionChanged(subscriptionState(StepFields(step.object("current"))));
}

}  // namespace

void addEventSteps(StepTable& table) {
  table.push_back({"notificationClick",
                   {{"additionalData", "map", true}, {"title", "string", true}, {"body", "string", true}},
                   "the user taps a notification: the SDK calls the click listener",
                   notificationClick});
  table.push_back({"notificationWillDisplay",
                   {{"additionalData", "map", true}, {"title", "string", true}, {"body", "string", true}},
                   "a notification arrives in the foreground: the SDK calls the foreground lifecycle listener",
                   notificationWillDisplay});
  table.push_back({"inAppMessageClick",
                   {{"url", "string", true}, {"actionId", "string", true}, {"closingMessage", "boolean", true}},
                   "the SDK calls the in-app message click listener with that result",
                   inAppMessageClick});
  table.push_back({"subscriptionChanged",
                   {{"current", "map of id, token, optedIn"}},
                   "the push subscription becomes current and the SDK calls the observer",
                   subscriptionChanged});
}

}  // namespace pushwren::sim
