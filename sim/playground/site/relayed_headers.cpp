#include "sim/playground/site/relayed_headers.h"

#include <array>
#include <string>
#include <vector>

#include <boost/beast/core/string.hpp>
#include <boost/range/iterator_range_core.hpp>

#include "sim/playground/site/upstream_rewrites.h"

namespace pushwren::sim::playground {
namespace http = boost::beast::http;

namespace {

constexpr std::array kHopByHop{http::field::connection, http::field::keep_alive, http::field::proxy_connection,
                               http::field::proxy_authorization, http::field::te, http::field::upgrade};

bool framesTheMessage(std::string_view name) {
  return boost::beast::iequals(name, "content-length") || boost::beast::iequals(name, "transfer-encoding") ||
         boost::beast::iequals(name, "host");
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

void dropHopByHop(http::fields& fields) {
  std::vector<std::string> named;
  for (const auto& connection : boost::make_iterator_range(fields.equal_range(http::field::connection))) {
    std::string_view list(connection.value().data(), connection.value().size());
    while (!list.empty()) {
      const auto comma = list.find(',');
      const auto name = trimmed(list.substr(0, comma));
      if (!name.empty() && !framesTheMessage(name)) named.emplace_back(name);
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
  }
  for (const auto& name : named) fields.erase(name);
  for (const auto field : kHopByHop) fields.erase(field);
}

void rewriteForPlayground(http::fields& response, const UpstreamSite& site) {
  if (const auto location = response.find(http::field::location); location != response.end()) {
    response.set(http::field::location, locationForPlayground(location->value(), site));
  }
  std::vector<std::string> cookies;
  for (const auto& field : boost::make_iterator_range(response.equal_range(http::field::set_cookie))) {
    cookies.push_back(cookieForPlayground(field.value()));
  }
  response.erase(http::field::set_cookie);
  for (const auto& cookie : cookies) response.insert(http::field::set_cookie, cookie);

  response.erase("X-Frame-Options");
  constexpr std::string_view kPolicy = "Content-Security-Policy";
  std::vector<std::string> policies;
  for (const auto& field : boost::make_iterator_range(response.equal_range(kPolicy))) {
    policies.push_back(policyForWebView(field.value()));
  }
  response.erase(kPolicy);
  for (const auto& policy : policies) {
    if (!policy.empty()) response.insert(kPolicy, policy);
  }
}

}  // namespace pushwren::sim::playground
