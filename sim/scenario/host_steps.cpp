// Steps that shape the host and the SDK, and the host's entry points.
#include <functional>
#include <map>
#include <string_view>

#include <boost/json/serialize.hpp>

#include "sim/scenario/simulation.h"

namespace pushwren::sim {
namespace {

std::optional<std::string> configString(Simulation& sim, std::string_view name, const boost::json::value& value) {
  if (value.is_null()) return std::nullopt;
  if (!value.is_string()) wrongKind(name, "a string or null");
  std::string text(value.get_string());
  constexpr std::string_view placeholder = "{server}";
  for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at)) {
    const auto address = sim.serverAddress();
    text.replace(at, placeholder.size(), address);
    at += address.size();
  }
  return text;
}

void config(Simulation& sim, const StepFields& step) {
  using Flag = void (CorvaneAppConfig::*)(bool);
  static const std::map<std::string_view, Flag> flags = {
      {"oneSignalV5Enabled", &CorvaneAppConfig::setOneSignalV5Enabled},
      {"oneSignalV5RequiresUserPrivacyConsent", &CorvaneAppConfig::setOneSignalV5RequiresUserPrivacyConsent},
      {"oneSignalV5AutoRegister", &CorvaneAppConfig::setOneSignalV5AutoRegister},
      {"oneSignalAutoRegister", &CorvaneAppConfig::setOneSignalAutoRegister},
      {"oneSignalV5IosSoftPrompt", &CorvaneAppConfig::setOneSignalV5IosSoftPrompt},
      {"oneSignalV5ClearNotificationsOnLaunch", &CorvaneAppConfig::setOneSignalV5ClearNotificationsOnLaunch},
      {"oneSignalV5ForegroundNotificationsEnabled", &CorvaneAppConfig::setOneSignalV5ForegroundNotificationsEnabled},
  };
  auto& config = sim.host().config();
  for (const auto& [key, value] : step.object("set")) {
    if (const auto flag = flags.find(key); flag != flags.end()) {
      if (!value.is_bool()) wrongKind(key, "a boolean");
      (config.*(flag->second))(value.get_bool());
    } else if (key == "oneSignalV5AppId") {
      config.setOneSignalV5AppId(configString(sim, key, value));
    } else if (key == "oneSignalV5TagsJsonUrl") {
      config.setOneSignalV5TagsJsonUrl(configString(sim, key, value));
    } else {
      throw StepError("unknown host configuration property \"" + std::string(key) + "\"");
    }
  }
}

std::optional<std::string> optionalText(std::string_view name, const boost::json::value& value) {
  if (value.is_null()) return std::nullopt;
  if (!value.is_string()) wrongKind(name, "a string or null");
  return std::string(value.get_string());
}

void sdk(Simulation& sim, const StepFields& step) {
  auto& sdk = sim.host().sdk();
  for (const auto& [key, value] : step.object("set")) {
    if (key == "onesignalId") {
      sdk.setOnesignalId(optionalText(key, value));
    } else if (key == "externalId") {
      sdk.setExternalId(optionalText(key, value));
    } else if (key == "pushSubscription") {
      if (!value.is_object() && !value.is_null()) wrongKind(key, "an object or null");
      sdk.setSubscription(value.is_null() ? OSPushSubscriptionState{} : subscriptionState(StepFields(value.get_object())));
    } else if (key == "tags") {
      if (!value.is_object() && !value.is_null()) wrongKind(key, "an object or null");
      sdk.setTags(value.is_object() ? value.get_object() : boost::json::object{});
    } else {
      throw StepError("unknown SDK state \"" + std::string(key) + "\"");
    }
  }
}

void appDelegate(Simulation& sim, const StepFields& step) {
  const auto* registration = step.find("registration");
  if (registration == nullptr) wrongKind("registration", "false, null or a list of setters");
  AppDelegateShape shape;
  if (registration->is_bool() && !registration->get_bool()) {
    shape.answersRegistration = false;
  } else if (registration->is_null()) {
    shape.hasRegistrationObject = false;
  } else if (registration->is_array()) {
    shape.setsUserId = shape.setsPrivacyConsent = false;
    for (const auto& setter : registration->get_array()) {
      if (setter == "setOneSignalUserId") {
        shape.setsUserId = true;
      } else if (setter == "setOneSignalRequiresPrivacyConsent") {
        shape.setsPrivacyConsent = true;
      } else {
        throw StepError("unknown registration setter " + boost::json::serialize(setter));
      }
    }
  } else {
    wrongKind("registration", "false, null or a list of setters");
  }
  sim.host().shapeAppDelegate(shape);
}

void runner(Simulation& sim, const StepFields& step) {
  sim.host().makeRunner(step.string("id"), step.optionalBoolean("runCorvaneInfo").value_or(true));
}

void launch(Simulation& sim, const StepFields& step) { sim.host().launch(step.optionalObject("options")); }

void trackingStatus(Simulation& sim, const StepFields& step) {
  const auto* object = step.find("object");
  sim.host().postTrackingStatus(object ? std::optional<boost::json::value>(*object) : std::nullopt);
}

}  // namespace

OSPushSubscriptionState subscriptionState(const StepFields& fields) {
  OSPushSubscriptionState state;
  state.id = fields.optionalString("id");
  state.token = fields.optionalString("token");
  state.optedIn = fields.optionalBoolean("optedIn").value_or(false);
  return state;
}

void addHostSteps(StepTable& table) {
  table["config"] = config;
  table["sdk"] = sdk;
  table["appDelegate"] = appDelegate;
  table["runner"] = runner;
  table["releaseRunner"] = [](Simulation& sim, const StepFields& step) { sim.host().releaseRunner(step.string("id")); };
  table["launch"] = launch;
  table["runnerDidLoad"] = [](Simulation& sim, const StepFields& step) { sim.host().runnerDidLoad(step.string("runner")); };
  table["runnerWillAppear"] = [](Simulation& sim, const StepFields& step) {
    sim.host().runnerWillAppear(step.string("runner"));
  };
  table["navigationFinished"] = [](Simulation& sim, const StepFields& step) {
    sim.host().navigationFinished(step.string("runner"));
  };
  table["trackingStatus"] = trackingStatus;
}

}  // namespace pushwren::sim
