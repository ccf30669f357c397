#include "sim/playground/tab/page_messages.h"

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

namespace pushwren::sim::playground {
namespace {

ParsedPageMessage failure(std::string why) { return {std::move(why)}; }

ParsedPageMessage parseBridge(const boost::json::object& message) {
  const auto* id = message.if_contains("id");
  if (id == nullptr || !id->is_int64()) return failure("a bridge message needs an integer \"id\"");
  const auto* url = message.if_contains("url");
  if (url == nullptr || !url->is_string()) return failure("a bridge message needs a string \"url\"");
  BridgeRequest request{id->get_int64(), std::string(url->get_string()), {}};
  if (const auto* data = message.if_contains("data"); data != nullptr && !data->is_null()) {
    if (!data->is_object()) return failure("the \"data\" of a bridge message must be an object");
    request.data = data->get_object();
  }
  return {PageMessage(std::move(request))};
}

ParsedPageMessage parseLoaded(const boost::json::object& message) {
  NavigationFinished finished;
  if (const auto* url = message.if_contains("url"); url != nullptr && url->is_string()) {
    finished.url = std::string(url->get_string());
  }
  return {PageMessage(std::move(finished))};
}

std::string text(const boost::json::object& message) { return boost::json::serialize(message); }

}  // namespace

ParsedPageMessage parsePageMessage(std::string_view text) {
  boost::system::error_code ec;
  const auto value = boost::json::parse(text, ec);
  if (ec) return failure("not JSON: " + ec.message());
  if (!value.is_object()) return failure("a message must be a JSON object");
  const auto& message = value.get_object();
  const auto* type = message.if_contains("type");
  if (type == nullptr || !type->is_string()) return failure("a message needs a string \"type\"");
  if (type->get_string() == "bridge") return parseBridge(message);
  if (type->get_string() == "loaded") return parseLoaded(message);
  return failure("unknown message type " + boost::json::serialize(*type));
}

std::string helloMessage(std::string_view runnerId) { return text({{"type", "hello"}, {"runner", runnerId}}); }

std::string callMessage(const std::vector<std::string>& functions, const boost::json::object& data) {
  boost::json::array names;
  for (const auto& name : functions) names.emplace_back(name);
  return text({{"type", "call"}, {"functions", std::move(names)}, {"data", data}});
}

std::string navigateMessage(std::string_view url) { return text({{"type", "navigate"}, {"url", url}}); }

std::string eventMessage(std::string_view name, const boost::json::object& data) {
  return text({{"type", "event"}, {"name", name}, {"data", data}});
}

std::string returnMessage(std::int64_t id, bool load) { return text({{"type", "return"}, {"id", id}, {"load", load}}); }

std::string noticeMessage(std::string_view notice) { return text({{"type", "notice"}, {"text", notice}}); }

std::string relaunchedMessage() { return R"({"type":"relaunched"})"; }

}  // namespace pushwren::sim::playground
