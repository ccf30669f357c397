#include <boost/url/parse.hpp>

#include "plugin/CVPushwren.h"

namespace pushwren {

bool CVPushwren::shouldLoadRequestWithURL(const std::shared_ptr<CVJavascriptRunner>& runner, std::string_view url,
                                          const boost::json::object&) {
  const auto parsed = boost::urls::parse_uri_reference(url);
  if (!parsed || !parsed->has_authority() || parsed->encoded_host() != "onesignal") return true;
  setRunner(runner);
  return false;
}

}  // namespace pushwren
