// Steps that shape the host and the SDK, and the host's entry points.
#include <functional>
#include <map>
#include <string_view>
#include <vector>

#include <boost/json/serialize.hpp>

#include "sim/scenario/in_app_message_reader.h"
#include "sim/scenario/simulation.h"

namespace pushwren::sim {
namespace {

// A step's changes, gathered while its fields are checked and made only once all are good.
using Changes = std::vector<std::function<void()>>;

void apply(const Changes& changes) {
  for (const auto& change : changes) change();
}

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
  using Text = void (CorvaneAppConfig::*)(std::optional<std::string>);
  static const std::map<std::string_view, Flag> flags = {
      {"oneSignalV5Enabled", &CorvaneAppConfig::setOneSignalV5Enabled},
      {"oneSignalV5RequiresUserPrivacyConsent", &CorvaneAppConfig::setOneSignalV5RequiresUserPrivacyConsent},
      {"oneSignalV5AutoRegister", &CorvaneAppConfig::setOneSignalV5AutoRegister},
      {"oneSignalAutoRegister", &CorvaneAppConfig::setOneSignalAutoRegister},
      {"oneSignalV5IosSoftPrompt", &CorvaneAppConfig::setOneSignalV5IosSoftPrompt},
      {"oneSignalV5ClearNotificationsOnLaunch", &CorvaneAppConfig::setOneSignalV5ClearNotificationsOnLaunch},
      {"oneSignalV5ForegroundNotificationsEnabled", &CorvaneAppConfig::setOneSignalV5ForegroundNotificationsEnabled},
  };
  static const std::map<std::string_view, Text> texts = {
      {"oneSignalV5AppId", &CorvaneAppConfig::setOneSignalV5AppId},
      {"oneSignalV5TagsJsonUrl", &CorvaneAppConfig::setOneSignalV5TagsJsonUrl},
  };
  auto& config = sim.host().config();
  Changes changes;
  for (const auto& [key, value] : step.object("set")) {
    if (const auto flag = flags.find(key); flag != flags.end()) {
      if (!value.is_bool()) wrongKind(key, "a boolean");
      changes.emplace_back([&config, set = flag->second, on = value.get_bool()] { (config.*set)(on); });
    } else if (const auto text = texts.find(key); text != texts.end()) {
      changes.emplace_back([&config, set = text->second, string = configString(sim, key, value)] { (config.*set)(string); });
    } else {
      throw StepError("unknown host configuration property \"" + std::string(key) + "\"");
    }
  }
  apply(changes);
}

std::optional<std::string> optionalText(std::string_view name, const boost::json::value& value) {
  if (value.is_null()) return std::nullopt;
  if (!value.is_string()) wrongKind(name, "a string or null");
  return std::string(value.get_string());
}

PushPermission permission(const boost::json::value& value) {
  const auto named = value.is_string() ? permissionNamed(value.get_string()) : std::nullopt;
  if (!named) wrongKind("permission", R"("granted", "prompt" or "denied")");
  return *named;
}

void sdk(Simulation& sim, const StepFields& step) {
  auto& sdk = sim.host().sdk();
  Changes changes;
  std::optional<std::vector<InAppMessage>> messages;
  for (const auto& [key, value] : step.object("set")) {
    if (key == "onesignalId") {
      changes.emplace_back([&sdk, id = optionalText(key, value)] { sdk.setOnesignalId(id); });
    } else if (key == "externalId") {
      changes.emplace_back([&sdk, id = optionalText(key, value)] { sdk.setExternalId(id); });
    } else if (key == "pushSubscription") {
      if (!value.is_object() && !value.is_null()) wrongKind(key, "an object or null");
      auto state = value.is_null() ? OSPushSubscriptionState{} : subscriptionState(StepFields(value.get_object()));
      changes.emplace_back([&sdk, state] { sdk.setSubscription(state); });
    } else if (key == "tags") {
      if (!value.is_object() && !value.is_null()) wrongKind(key, "an object or null");
      auto tags = value.is_object() ? value.get_object() : boost::json::object{};
      changes.emplace_back([&sdk, tags] { sdk.setTags(tags); });
    } else if (key == "permission") {
      changes.emplace_back([&sdk, set = permission(value)] { sdk.setPermission(set); });
    } else if (key == "inAppMessages") {
      messages = readInAppMessages(value);
    } else {
      throw StepError("unknown SDK state \"" + std::string(key) + "\"");
    }
  }
  apply(changes);
  // Last, so that a message shows against the rest of the state as this step leaves it.
  if (messages) sdk.setInAppMessages(std::move(*messages));
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
  const auto id = step.string("id");
  const bool withInfo = step.optionalBoolean("runCorvaneInfo").value_or(true);
  sim.host().makeRunner(id, withInfo);
}

void launch(Simulation& sim, const StepFields& step) {
  const auto options = step.optionalObject("options");
  if (sim.host().hasLaunched()) {
    throw StepError("the app has already launched in this process; relaunch starts a new one");
  }
  sim.host().launch(options);
}

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
  table.push_back({"config",
                   {{"set", "map of host configuration property to value"}},
                   "sets host configuration properties; a string may hold {server}, the runner's own server",
                   config});
  table.push_back({"sdk",
                   {{"set", "map of onesignalId, externalId, pushSubscription, tags, permission, inAppMessages"}},
                   "sets the simulated SDK's state without sending any event; null makes a value absent",
                   sdk});
  table.push_back({"appDelegate",
                   {{"registration", "false, null, or a list of setters"}},
                   "shapes the app delegate and the registration object it answers",
                   appDelegate});
  table.push_back({"runner",
                   {{"id", "string"}, {"runCorvaneInfo", "boolean", true}},
                   "makes (or reshapes) a runner; with runCorvaneInfo false it lacks the info operation",
                   runner});
  table.push_back({"releaseRunner",
                   {{"id", "string"}},
                   "the host lets go of that runner: weak references to it read absent",
                   [](Simulation& sim, const StepFields& step) { sim.host().releaseRunner(step.string("id")); }});
  table.push_back({"launch",
                   {{"options", "map", true}},
                   "the app finishes launching (didFinishLaunchingWithOptions); once per process",
                   launch});
  table.push_back({"runnerDidLoad",
                   {{"runner", "string"}},
                   "the host's runnerDidLoad entry point",
                   [](Simulation& sim, const StepFields& step) { sim.host().runnerDidLoad(step.string("runner")); }});
  table.push_back({"runnerWillAppear",
                   {{"runner", "string"}},
                   "the host's runnerWillAppear entry point",
                   [](Simulation& sim, const StepFields& step) { sim.host().runnerWillAppear(step.string("runner")); }});
  table.push_back({"navigationFinished",
                   {{"runner", "string"}},
                   "the web view finished a navigation (didFinishNavigation)",
                   [](Simulation& sim, const StepFields& step) { sim.host().navigationFinished(step.string("runner")); }});
  table.push_back({"trackingStatus",
                   {{"object", "any JSON value", true}},
                   "the host posts its tracking-status notification, with that object",
                   trackingStatus});
}

}  // namespace pushwren::sim
