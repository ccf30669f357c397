#pragma once

#include <iostream>
#include <string>

#include <boost/json/serialize.hpp>

#include <pushwren/contracts/host/javascript_runner.h>

// The host's runner: the view controller of the web view. A real one runs the script in its web
// view; this one prints what the plugin asks of it.
class PrintingRunner : public pushwren::CVJavascriptRunner, public pushwren::CVCorvaneInfoRunner {
 public:
  std::string className() const override { return "PrintingRunner"; }

  void runJavascriptWithCallback(const pushwren::CallbackName& callback, const boost::json::object& data) override {
    std::cout << "runner: run " << named(callback) << " with " << boost::json::serialize(data) << "\n";
  }
  void handleJsNavigationUrl(const std::string& url) override { std::cout << "runner: navigate to " << url << "\n"; }
  void triggerEvent(const std::string& name, const boost::json::object& data) override {
    std::cout << "runner: event " << name << " with " << boost::json::serialize(data) << "\n";
  }
  // Optional: a runner without it gets no info report.
  void runCorvaneInfoWithCallback(const pushwren::CallbackName& callback,
                                  const boost::json::object& additionalData) override {
    std::cout << "runner: info " << named(callback) << " with " << boost::json::serialize(additionalData) << "\n";
  }

 private:
  // One function name or a list of them, as the page sent it.
  static std::string named(const pushwren::CallbackName& callback) {
    return callback ? boost::json::serialize(*callback) : "(none)";
  }
};
