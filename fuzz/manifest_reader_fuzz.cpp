// Any bytes as a manifest: the reader gives a model or none, never crashes, and a model's lists
// are always there; marking against a tag map never crashes either.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "subscriptions/CVPushwrenSubscriptionsModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto model = pushwren::CVPushwrenSubscriptionsModel::modelWithJSONData(bytes);
  if (!model) return 0;
  const auto sections = model->sections();
  if (!sections) __builtin_trap();
  for (const auto& section : *sections) {
    if (!section || !section->items()) __builtin_trap();
  }
  model->markSubscribedItems(boost::json::object{{"news", "1"}, {"", "x"}});
  return 0;
}
