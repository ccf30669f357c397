#include "sim/playground/tab/callback_names.h"

#include <boost/json/serialize.hpp>

namespace pushwren::sim::playground {
namespace {

bool isIdentifierStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$';
}

bool isIdentifierPart(char c) { return isIdentifierStart(c) || (c >= '0' && c <= '9'); }

// Names longer than this are not function names a page would use.
constexpr std::size_t kLongestName = 200;

void sort(const boost::json::value& name, PageFunctions& into) {
  if (name.is_string() && isCallbackPath(name.get_string())) {
    into.names.emplace_back(name.get_string());
  } else {
    into.refused.push_back(boost::json::serialize(name));
  }
}

}  // namespace

bool isCallbackPath(std::string_view name) {
  if (name.empty() || name.size() > kLongestName) return false;
  bool atStart = true;
  for (const char c : name) {
    if (c == '.') {
      if (atStart) return false;
      atStart = true;
    } else if (atStart ? isIdentifierStart(c) : isIdentifierPart(c)) {
      atStart = false;
    } else {
      return false;
    }
  }
  return !atStart;
}

PageFunctions pageFunctions(const CallbackName& callback) {
  PageFunctions functions;
  if (!callback) return functions;
  if (callback->is_array()) {
    for (const auto& name : callback->get_array()) sort(name, functions);
  } else {
    sort(*callback, functions);
  }
  return functions;
}

}  // namespace pushwren::sim::playground
