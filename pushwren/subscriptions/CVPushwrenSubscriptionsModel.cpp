#include "pushwren/subscriptions/CVPushwrenSubscriptionsModel.h"

#include "pushwren/subscriptions/json_document.h"
#include "pushwren/subscriptions/manifest_reader.h"

namespace pushwren {

std::shared_ptr<CVPushwrenSubscriptionsModel> CVPushwrenSubscriptionsModel::modelWithJSONData(std::string_view data) {
  std::string converted;
  const auto text = jsonTextInUTF8(data, converted);
  if (!text) return nullptr;
  auto sections = readManifestSections(*text);
  if (!sections) return nullptr;
  auto model = std::make_shared<CVPushwrenSubscriptionsModel>();
  model->setSections(std::move(*sections));
  return model;
}

void CVPushwrenSubscriptionsModel::markSubscribedItems(const boost::json::object& tags) const {
  for (const auto& section : *sections()) {
    for (const auto& item : *section->items()) {
      const auto identifier = item->identifier();
      if (identifier && tags.contains(*identifier)) item->setIsSubscribed(true);
    }
  }
}

}  // namespace pushwren
