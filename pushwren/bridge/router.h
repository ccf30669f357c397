#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <boost/json/object.hpp>

#include "pushwren/bridge/bridge_plugin.h"

namespace pushwren {

// For a URL whose host is "onesignal", the path as a command knows it: percent-decoded, without a
// trailing slash (the root stays "/"). None for any other URL.
std::optional<std::string> bridgeCommandPath(std::string_view url);

// The plugin's answer to the host's question whether to load a URL: false for every URL whose
// host is "onesignal", which the router runs as a bridge command when the plugin is switched on.
bool routeBridgeURL(CVPushwrenBridgePlugin& plugin, const std::shared_ptr<CVJavascriptRunner>& runner,
                    std::string_view url, const boost::json::object& data);

}  // namespace pushwren
