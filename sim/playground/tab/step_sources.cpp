#include "sim/playground/tab/step_sources.h"

#include "pushwren/bridge/command_table.h"
#include "pushwren/bridge/router.h"

namespace pushwren::sim::playground {

boost::json::object bridgeCallSource(std::string_view tab, std::string_view url, const boost::json::object& data,
                                     bool pluginEnabled) {
  boost::json::object source{{"kind", "bridge"}, {"tab", tab}, {"path", url}, {"data", data}, {"flag", nullptr}};
  // The path as the router reads it.
  const auto path = bridgeCommandPath(url);
  if (!path) {
    source["flag"] = "not a bridge URL";
    return source;
  }
  source["path"] = *path;
  if (!pluginEnabled) {
    source["flag"] = "plugin switched off: ignored";
  } else if (!bridge::commandForPath(*path)) {
    source["flag"] = "unknown command";
  }
  return source;
}

boost::json::object stepSource(std::string_view by, const boost::json::value& step) {
  return {{"kind", "step"}, {"by", by}, {"step", step}};
}

boost::json::object tabSource(std::string_view kind, std::string_view tab, std::string_view url) {
  boost::json::object source{{"kind", kind}, {"tab", tab}};
  if (!url.empty()) source["url"] = url;
  return source;
}

}  // namespace pushwren::sim::playground
