#include "pushwren/bridge/router.h"

#include <string>

#include "pushwren/bridge/command_table.h"
#include "pushwren/contracts/host/app_config.h"
#include "pushwren/platform/percent_encoding.h"
#include "pushwren/platform/url.h"

namespace pushwren {
namespace {

constexpr std::string_view kBridgeHost = "onesignal";

}  // namespace

std::optional<std::string> bridgeCommandPath(std::string_view url) {
  const auto parsed = readURIReference(url);
  if (!parsed || !parsed->host || percentDecoded(*parsed->host) != kBridgeHost) return std::nullopt;
  std::string path = percentDecoded(parsed->path);
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Any URL whose host is "onesignal" belongs to the plugin, whatever its scheme; the scheme, query
// and fragment are never read, since the bridge data carries the arguments. Such a URL is never
// loaded, even when the plugin is switched off or no command has its path.
bool routeBridgeURL(CVPushwrenBridgePlugin& plugin, const std::shared_ptr<CVJavascriptRunner>& runner,
                    std::string_view url, const boost::json::object& data) {
  const auto path = bridgeCommandPath(url);
  if (!path) return true;

  // Stored before the master switch is read, so the page's runner is known even while switched off.
  plugin.setRunner(runner);
  if (!CorvaneAppConfig::sharedAppConfig()->oneSignalV5Enabled()) return false;

  if (const auto command = bridge::commandForPath(*path)) command({plugin, runner, data});
  return false;
}

}  // namespace pushwren
