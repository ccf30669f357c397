#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace pushwren::sim::playground {

// The file under `root` that a request path names ("/" is index.html, so is a path ending in
// "/" inside its folder; the query is ignored). Segments are percent-decoded first. None for a
// path that could leave the root or hide: an empty, "." or ".." segment, a segment starting with
// "." (.git, .env), or one holding "/", "\", or a control character once decoded.
// Symbolic links are followed by insideRoot(), not here.
std::optional<std::filesystem::path> staticFile(const std::filesystem::path& root, std::string_view target);

// A single-page app's own route: a page navigation (`accept` names text/html) to a path that is
// safe to look up but missing, whose last segment has no file extension, gets the site's
// index.html, so the app's router can show the route, as `vite preview` does. None otherwise: a
// missing script or image stays missing.
std::optional<std::filesystem::path> appRouteFallback(const std::filesystem::path& root, std::string_view target,
                                                      std::string_view accept);

// Whether `file`, with every symbolic link followed, is still under `root` (itself canonical)
// and nowhere hidden. A link that points out of the site, or at a file or folder whose name
// starts with ".", is treated as missing.
bool insideRoot(const std::filesystem::path& root, const std::filesystem::path& file);

// The Content-Type a browser needs for the file, by its extension.
std::string_view contentType(const std::filesystem::path& file);

// Whether a Content-Type names an HTML document (the ones the page client is added to).
bool isHtml(std::string_view contentType);

}  // namespace pushwren::sim::playground
