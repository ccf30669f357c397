#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace pushwren::sim::playground {

// The file under `root` that a request target names ("/" is index.html, a folder its
// index.html; the query is ignored). None for a target that could leave the root or names
// anything but plain path segments of letters, digits, "-", "_" and ".".
std::optional<std::filesystem::path> staticFile(const std::filesystem::path& root, std::string_view target);

// The Content-Type a browser needs for the file, by its extension.
std::string_view contentType(const std::filesystem::path& file);

}  // namespace pushwren::sim::playground
