#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/http/verb.hpp>
#include <boost/json/object.hpp>
#include <boost/uuid/random_generator.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/push_api/notification_store.h"

namespace pushwren::sim::playground {

// The push service a developer's backend calls, shaped like the provider's REST API, answering
// under /__pushwren/api (and /__pushwren/api/api/v1 for clients that use the older path):
//   POST /notifications            create a notification: delivered to the devices it targets
//   GET  /notifications?app_id=    the notifications sent, newest first (limit, offset)
//   GET  /notifications/ID?app_id= one notification: successful, converted (taps), remaining, ...
// and, for the playground's own shell:
//   GET  /requests?device=ID       every request as the panel shows it, with the notifications
//                                  waiting in that device's notification list
//   POST /screen?device=ID         {"home": true|false}: the tab shows the home screen, or the app
//   POST /opened?device=ID         {"id": ...}: the person tapped that notification on the device
//
// A notification reaches each device whose state matches (targeting.h). With the app in the
// foreground (its tab shows the web view) it is a notificationWillDisplay step, which the page's
// plugin displays as a banner or prevents; on the home screen, or with no tab, it waits in the
// notification list and the badge follows; a tap is a notificationClick step, or the relaunch of
// a crashed app from that notification. Every step goes to the device with "api" as its source,
// so its session replays. Tabs hear of each request as {"type": "pushApi", "event": "request",
// "request": {...}} (notification_store.h's panelView), once the devices it went to have
// answered for it, and of their own notifications as
// {"type": "pushApi", "event": "foreground" | "waiting", "notification": {...}}.
class PushApi {
 public:
  static constexpr std::string_view kPrefix = "/__pushwren/api";

  struct Answer {
    unsigned status;
    std::string body;
  };
  // Unix milliseconds; the real clock unless a test gives another.
  using Clock = std::function<std::int64_t()>;

  PushApi(boost::asio::io_context& io, DeviceFleet& fleet, std::string appId, Clock clock = nullptr);

  const std::string& appId() const { return appId_; }

  // A request whose target starts with kPrefix; `target` is what follows it (path and query).
  void handle(boost::beast::http::verb method, std::string_view target, const std::string& body,
              std::function<void(Answer)> answer);

 private:
  struct Gathering;
  struct Outgoing;
  void create(const std::string& body, std::function<void(Answer)> answer);
  void sendOut(std::uint64_t number, const std::function<void(const ApiRequest&)>& done);
  void targetAndDeliver(std::uint64_t number, const std::vector<DeviceSnapshot>& devices, const std::set<std::string>& shown,
                 const std::function<void(const ApiRequest&)>& done);
  static Outgoing outgoingFor(const ApiRequest& request);
  void deliverTo(ApiRequest& request, const Outgoing& outgoing, const std::string& device, bool shown);
  void schedule(std::uint64_t number, std::int64_t atMillis);
  void opened(const std::string& device, const std::string& body, std::function<void(Answer)> answer);
  void screen(const std::string& device, const std::string& body, const std::function<void(Answer)>& answer);
  Answer panelAnswer(const std::string& device) const;
  void showInPanel(const ApiRequest& request);

  boost::asio::io_context& io_;
  DeviceFleet& fleet_;
  std::string appId_;
  Clock clock_;
  NotificationStore store_;
  boost::uuids::random_generator ids_;
  std::map<std::string, DeviceSnapshot> lastKnown_;             // each device's state when last asked
  std::set<std::string> onHomeScreen_;                          // devices whose tab shows the home screen
  std::map<std::string, std::vector<boost::json::object>> waiting_;  // device -> its notification list
  std::map<std::uint64_t, std::unique_ptr<boost::asio::steady_timer>> scheduled_;
  std::set<std::uint64_t> panelChanges_;  // requests the tabs are to hear of
  boost::asio::steady_timer panelTimer_;
};

}  // namespace pushwren::sim::playground
