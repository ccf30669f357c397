#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <boost/json/object.hpp>

namespace pushwren::sim::playground {

// What a tab sends over its WebSocket, one JSON object per message:
//   {"type": "bridge", "id": 7, "url": "pushwren://onesignal/tags/get", "data": {...}}
//       the page asks to load a URL with its bridge data ("data" may be left out: empty);
//       the host answers {"type": "return", "id": 7, "load": false} after the plugin's calls.
//   {"type": "loaded", "url": "http://..."}
//       the web view finished a navigation.
struct BridgeRequest {
  std::int64_t id = 0;
  std::string url;
  boost::json::object data;
};
struct NavigationFinished {
  std::string url;
};
using PageMessage = std::variant<BridgeRequest, NavigationFinished>;

// A message read, or why it could not be (for the tab's notice and the log).
struct ParsedPageMessage {
  std::variant<PageMessage, std::string> result;
  bool ok() const { return result.index() == 0; }
  const PageMessage& message() const { return std::get<PageMessage>(result); }
  const std::string& error() const { return std::get<std::string>(result); }
};
ParsedPageMessage parsePageMessage(std::string_view text);

// What the host sends a tab. Data goes as JSON and is parsed by the page, never run as script.
std::string helloMessage(std::string_view runnerId);
std::string callMessage(const std::vector<std::string>& functions, const boost::json::object& data);
std::string navigateMessage(std::string_view url);
std::string eventMessage(std::string_view name, const boost::json::object& data);
std::string returnMessage(std::int64_t id, bool load);
// The app's process started anew: the web view loads the app's start page as the new page.
std::string relaunchedMessage();
// Something a person should know about this tab: a refused callback name or navigation.
std::string noticeMessage(std::string_view text);

}  // namespace pushwren::sim::playground
