// Steps that shape the runner's own HTTP server.
#include <boost/json/serialize.hpp>

#include "sim/scenario/simulation.h"

namespace pushwren::sim {
namespace {

ServedResponse servedResponse(const StepFields& step) {
  ServedResponse response;
  if (const auto status = step.optionalInteger("status")) {
    if (*status < 200 || *status > 999) wrongKind("status", "a final HTTP status from 200 to 999");
    response.status = static_cast<int>(*status);
  }
  const auto* json = step.find("json");
  if (json != nullptr && step.find("body") != nullptr) throw StepError(R"(give either "body" or "json", not both)");
  if (json != nullptr) {
    response.body = boost::json::serialize(*json);
    response.headers.emplace_back("Content-Type", "application/json");
  } else if (const auto body = step.optionalString("body")) {
    response.body = *body;
  }
  if (const auto headers = step.optionalObject("headers")) {
    for (const auto& [name, value] : *headers) {
      if (!value.is_string()) wrongKind("headers", "a map of header names to strings");
      response.headers.emplace_back(std::string(name), std::string(value.get_string()));
    }
  }
  if (const auto delay = step.optionalInteger("delayMs")) {
    if (*delay < 0 || *delay > kLongestDelay.count()) {
      wrongKind("delayMs", "an integer from 0 to " + std::to_string(kLongestDelay.count()));
    }
    response.delay = std::chrono::milliseconds(*delay);
  }
  response.drop = step.optionalBoolean("drop").value_or(false);
  response.hold = step.optionalBoolean("hold").value_or(false);
  if (const auto problem = unservable(response)) throw StepError("cannot serve this: " + *problem);
  return response;
}

void serve(Simulation& sim, const StepFields& step) {
  auto path = step.string("path");
  if (path.empty() || path.front() != '/') wrongKind("path", "a path that begins with \"/\"");
  sim.server().serve(path, servedResponse(step));
}

void release(Simulation& sim, const StepFields& step) { sim.server().release(step.string("path")); }

}  // namespace

void addServerSteps(StepTable& table) {
  table.push_back({"serve",
                   {{"path", "string"},
                    {"status", "integer", true},
                    {"body", "string", true},
                    {"json", "any JSON value", true},
                    {"headers", "map", true},
                    {"delayMs", "integer", true},
                    {"drop", "boolean", true},
                    {"hold", "boolean", true}},
                   "the runner's own HTTP server answers GET path so from now on",
                   serve});
  table.push_back({"release",
                   {{"path", "string"}},
                   "the requests held for path are answered now, as served",
                   release});
}

}  // namespace pushwren::sim
