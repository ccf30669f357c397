#include "sim/playground/tab/navigation_policy.h"

#include <boost/url/parse.hpp>

namespace pushwren::sim::playground {

bool isFollowableNavigation(std::string_view url) {
  const auto parsed = boost::urls::parse_uri_reference(url);
  if (!parsed) return false;
  if (!parsed->has_scheme()) return true;
  const auto scheme = parsed->scheme_id();
  return (scheme == boost::urls::scheme::http || scheme == boost::urls::scheme::https) && parsed->has_authority() &&
         !parsed->host().empty();
}

}  // namespace pushwren::sim::playground
