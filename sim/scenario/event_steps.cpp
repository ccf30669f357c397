// Steps that send the SDK's events.
#include "sim/scenario/simulation.h"

namespace pushwren::sim {
namespace {

void notificationClick(Simulation& sim, const StepFields& step) {
  sim.host().sdk().fireNotificationClick(step.optionalObject("additionalData"));
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
  table["notificationClick"] = notificationClick;
  table["notificationWillDisplay"] = [](Simulation& sim, const StepFields&) { sim.host().sdk().fireNotificationWillDisplay(); };
  table["inAppMessageClick"] = inAppMessageClick;
  table["subscriptionChanged"] = subscriptionChanged;
}

}  // namespace pushwren::sim
