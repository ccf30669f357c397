#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pushwren::sim::playground {

// A site served by a server of its own, reached through the playground's reverse proxy.
struct UpstreamSite {
  std::string host;    // as the URL names it: "localhost", "127.0.0.1", "[::1]" without brackets
  std::string port;    // "80" when the URL names none
  std::string origin;  // "http://localhost:5173": what its redirects and cookies may name
  std::string authority;  // "localhost:5173": its Host header
  std::string startPath;  // the URL's path and query, where the web view starts ("/" at least)
};

// A folder of files (a built site), served as they are.
struct FolderSite {
  std::filesystem::path root;  // absolute and canonical
};

using Site = std::variant<FolderSite, UpstreamSite>;

// What `--site` names: an http URL ("http://localhost:5173", "http://127.0.0.1:8000/app/") or
// a folder. An unusable value gets `why` filled in for the person who typed it. Whether the
// server answers is not checked here.
std::optional<Site> readSite(std::string_view text, std::string& why);

// How the site is named to a person: its URL or its folder.
std::string siteName(const Site& site);

}  // namespace pushwren::sim::playground
