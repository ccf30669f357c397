#pragma once

#include <string_view>

#include <boost/json/object.hpp>

namespace pushwren::sim::playground {

// What set a group of trace lines off, as the panel shows it above them. The trace itself is
// the scenario runner's; these only say where each step came from.

// A URL a page asked to load:
//   {"kind": "bridge", "tab": "tab-1", "path": "/tags/set", "data": {...}, "flag": null}
// with the path as the plugin reads it and the data as sent. "flag" says why nothing may have
// happened: "unknown command" (no command has the path), "plugin switched off: ignored", or
// "not a bridge URL" (the plugin leaves it to the web view).
boost::json::object bridgeCallSource(std::string_view tab, std::string_view url, const boost::json::object& data,
                                     bool pluginEnabled);

// A scenario step from the panel or from a script: {"kind": "step", "by": "panel", "step": {...}}.
boost::json::object stepSource(std::string_view by, const boost::json::value& step);

// A tab's life: {"kind": "open" | "load" | "close", "tab": "tab-1"} ("url" too for a load).
boost::json::object tabSource(std::string_view kind, std::string_view tab, std::string_view url = {});

}  // namespace pushwren::sim::playground
