#include "sim/playground/push_api/notification_request.h"

#include <algorithm>
#include <chrono>
#include <regex>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

namespace pushwren::sim::playground {
namespace json = boost::json;
namespace {

constexpr std::string_view kHonoured[] = {
    "app_id",  "contents",     "headings",        "data",          "url",
    "ios_badgeType", "ios_badgeCount", "send_after", "include_aliases", "target_channel",
    "include_subscription_ids", "included_segments", "excluded_segments", "filters"};

constexpr std::int64_t kLargestBadge = 1000000;

constexpr std::string_view kTargetingFields[] = {"include_aliases", "include_subscription_ids", "included_segments",
                                                 "filters"};

bool honoured(std::string_view key) {
  for (const auto field : kHonoured) {
    if (field == key) return true;
  }
  return false;
}

// Reads the fields one by one, keeping every problem, so one answer names them all.
class Reader {
 public:
  Reader(const json::object& body, RequestErrors& errors) : body_(body), errors_(errors) {}

  // A field that is absent or null is left out, as the provider's clients send unset fields.
  const json::value* field(std::string_view key) const {
    const auto* value = body_.if_contains(key);
    return value && !value->is_null() ? value : nullptr;
  }

  std::optional<std::string> string(std::string_view key) {
    const auto* value = field(key);
    if (!value) return std::nullopt;
    if (!value->is_string()) return wrong(key, "a string");
    return std::string(value->get_string());
  }

  std::optional<std::vector<std::string>> strings(std::string_view key) {
    const auto* value = field(key);
    if (!value) return std::nullopt;
    if (!value->is_array()) return wrong(key, "an array of strings");
    std::vector<std::string> list;
    for (const auto& each : value->get_array()) {
      if (!each.is_string()) return wrong(key, "an array of strings");
      list.emplace_back(each.get_string());
    }
    return list;
  }

  // A language map: {"en": "Hello", "fr": "Bonjour"}.
  std::optional<json::object> languages(std::string_view key) {
    const auto* value = field(key);
    if (!value) return std::nullopt;
    if (!value->is_object()) return wrong(key, R"(a map of language codes to strings, such as {"en": "Hello"})");
    for (const auto& [language, text] : value->get_object()) {
      if (!text.is_string()) return wrong(key, R"(a map of language codes to strings, such as {"en": "Hello"})");
    }
    return value->get_object();
  }

  std::optional<json::object> object(std::string_view key) {
    const auto* value = field(key);
    if (!value) return std::nullopt;
    if (!value->is_object()) return wrong(key, "a JSON object");
    return value->get_object();
  }

  std::optional<std::int64_t> integer(std::string_view key) {
    const auto* value = field(key);
    if (!value) return std::nullopt;
    if (value->is_int64()) return value->get_int64();
    if (value->is_uint64() && value->get_uint64() <= static_cast<std::uint64_t>(INT64_MAX)) {
      return static_cast<std::int64_t>(value->get_uint64());
    }
    return wrong(key, "an integer");
  }

  void error(std::string text) { errors_.errors.push_back(std::move(text)); }

 private:
  std::nullopt_t wrong(std::string_view key, std::string_view kind) {
    error(std::string(key) + " must be " + std::string(kind) + ", not " + json::serialize(body_.at(key)));
    return std::nullopt;
  }

  const json::object& body_;
  RequestErrors& errors_;
};

// "en", else the first language given.
std::optional<std::string> shownText(const json::object& languages) {
  if (const auto* english = languages.if_contains("en")) return std::string(english->get_string());
  if (languages.empty()) return std::nullopt;
  return std::string(languages.begin()->value().get_string());
}

const std::string_view kRelations[] = {"=", "!=", ">", "<", "exists", "not_exists"};

// filters: [{"field": "tag", "key": "level", "relation": ">", "value": "5"}, {"operator": "OR"}, ...]
std::vector<std::vector<TagFilter>> readFilters(const json::array& filters, Reader& reader) {
  std::vector<std::vector<TagFilter>> groups(1);
  for (std::size_t i = 0; i < filters.size(); ++i) {
    const auto where = "filters[" + std::to_string(i) + "]";
    if (!filters[i].is_object()) {
      reader.error(where + " must be a JSON object");
      continue;
    }
    const auto& filter = filters[i].get_object();
    if (const auto* op = filter.if_contains("operator")) {
      if (!op->is_string() || (op->get_string() != "OR" && op->get_string() != "AND")) {
        reader.error(where + R"(: operator must be "OR" or "AND")");
      } else if (op->get_string() == "OR") {
        groups.emplace_back();
      }
      continue;
    }
    const auto text = [&](std::string_view key) -> std::optional<std::string> {
      const auto* value = filter.if_contains(key);
      if (!value) return std::nullopt;
      if (value->is_string()) return std::string(value->get_string());
      // Numbers are compared as the tags' text is: "5" and 5 name the same value.
      if (value->is_number()) return json::serialize(*value);
      return std::nullopt;
    };
    const auto field = text("field");
    if (field != "tag") {
      reader.error(where + ": only tag filters are honoured here ({\"field\": \"tag\", \"key\": ..., \"relation\": ..., "
                           "\"value\": ...}), not field " + (field ? "\"" + *field + "\"" : std::string("(none)")));
      continue;
    }
    TagFilter made;
    const auto key = text("key");
    const auto relation = text("relation");
    if (!key || key->empty()) {
      reader.error(where + ": a tag filter needs a key");
      continue;
    }
    if (!relation || std::find(std::begin(kRelations), std::end(kRelations), *relation) == std::end(kRelations)) {
      reader.error(where + ": relation must be one of =, !=, >, <, exists, not_exists");
      continue;
    }
    made.key = *key;
    made.relation = *relation;
    if (made.relation != "exists" && made.relation != "not_exists") {
      const auto value = text("value");
      if (!value) {
        reader.error(where + ": relation \"" + made.relation + "\" needs a value (a string or a number)");
        continue;
      }
      made.value = *value;
    }
    groups.back().push_back(std::move(made));
  }
  // An OR at the start or end, or two in a row, leaves a group with no condition: it is dropped
  // rather than read as "everyone".
  std::erase_if(groups, [](const auto& group) { return group.empty(); });
  if (groups.empty()) reader.error("filters has no tag condition");
  return groups;
}

void readTargeting(Reader& reader, NotificationRequest& request) {
  std::vector<std::string> given;
  for (const auto field : kTargetingFields) {
    if (reader.field(field)) given.emplace_back(field);
  }
  if (given.empty()) {
    reader.error("You must include which players, segments, or tags you wish to send this notification to: one of "
                 "include_aliases, include_subscription_ids, included_segments or filters");
    return;
  }
  if (given.size() > 1) {
    std::string named;
    for (const auto& field : given) named += (named.empty() ? "" : " and ") + field;
    reader.error("Use one targeting mode per request, not " + named);
    return;
  }
  auto& targeting = request.targeting;
  if (given.front() == "include_aliases") {
    targeting.mode = Targeting::Mode::externalIds;
    const auto aliases = reader.object("include_aliases");
    if (!aliases) return;
    for (const auto& [label, ids] : *aliases) {
      if (label != "external_id") {
        reader.error("include_aliases: only the alias external_id is known here, not \"" + std::string(label) + "\"");
        continue;
      }
      if (!ids.is_array()) {
        reader.error("include_aliases.external_id must be an array of strings");
        continue;
      }
      for (const auto& id : ids.get_array()) {
        if (!id.is_string()) {
          reader.error("include_aliases.external_id must be an array of strings");
          break;
        }
        targeting.ids.emplace_back(id.get_string());
      }
    }
    if (targeting.ids.empty()) reader.error("include_aliases must name at least one external_id");
    const auto channel = reader.string("target_channel");
    if (channel != "push") reader.error("target_channel must be \"push\" when targeting include_aliases");
  } else if (given.front() == "include_subscription_ids") {
    targeting.mode = Targeting::Mode::subscriptionIds;
    if (auto ids = reader.strings("include_subscription_ids")) {
      targeting.ids = std::move(*ids);
      if (targeting.ids.empty()) reader.error("include_subscription_ids must name at least one subscription");
    }
  } else if (given.front() == "included_segments") {
    targeting.mode = Targeting::Mode::segments;
    if (auto segments = reader.strings("included_segments")) {
      targeting.includedSegments = std::move(*segments);
      if (targeting.includedSegments.empty()) reader.error("included_segments must name at least one segment");
    }
  } else {
    targeting.mode = Targeting::Mode::filters;
    const auto* filters = reader.field("filters");
    if (!filters->is_array()) {
      reader.error("filters must be an array of filter objects");
    } else {
      targeting.filterGroups = readFilters(filters->get_array(), reader);
    }
  }
  if (auto excluded = reader.strings("excluded_segments")) {
    if (targeting.mode != Targeting::Mode::segments) {
      reader.error("excluded_segments goes with included_segments only");
    } else {
      targeting.excludedSegments = std::move(*excluded);
    }
  }
}

std::string quotedList(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ", ") + json::serialize(json::value(item));
  return text;
}

}  // namespace

std::optional<std::int64_t> readSendAfter(std::string_view text) {
  static const std::regex form(
      R"(^\s*(\d{4})-(\d{2})-(\d{2})[T ](\d{2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?\s*(?:Z|UTC|GMT)?\s*(?:([+-])(\d{2}):?(\d{2}))?\s*$)");
  std::cmatch match;
  if (!std::regex_match(text.data(), text.data() + text.size(), match, form)) return std::nullopt;
  const auto number = [&](int group) { return match[group].matched ? std::stoi(match[group].str()) : 0; };
  using namespace std::chrono;
  const year_month_day day{year(number(1)), month(static_cast<unsigned>(number(2))),
                           std::chrono::day(static_cast<unsigned>(number(3)))};
  if (!day.ok() || number(4) > 23 || number(5) > 59 || number(6) > 60 || number(8) > 23 || number(9) > 59) {
    return std::nullopt;
  }
  auto seconds = sys_days(day).time_since_epoch() / 1s + static_cast<long long>(number(4)) * 3600 + static_cast<long long>(number(5)) * 60 + number(6);
  if (match[7].matched) {
    const auto offset = number(8) * 3600 + number(9) * 60;
    seconds += match[7].str() == "+" ? -offset : offset;
  }
  return seconds;
}

std::variant<NotificationRequest, RequestErrors> readNotificationRequest(std::string_view body, std::string_view appId) {
  boost::system::error_code ec;
  const auto parsed = json::parse(body, ec);
  if (ec) return RequestErrors{{"The request body is not JSON: " + ec.message()}};
  if (!parsed.is_object()) return RequestErrors{{"The request body must be a JSON object"}};
  const auto& fields = parsed.get_object();

  RequestErrors errors;
  Reader reader(fields, errors);
  NotificationRequest request;
  const auto app = reader.string("app_id");
  if (!app && !reader.field("app_id")) {
    errors.errors.push_back("app_id not found: this playground's app id is \"" + std::string(appId) + "\"");
  } else if (app && *app != appId) {
    errors.errors.push_back("app_id \"" + *app + "\" is not this playground's app: use \"" + std::string(appId) + "\"");
  }
  if (auto contents = reader.languages("contents")) request.contents = std::move(*contents);
  if (auto headings = reader.languages("headings")) request.headings = std::move(*headings);
  request.body = shownText(request.contents);
  request.title = shownText(request.headings);
  request.data = reader.object("data");
  request.url = reader.string("url");
  if (const auto type = reader.string("ios_badgeType")) {
    if (*type != "None" && *type != "SetTo" && *type != "Increase") {
      errors.errors.push_back(R"(ios_badgeType must be "None", "SetTo" or "Increase", not ")" + *type + "\"");
    } else {
      request.badgeType = *type;
    }
  }
  if (const auto count = reader.integer("ios_badgeCount")) {
    if (*count < -kLargestBadge || *count > kLargestBadge) {
      errors.errors.emplace_back("ios_badgeCount must be between -1000000 and 1000000");
    } else {
      request.badgeCount = *count;
    }
  }
  if (request.badgeType != "None" && !reader.field("ios_badgeCount")) {
    errors.errors.push_back("ios_badgeType \"" + request.badgeType + "\" needs ios_badgeCount");
  }
  if (const auto after = reader.string("send_after")) {
    request.sendAfter = readSendAfter(*after);
    if (!request.sendAfter) {
      errors.errors.push_back("send_after \"" + *after +
                              "\" is not a time: write it as 2026-12-11T09:30:00Z or 2026-12-11 09:30:00 GMT+0100");
    }
  }
  readTargeting(reader, request);
  if (!errors.errors.empty()) return errors;

  for (const auto& [key, value] : fields) {
    if (!honoured(key)) request.ignoredFields.emplace_back(key);
  }
  return request;
}

std::string describeTargeting(const Targeting& targeting) {
  switch (targeting.mode) {
    case Targeting::Mode::externalIds:
      return (targeting.ids.size() == 1 ? "external id " : "external ids ") + quotedList(targeting.ids);
    case Targeting::Mode::subscriptionIds:
      return (targeting.ids.size() == 1 ? "subscription " : "subscriptions ") + quotedList(targeting.ids);
    case Targeting::Mode::segments: {
      auto text = (targeting.includedSegments.size() == 1 ? "segment " : "segments ") +
                  quotedList(targeting.includedSegments);
      if (!targeting.excludedSegments.empty()) text += " but not " + quotedList(targeting.excludedSegments);
      return text;
    }
    case Targeting::Mode::filters: {
      std::string text = "tags ";
      for (std::size_t g = 0; g < targeting.filterGroups.size(); ++g) {
        if (g != 0) text += " OR ";
        const auto& group = targeting.filterGroups[g];
        if (targeting.filterGroups.size() > 1 && group.size() > 1) text += "(";
        for (std::size_t i = 0; i < group.size(); ++i) {
          if (i != 0) text += " and ";
          text += json::serialize(json::value(group[i].key)) + " " + group[i].relation;
          if (!group[i].value.empty() || (group[i].relation != "exists" && group[i].relation != "not_exists")) {
            text += " " + json::serialize(json::value(group[i].value));
          }
        }
        if (targeting.filterGroups.size() > 1 && group.size() > 1) text += ")";
      }
      return text;
    }
  }
  return {};
}

}  // namespace pushwren::sim::playground
