#pragma once

#include <gmock/gmock.h>

#include "pushwren/contracts/host/javascript_runner.h"

namespace pushwren::testing {

// A runner without the host's info report.
class RunnerMock : public CVJavascriptRunner {
 public:
  std::string className() const override { return "RunnerMock"; }
  MOCK_METHOD(void, runJavascriptWithCallback, (const CallbackName&, const boost::json::object&), (override));
  MOCK_METHOD(void, handleJsNavigationUrl, (const std::string&), (override));
  MOCK_METHOD(void, triggerEvent, (const std::string&, const boost::json::object&), (override));
};

// A runner that also answers the info report.
class InfoRunnerMock : public RunnerMock, public CVCorvaneInfoRunner {
 public:
  MOCK_METHOD(void, runCorvaneInfoWithCallback, (const CallbackName&, const boost::json::object&), (override));
};

}  // namespace pushwren::testing
