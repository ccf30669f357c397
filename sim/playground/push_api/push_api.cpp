#include "sim/playground/push_api/push_api.h"

#include <charconv>
#include <chrono>
#include <utility>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>
#include <boost/url/parse.hpp>
#include <boost/uuid/uuid_io.hpp>

namespace pushwren::sim::playground {
namespace json = boost::json;
namespace http = boost::beast::http;
namespace {

constexpr std::string_view kNobody = "All included players are not subscribed";
constexpr std::size_t kMostListed = 50;
constexpr std::size_t kMostWaiting = 100;
constexpr std::chrono::milliseconds kPanelDelay{50};
constexpr std::chrono::milliseconds kLatestSchedule{std::int64_t{366} * 24 * 3600 * 1000};

PushApi::Answer errors(unsigned status, std::vector<std::string> texts) {
  return {status, json::serialize(json::object{{"errors", json::array(texts.begin(), texts.end())}})};
}

std::int64_t systemMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::optional<std::string> parameter(const boost::urls::url_view& target, std::string_view name) {
  const auto found = target.params().find(name);
  if (found == target.params().end()) return std::nullopt;
  return std::string((*found).value);
}

std::size_t count(const std::optional<std::string>& text, std::size_t fallback) {
  if (!text) return fallback;
  std::size_t number = 0;
  const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), number);
  return ec == std::errc() && end == text->data() + text->size() ? number : fallback;
}

json::value optionalText(const std::optional<std::string>& text) {
  return text ? json::value(*text) : json::value(nullptr);
}

std::optional<std::string> textField(const json::object& fields, std::string_view key) {
  const auto* value = fields.if_contains(key);
  return value && value->is_string() ? std::optional<std::string>(value->get_string()) : std::nullopt;
}

DeviceSnapshot snapshotOf(const std::string& device, const StepAnswer& answer) {
  DeviceSnapshot snapshot;
  snapshot.device = device;
  boost::system::error_code ec;
  const auto parsed = json::parse(answer.body, ec);
  const auto* fields = !ec ? parsed.if_object() : nullptr;
  if (answer.status != 200 || !fields) {
    snapshot.unreachable = "its app could not be asked: " + answer.body;
    return snapshot;
  }
  snapshot.appId = textField(*fields, "appId");
  snapshot.externalId = textField(*fields, "externalId");
  snapshot.subscriptionId = textField(*fields, "subscriptionId");
  snapshot.permission = textField(*fields, "permission").value_or("");
  if (const auto* tags = fields->if_contains("tags"); tags && tags->is_object()) snapshot.tags = tags->get_object();
  const auto* optedIn = fields->if_contains("optedIn");
  snapshot.optedIn = optedIn && optedIn->is_bool() && optedIn->get_bool();
  const auto* initialized = fields->if_contains("initialized");
  if (!(initialized && initialized->is_bool() && initialized->get_bool())) {
    snapshot.unreachable = "its app has not initialized the push SDK (the plugin is off, or the app waits for its launch)";
  }
  return snapshot;
}

// What a notification is to the tab that shows it: enough to list, draw and tap it.
json::object forTheTab(const ApiRequest& request) {
  const auto& asked = *request.request;
  return {{"id", request.id},
          {"title", optionalText(asked.title)},
          {"body", optionalText(asked.body)},
          {"additionalData", asked.data ? json::value(*asked.data) : json::value(nullptr)},
          {"url", optionalText(asked.url)}};
}

// The step that shows or taps it, with what a person sees of it.
json::object stepFor(std::string_view kind, const ApiRequest& request) {
  const auto& asked = *request.request;
  json::object step{{"do", kind}};
  if (asked.title) step["title"] = *asked.title;
  if (asked.body) step["body"] = *asked.body;
  if (asked.data) step["additionalData"] = *asked.data;
  return step;
}

// What became of a foreground notification, from the lines its step made.
std::string foregroundOutcome(const StepAnswer& answer) {
  if (answer.status != 200) return "failed on the device: " + answer.body;
  if (answer.body.find(R"(["notification.display"])") != std::string::npos) return "shown as a banner";
  if (answer.body.find(R"(["event.preventDefault"])") != std::string::npos) {
    return "prevented by the page (its notificationWillDisplay listener)";
  }
  return "arrived in the foreground; no listener displayed it";
}

}  // namespace

PushApi::PushApi(boost::asio::io_context& io, DeviceFleet& fleet, std::string appId, Clock clock)
    : io_(io),
      fleet_(fleet),
      appId_(std::move(appId)),
      clock_(clock ? std::move(clock) : Clock(systemMillis)),
      panelTimer_(io) {}

void PushApi::handle(http::verb method, std::string_view target, const std::string& body,
                     std::function<void(Answer)> answer) {
  const auto parsed = boost::urls::parse_origin_form(target.empty() ? "/" : target);
  if (!parsed) return answer(errors(400, {"not a path: " + std::string(target)}));
  std::string path = parsed->path();
  if (path.starts_with("/api/v1/")) path.erase(0, std::string_view("/api/v1").size());
  const auto wrongMethod = [&](std::string_view allowed) {
    answer(errors(405, {std::string(kPrefix) + path + " answers " + std::string(allowed) + " only"}));
  };
  const auto device = parameter(*parsed, "device").value_or("");

  if (path == "/notifications") {
    if (method == http::verb::post) return create(body, std::move(answer));
    if (method != http::verb::get) return wrongMethod("GET and POST");
    const auto app = parameter(*parsed, "app_id");
    if (app != appId_) return answer(errors(400, {"app_id must be this playground's: \"" + appId_ + "\""}));
    const auto limit = std::min(count(parameter(*parsed, "limit"), kMostListed), kMostListed);
    return answer({200, json::serialize(providerList(store_, appId_, limit, count(parameter(*parsed, "offset"), 0)))});
  }
  if (path.starts_with("/notifications/")) {
    if (method != http::verb::get) return wrongMethod("GET");
    const auto id = path.substr(std::string_view("/notifications/").size());
    const auto app = parameter(*parsed, "app_id");
    if (app != appId_) return answer(errors(400, {"app_id must be this playground's: \"" + appId_ + "\""}));
    const auto* found = store_.find(id);
    if (!found) return answer(errors(404, {"Could not find notification with id \"" + id + "\""}));
    return answer({200, json::serialize(providerView(*found, appId_))});
  }
  if (path == "/requests") {
    if (method != http::verb::get) return wrongMethod("GET");
    return answer(panelAnswer(device));
  }
  if (path == "/screen") {
    if (method != http::verb::post) return wrongMethod("POST");
    return screen(device, body, answer);
  }
  if (path == "/opened") {
    if (method != http::verb::post) return wrongMethod("POST");
    return opened(device, body, std::move(answer));
  }
  answer(errors(404, {std::string(kPrefix) + path + " is not part of the push API: POST " + std::string(kPrefix) +
                      "/notifications sends one"}));
}

void PushApi::create(const std::string& body, std::function<void(Answer)> answer) {
  auto read = readNotificationRequest(body, appId_);
  ApiRequest request;
  request.receivedAt = clock_();
  if (auto* refused = std::get_if<RequestErrors>(&read)) {
    request.errors = refused->errors;
    showInPanel(store_.add(std::move(request)));
    return answer(errors(400, std::move(refused->errors)));
  }
  request.request = std::move(std::get<NotificationRequest>(read));
  request.id = boost::uuids::to_string(ids_());
  const auto sendAfter = request.request->sendAfter;
  if (sendAfter && *sendAfter * 1000 > request.receivedAt) {
    if (*sendAfter * 1000 - request.receivedAt > kLatestSchedule.count()) {
      return answer(errors(400, {"send_after is more than a year away"}));
    }
    if (scheduled_.size() >= NotificationStore::kKept) {
      return answer(errors(400, {"too many notifications are scheduled already (" +
                                 std::to_string(scheduled_.size()) + "): send this one later"}));
    }
    request.scheduled = true;
    auto& stored = store_.add(std::move(request));
    schedule(stored.number, *sendAfter * 1000);
    showInPanel(stored);
    return answer({200, json::serialize(json::object{{"id", stored.id}, {"external_id", nullptr}})});
  }
  const auto number = store_.add(std::move(request)).number;
  sendOut(number, [answer = std::move(answer)](const ApiRequest& sent) {
    if (sent.id.empty()) {
      return answer({200, json::serialize(json::object{{"id", ""}, {"errors", json::array{kNobody}}})});
    }
    answer({200, json::serialize(json::object{{"id", sent.id}, {"external_id", nullptr}})});
  });
}

void PushApi::schedule(std::uint64_t number, std::int64_t atMillis) {
  auto timer = std::make_unique<boost::asio::steady_timer>(io_);
  timer->expires_after(std::chrono::milliseconds(std::max<std::int64_t>(atMillis - clock_(), 0)));
  timer->async_wait([this, number](boost::system::error_code ec) {
    if (ec) return;
    scheduled_.erase(number);
    sendOut(number, [](const ApiRequest&) {});
  });
  scheduled_[number] = std::move(timer);
}

// The devices' states as they come in for one send.
struct PushApi::Gathering {
  explicit Gathering(boost::asio::io_context& io) : limit(io) {}
  std::vector<DeviceSnapshot> snapshots;
  std::set<std::string> shown;
  std::size_t left = 0;
  bool over = false;
  boost::asio::steady_timer limit;
};

// Asks every device for its state, all at once, then targets them all with the same picture. A
// device let go while it is asked never answers: past the limit it counts as not reached.
void PushApi::sendOut(std::uint64_t number, const std::function<void(const ApiRequest&)>& done) {
  const auto views = fleet_.deviceViews();
  auto gathering = std::make_shared<Gathering>(io_);
  gathering->snapshots.resize(views.size());
  // One more than the devices: the last count is taken once every question has gone out, since
  // an answer may come at once.
  gathering->left = views.size() + 1;
  const auto finish = [this, number, gathering, done] {
    if (gathering->over) return;
    gathering->over = true;
    gathering->limit.cancel();
    targetAndDeliver(number, gathering->snapshots, gathering->shown, done);
  };
  const auto oneIn = [gathering, finish] {
    if (--gathering->left == 0) finish();
  };
  for (std::size_t i = 0; i < views.size(); ++i) {
    const auto& view = views[i];
    auto& snapshot = gathering->snapshots[i];
    snapshot.device = view.id;
    snapshot.unreachable = "its app did not answer";
    // A tab that shows a crashed app shows no web view: what arrives waits in the list.
    if (view.shown && !view.crash) gathering->shown.insert(view.id);
    if (view.crash) {
      // The service knows a device whose app has ended as it last saw it; the notification
      // waits in its list, and a tap starts the app from it.
      const auto known = lastKnown_.find(view.id);
      if (known != lastKnown_.end()) {
        snapshot = known->second;
      } else {
        snapshot.unreachable = "its app crashed before the push service knew it (" + *view.crash + ")";
      }
      oneIn();
      continue;
    }
    fleet_.askDevice(view.id, {"pushState", 0, "-", ""}, [this, gathering, i, id = view.id, oneIn](const StepAnswer& answer) {
      if (gathering->over) return;
      gathering->snapshots[i] = snapshotOf(id, answer);
      if (!gathering->snapshots[i].unreachable) lastKnown_[id] = gathering->snapshots[i];
      oneIn();
    });
  }
  gathering->limit.expires_after(Liveness::kSilenceLimit + std::chrono::seconds(2));
  gathering->limit.async_wait([finish](boost::system::error_code ec) {
    if (!ec) finish();
  });
  oneIn();
}

// What each device a request reaches is sent, made once for all of them.
struct PushApi::Outgoing {
  json::object notification;
  std::string waitingMessage;
  std::string foregroundMessage;
  std::string step;
  std::optional<std::string> badge;
};

void PushApi::targetAndDeliver(std::uint64_t number, const std::vector<DeviceSnapshot>& devices,
                        const std::set<std::string>& shown, const std::function<void(const ApiRequest&)>& done) {
  auto* request = store_.byNumber(number);
  // Pushed out of the store by newer requests while its devices were asked: it went nowhere.
  if (!request) return done(ApiRequest{});
  request->reach = reachOf(request->request->targeting, appId_, devices);
  const bool wasScheduled = std::exchange(request->scheduled, false);
  request->completedAt = clock_() / 1000;
  bool anyone = false;
  std::optional<Outgoing> outgoing;
  for (const auto& each : request->reach) {
    if (!each.receives) continue;
    anyone = true;
    if (!outgoing) outgoing = outgoingFor(*request);
    deliverTo(*request, *outgoing, each.device, shown.contains(each.device));
  }
  // The provider makes no notification of a request sent right away that reaches nobody; one
  // scheduled earlier keeps the id it was given.
  if (!anyone && !wasScheduled) request->id.clear();
  done(*request);
  showInPanel(*request);
}

PushApi::Outgoing PushApi::outgoingFor(const ApiRequest& request) {
  const auto& asked = *request.request;
  Outgoing outgoing;
  outgoing.notification = forTheTab(request);
  outgoing.waitingMessage = json::serialize(
      json::object{{"type", "pushApi"}, {"event", "waiting"}, {"notification", outgoing.notification}});
  outgoing.foregroundMessage = json::serialize(
      json::object{{"type", "pushApi"}, {"event", "foreground"}, {"notification", outgoing.notification}});
  outgoing.step = json::serialize(stepFor("notificationWillDisplay", request));
  if (asked.badgeType != "None") {
    outgoing.badge = json::serialize(json::object{{"type", asked.badgeType}, {"count", asked.badgeCount}});
  }
  return outgoing;
}

void PushApi::deliverTo(ApiRequest& request, const Outgoing& outgoing, const std::string& device, bool shown) {
  const auto ignore = [](const StepAnswer&) {};
  if (outgoing.badge) fleet_.askDevice(device, {"pushBadge", 0, "-", *outgoing.badge}, ignore);
  if (!shown || onHomeScreen_.contains(device)) {
    auto& list = waiting_[device];
    list.push_back(outgoing.notification);
    // A phone's list keeps the newest; a backend sending in a loop must not grow it without end.
    if (list.size() > kMostWaiting) list.erase(list.begin());
    fleet_.tellTab(device, outgoing.waitingMessage);
    request.delivered[device] = shown ? "waiting in the notification list (the tab shows the home screen)"
                                      : "waiting in the notification list (no tab shows the device)";
    return;
  }
  request.delivered[device] = kOnItsWay;
  // The tab hears which notification it is before the step's lines reach it, so a tap on its
  // banner is counted for this one.
  fleet_.tellTab(device, outgoing.foregroundMessage);
  fleet_.askDevice(device, {"steps", 0, "api", outgoing.step},
                   [this, number = request.number, device](const StepAnswer& answer) {
                     auto* request = store_.byNumber(number);
                     if (!request) return;
                     request->delivered[device] = foregroundOutcome(answer);
                     showInPanel(*request);
                   });
}

void PushApi::screen(const std::string& device, const std::string& body, const std::function<void(Answer)>& answer) {
  boost::system::error_code ec;
  const auto parsed = json::parse(body, ec);
  const auto* home = !ec && parsed.is_object() ? parsed.get_object().if_contains("home") : nullptr;
  if (!home || !home->is_bool() || device.empty()) {
    return answer(errors(400, {"POST /screen?device=ID takes {\"home\": true or false}"}));
  }
  if (home->get_bool()) {
    onHomeScreen_.insert(device);
  } else {
    onHomeScreen_.erase(device);
  }
  answer({200, "{}"});
}

void PushApi::opened(const std::string& device, const std::string& body, std::function<void(Answer)> answer) {
  boost::system::error_code ec;
  const auto parsed = json::parse(body, ec);
  const auto id = !ec && parsed.is_object() ? textField(parsed.get_object(), "id") : std::nullopt;
  if (!id || device.empty()) return answer(errors(400, {"POST /opened?device=ID takes {\"id\": a notification's id}"}));
  auto* request = store_.find(*id);
  if (!request) return answer(errors(404, {"Could not find notification with id \"" + *id + "\""}));
  auto& list = waiting_[device];
  std::erase_if(list, [&](const json::object& each) { return each.at("id") == json::value(*id); });
  request->tappedOn.insert(device);
  showInPanel(*request);
  // The app hears of the tap; its launch URL is the SDK's to open, in the phone's browser, which
  // the playground does not have: the tab says where the phone would go.
  if (const auto& url = request->request->url) {
    fleet_.tellTab(device, json::serialize(json::object{
                               {"type", "notice"},
                               {"text", "The notification's launch URL opens in the device's browser: " + *url}}));
  }

  const auto relay = [answer = std::move(answer)](StepAnswer result) { answer({result.status, std::move(result.body)}); };
  const auto views = fleet_.deviceViews();
  const auto view = std::find_if(views.begin(), views.end(), [&](const auto& each) { return each.id == device; });
  if (view != views.end() && view->crash) {
    // The app's process has ended: the tap starts it again, from this notification.
    json::object relaunch{{"do", "relaunch"}};
    relaunch["notification"] = request->request->data ? *request->request->data : json::object();
    return fleet_.applySteps(device, json::serialize(relaunch), "api", relay);
  }
  fleet_.askDevice(device, {"steps", 0, "api", json::serialize(stepFor("notificationClick", *request))}, relay);
}

PushApi::Answer PushApi::panelAnswer(const std::string& device) const {
  json::array requests;
  for (const auto& request : store_.all()) requests.push_back(panelView(request));
  json::array waiting;
  if (const auto found = waiting_.find(device); found != waiting_.end()) {
    for (const auto& each : found->second) waiting.push_back(each);
  }
  return {200, json::serialize(json::object{{"appId", appId_}, {"requests", std::move(requests)},
                                            {"waiting", std::move(waiting)}})};
}

// The tabs hear of a request's changes together, a moment later, and of a request going out only
// once every device it went to has answered: a request to 16 devices changes 16 times as they
// answer, and each tab is drawing its banner meanwhile. Every device answers in the end (or its
// process is let go, which answers too), and its answer brings the request back here.
void PushApi::showInPanel(const ApiRequest& request) {
  const bool armed = !panelChanges_.empty();
  panelChanges_.insert(request.number);
  if (armed) return;
  panelTimer_.expires_after(kPanelDelay);
  panelTimer_.async_wait([this](boost::system::error_code ec) {
    if (ec) return;
    for (const auto number : std::exchange(panelChanges_, {})) {
      const auto* changed = store_.byNumber(number);
      if (!changed || deliveriesOnTheirWay(*changed) > 0) continue;
      fleet_.tellEveryTab(json::serialize(json::object{{"type", "pushApi"}, {"event", "request"},
                                                       {"request", panelView(*changed)}}));
    }
  });
}

}  // namespace pushwren::sim::playground
