#include "subscriptions/CVPushwrenSubscriptionsModel.h"

#include <boost/json/monotonic_resource.hpp>

#include "subscriptions/json_document.h"

namespace pushwren {
namespace {

namespace json = boost::json;

// A name or identifier: a string, else absent.
std::optional<std::string> stringEntry(const json::object& object, std::string_view key) {
  const auto* value = object.if_contains(key);
  if (!value || !value->is_string()) return std::nullopt;
  return std::string(value->get_string());
}

std::shared_ptr<CVPushwrenSubscriptionItem> readItem(const json::object& entry) {
  return std::make_shared<CVPushwrenSubscriptionItem>(stringEntry(entry, "identifier"), stringEntry(entry, "name"));
}

std::shared_ptr<CVPushwrenSubscriptionsSection> readSection(const json::object& entry) {
  auto section = std::make_shared<CVPushwrenSubscriptionsSection>();
  section->setName(stringEntry(entry, "name"));
  CVPushwrenSubscriptionItems items;
  if (const auto* list = entry.if_contains("items"); list && list->is_array()) {
    items.reserve(list->get_array().size());
    for (const auto& item : list->get_array()) {
      if (item.is_object()) items.push_back(readItem(item.get_object()));
    }
  }
  section->setItems(std::move(items));
  return section;
}

}  // namespace

std::shared_ptr<CVPushwrenSubscriptionsModel> CVPushwrenSubscriptionsModel::modelWithJSONData(std::string_view data) {
  // The document lives only while the model is read out of it, so it takes its memory from an
  // arena that is let go in one piece; a small manifest fits in the arena's first block, on the
  // stack.
  unsigned char firstBlock[4096];
  boost::json::monotonic_resource arena(firstBlock, sizeof firstBlock);
  const auto document = readJSONDocument(data, &arena);
  if (!document) return nullptr;
  auto model = std::make_shared<CVPushwrenSubscriptionsModel>();
  const auto* top = document->if_object();
  const auto* list = top ? top->if_contains("sections") : nullptr;
  if (!list || !list->is_array()) return model;
  CVPushwrenSubscriptionsSections sections;
  for (const auto& entry : list->get_array()) {
    if (entry.is_object()) sections.push_back(readSection(entry.get_object()));
  }
  model->setSections(std::move(sections));
  return model;
}

void CVPushwrenSubscriptionsModel::markSubscribedItems(const json::object& tags) const {
  for (const auto& section : *sections()) {
    for (const auto& item : *section->items()) {
      const auto identifier = item->identifier();
      if (identifier && tags.contains(*identifier)) item->setIsSubscribed(true);
    }
  }
}

}  // namespace pushwren
