// Whatever the page puts in the bridge data, no command crashes and every bridge URL is swallowed.
#include <cmath>
#include <limits>
#include <vector>

#include "pushwren/bridge/command_table.h"
#include "pushwren/bridge/commands.h"
#include "tests/bridge/bridge_fixture.h"

namespace pushwren::testing {
namespace {

using ::testing::NiceMock;

boost::json::value nested(int depth) {
  boost::json::value v = "bottom";
  for (int i = 0; i < depth; ++i) v = (i % 2 == 0) ? boost::json::value(boost::json::array{v}) : boost::json::value(boost::json::object{{"k", v}});
  return v;
}

std::vector<boost::json::value> hostileValues() {
  return {
      nullptr,
      true,
      -0.0,
      1e308,
      -1e308,
      std::numeric_limits<double>::infinity(),
      std::nan(""),
      std::numeric_limits<std::int64_t>::min(),
      std::numeric_limits<std::uint64_t>::max(),
      "",
      "%",
      "%zz%",
      "%C3%28",
      "%00%7B%7D",
      boost::json::string_view("\0\xFF", 2),
      boost::json::value(std::string(100000, 'x')),
      boost::json::value(std::string(30000, '%') + "41"),
      boost::json::value("%5B" + std::string(20000, '1') + "%5D"),
      boost::json::array{},
      boost::json::object{},
      nested(500),
  };
}

TEST(HostileData, NoEntryOfAnyKindBreaksAnyCommand) {
  FreshHost host;
  host.config->setOneSignalV5Enabled(true);
  auto sdk = std::make_shared<NiceMock<OneSignalMock>>();
  OneSignal::install(sdk);
  auto runner = std::make_shared<NiceMock<InfoRunnerMock>>();
  BridgePluginFake plugin;

  const char* keys[] = {"callback", "externalId", "tags", "key", "value", "map",
                        "pause", "handler", "enabled", "count"};
  for (const auto& value : hostileValues()) {
    for (const auto& entry : bridge::commandTable()) {
      // The subscriptions screen reads no bridge data; it has tests of its own.
      if (entry.command == bridge::showSubscriptions) continue;
      boost::json::object everyKey;
      for (const char* key : keys) {
        everyKey[key] = value;
        const boost::json::object oneKey{{key, value}};
        EXPECT_FALSE(routeBridgeURL(plugin, runner, "x://onesignal" + std::string(entry.path), oneKey));
      }
      EXPECT_FALSE(routeBridgeURL(plugin, runner, "x://onesignal" + std::string(entry.path), everyKey));
    }
  }
  OneSignal::install(nullptr);
}

}  // namespace
}  // namespace pushwren::testing
