#pragma once

#include <string>
#include <string_view>

namespace pushwren::sim::playground {

// Where the page client is served: every HTML document the web view gets loads it from here.
inline constexpr std::string_view kClientScriptPath = "/__pushwren/pushwren.js";

// The document with the page client's script tag placed before its own scripts, as a native
// host injects its bridge script into each page: right after the <head> tag, or after <html>
// or the doctype when there is no head, or at the very start; and before any script that comes
// earlier still. A document that loads the client itself is returned as it is.
std::string withClientScript(std::string_view html);

}  // namespace pushwren::sim::playground
