#include "sim/playground/devices/device_start.h"

#include <fstream>
#include <ostream>
#include <sstream>

#include <boost/json/parse.hpp>

#include "sim/scenario/step_fields.h"
#include "sim/scenario/step_table.h"

namespace pushwren::sim::playground {
namespace {

boost::json::object builtInConfig(unsigned short port) {
  return {
      {"oneSignalV5Enabled", true},
      {"oneSignalV5AppId", "playground-app"},
      {"oneSignalV5TagsJsonUrl", "http://127.0.0.1:" + std::to_string(port) + "/__pushwren/manifest.json"},
  };
}

// One in-app message the soft prompt's trigger shows, with a button that asks for push; one the
// demo page's trigger form shows as it stands.
boost::json::object builtInDevice() {
  return boost::json::parse(R"({
    "permission": "prompt",
    "inAppMessages": [
      {"id": "soft-prompt", "trigger": ["prompt_ios", "true"],
       "title": "Never miss a story",
       "body": "Allow notifications to hear of breaking news as it happens.",
       "buttons": [{"text": "Allow", "actionId": "allow", "prompt": "push"},
                   {"text": "Not now", "actionId": "later"}]},
      {"id": "level-five", "trigger": ["level", "5"],
       "title": "Level 5 reached",
       "body": "Readers at level 5 get a month of the premium edition free.",
       "buttons": [{"text": "Claim the offer", "actionId": "claim", "url": "https://example.com/offer"},
                   {"text": "Tell me more", "actionId": "more", "closes": false},
                   {"text": "Close"}]}
    ]
  })").as_object();
}

}  // namespace

std::vector<StartStep> startSteps(unsigned short port, const std::optional<boost::json::object>& configFile,
                                  const std::string& configFileName) {
  std::vector<StartStep> steps;
  steps.push_back({{{"do", "config"}, {"set", builtInConfig(port)}}, "built-in configuration"});
  if (configFile) steps.push_back({{{"do", "config"}, {"set", *configFile}}, configFileName});
  steps.push_back({{{"do", "sdk"}, {"set", builtInDevice()}}, "built-in device"});
  return steps;
}

bool runStartSteps(Simulation& sim, const std::vector<StartStep>& steps, std::ostream& err,
                   const std::function<void(const boost::json::object&, std::size_t)>& ran) {
  for (const auto& first : steps) {
    const auto from = sim.trace().size();
    try {
      findStep(first.step.at("do").as_string())->handler(sim, StepFields(first.step));
    } catch (const StepError& e) {
      err << first.source << ": " << e.what() << '\n';
      return false;
    }
    if (ran) ran(first.step, from);
  }
  return true;
}

std::optional<boost::json::object> readConfigFile(const std::string& path, std::ostream& err) {
  std::ifstream in(path);
  if (!in) {
    err << path << ": cannot be read\n";
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  boost::system::error_code ec;
  const auto value = boost::json::parse(text.str(), ec);
  if (ec) {
    err << path << ": not JSON: " << ec.message() << '\n';
    return std::nullopt;
  }
  if (!value.is_object()) {
    err << path << ": must be a JSON object of host configuration properties\n";
    return std::nullopt;
  }
  return value.get_object();
}

}  // namespace pushwren::sim::playground
