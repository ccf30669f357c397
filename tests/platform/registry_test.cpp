// The process-wide slot and the class registry that the platform and the contracts share.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pushwren/platform/class_registry.h"
#include "pushwren/platform/shared_instance.h"

namespace pushwren {
namespace {

struct Setting {
  std::string name = "default";
};

TEST(ProcessWide, HoldsWhatIsInstalledAndNeverNone) {
  using Slot = ProcessWide<Setting>;
  EXPECT_EQ(Slot::get()->name, "default");
  const auto installed = std::make_shared<Setting>(Setting{"installed"});
  Slot::set(installed);
  EXPECT_EQ(Slot::get(), installed);
  Slot::set(nullptr);
  ASSERT_TRUE(Slot::get());
  EXPECT_EQ(Slot::get()->name, "default");
}

TEST(ClassRegistry, KeepsTheOrderAndFindsTheLastRegistrationOfAName) {
  ClassRegistry<int> registry;
  EXPECT_FALSE(registry.find("A"));
  registry.add("A", 1);
  registry.add("B", 2);
  registry.add("A", 3);
  EXPECT_EQ(registry.find("A"), 3);
  EXPECT_EQ(registry.find("B"), 2);
  EXPECT_FALSE(registry.find("a"));
  const auto entries = registry.entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].className, "A");
  EXPECT_EQ(entries[2].value, 3);
}

}  // namespace
}  // namespace pushwren
