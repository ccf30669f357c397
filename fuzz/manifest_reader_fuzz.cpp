// Any bytes as a manifest: the reader gives a model or none, never crashes, and gives exactly
// what a reading of the whole parsed document gives (the reference below, which builds the
// document first). Marking against a tag map never crashes either.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/parse.hpp>

#include "subscriptions/CVPushwrenSubscriptionsModel.h"
#include "subscriptions/json_document.h"

namespace {

namespace json = boost::json;

using Text = std::optional<std::string>;
struct Item {
  Text identifier, name;
  bool operator==(const Item&) const = default;
};
struct Section {
  Text name;
  std::vector<Item> items;
  bool operator==(const Section&) const = default;
};

Text stringEntry(const json::object& object, std::string_view key) {
  const auto* value = object.if_contains(key);
  return value && value->is_string() ? Text(std::string(value->get_string())) : std::nullopt;
}

std::optional<std::vector<Section>> reference(std::string_view bytes) {
  std::string converted;
  const auto text = pushwren::jsonTextInUTF8(bytes, converted);
  if (!text) return std::nullopt;
  json::parse_options options;
  options.max_depth = 512;
  json::error_code ec;
  const auto document = json::parse(*text, ec, {}, options);
  if (ec || !(document.is_object() || document.is_array())) return std::nullopt;
  std::vector<Section> sections;
  const auto* list = document.is_object() ? document.get_object().if_contains("sections") : nullptr;
  if (!list || !list->is_array()) return sections;
  for (const auto& entry : list->get_array()) {
    if (!entry.is_object()) continue;
    Section section{stringEntry(entry.get_object(), "name"), {}};
    if (const auto* items = entry.get_object().if_contains("items"); items && items->is_array()) {
      for (const auto& item : items->get_array()) {
        if (item.is_object()) section.items.push_back({stringEntry(item.get_object(), "identifier"), stringEntry(item.get_object(), "name")});
      }
    }
    sections.push_back(std::move(section));
  }
  return sections;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto model = pushwren::CVPushwrenSubscriptionsModel::modelWithJSONData(bytes);
  const auto expected = reference(bytes);
  if (model.operator bool() != expected.has_value()) std::abort();
  if (!model) return 0;
  std::vector<Section> got;
  for (const auto& section : *model->sections()) {
    if (!section || !section->items()) std::abort();
    Section read{section->name(), {}};
    for (const auto& item : *section->items()) read.items.push_back({item->identifier(), item->name()});
    got.push_back(std::move(read));
  }
  if (got != *expected) std::abort();
  model->markSubscribedItems(json::object{{"news", "1"}, {"", "x"}});
  return 0;
}
