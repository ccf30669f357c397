#include "pushwren/subscriptions/manifest_reader.h"

#include <string>

#include <boost/json/monotonic_resource.hpp>
#include <boost/json/parse.hpp>

#include "pushwren/platform/json_depth.h"

namespace pushwren {
namespace {

namespace json = boost::json;

std::optional<std::string> stringEntry(const json::object& object, std::string_view key) {
  const auto* value = object.if_contains(key);
  if (value == nullptr || !value->is_string()) return std::nullopt;
  return std::string(value->get_string());
}

CVPushwrenSubscriptionItems readItems(const json::object& section) {
  CVPushwrenSubscriptionItems items;
  const auto* list = section.if_contains("items");
  if (list == nullptr || !list->is_array()) return items;
  for (const auto& entry : list->get_array()) {
    if (!entry.is_object()) continue;
    const auto& item = entry.get_object();
    items.push_back(
        std::make_shared<CVPushwrenSubscriptionItem>(stringEntry(item, "identifier"), stringEntry(item, "name")));
  }
  return items;
}

CVPushwrenSubscriptionsSections readSections(const json::value& document) {
  CVPushwrenSubscriptionsSections sections;
  const auto* list = document.is_object() ? document.get_object().if_contains("sections") : nullptr;
  if (list == nullptr || !list->is_array()) return sections;
  for (const auto& entry : list->get_array()) {
    if (!entry.is_object()) continue;
    auto section = std::make_shared<CVPushwrenSubscriptionsSection>();
    section->setName(stringEntry(entry.get_object(), "name"));
    section->setItems(readItems(entry.get_object()));
    sections.push_back(std::move(section));
  }
  return sections;
}

}  // namespace

std::optional<CVPushwrenSubscriptionsSections> readManifestSections(std::string_view text) {
  json::parse_options options;
  options.max_depth = kMaxJsonDepth;
  // The document lives only for the walk: its values are taken from one arena and let go at once.
  json::monotonic_resource arena;
  json::error_code error;
  const auto document = json::parse(text, error, &arena, options);
  if (error || !(document.is_object() || document.is_array())) return std::nullopt;
  return readSections(document);
}

}  // namespace pushwren
