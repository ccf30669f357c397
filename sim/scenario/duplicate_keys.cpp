#include "sim/scenario/duplicate_keys.h"

#include <set>
#include <vector>

#include <boost/json/basic_parser_impl.hpp>

namespace pushwren::sim {
namespace {

// Reads only the keys: one set of names per object open, the innermost last.
struct KeyWatcher {
  static constexpr std::size_t max_object_size = std::size_t(-1);
  static constexpr std::size_t max_array_size = std::size_t(-1);
  static constexpr std::size_t max_key_size = std::size_t(-1);
  static constexpr std::size_t max_string_size = std::size_t(-1);

  std::vector<std::set<std::string>> open;
  std::string key;
  std::optional<std::string> duplicate;

  bool on_document_begin(boost::system::error_code&) { return true; }
  bool on_document_end(boost::system::error_code&) { return true; }
  bool on_array_begin(boost::system::error_code&) { return true; }
  bool on_array_end(std::size_t, boost::system::error_code&) { return true; }
  bool on_object_begin(boost::system::error_code&) {
    open.emplace_back();
    return true;
  }
  bool on_object_end(std::size_t, boost::system::error_code&) {
    open.pop_back();
    return true;
  }
  bool on_string_part(boost::json::string_view, std::size_t, boost::system::error_code&) { return true; }
  bool on_string(boost::json::string_view, std::size_t, boost::system::error_code&) { return true; }
  bool on_key_part(boost::json::string_view part, std::size_t, boost::system::error_code&) {
    key.append(part.data(), part.size());
    return true;
  }
  bool on_key(boost::json::string_view last, std::size_t, boost::system::error_code& ec) {
    key.append(last.data(), last.size());
    if (!open.back().insert(key).second) {
      duplicate = key;
      // Stops the parse: the first duplicate is the answer.
      ec = boost::json::error::syntax;
      return false;
    }
    key.clear();
    return true;
  }
  bool on_number_part(boost::json::string_view, boost::system::error_code&) { return true; }
  bool on_int64(std::int64_t, boost::json::string_view, boost::system::error_code&) { return true; }
  bool on_uint64(std::uint64_t, boost::json::string_view, boost::system::error_code&) { return true; }
  bool on_double(double, boost::json::string_view, boost::system::error_code&) { return true; }
  bool on_bool(bool, boost::system::error_code&) { return true; }
  bool on_null(boost::system::error_code&) { return true; }
  bool on_comment_part(boost::json::string_view, boost::system::error_code&) { return true; }
  bool on_comment(boost::json::string_view, boost::system::error_code&) { return true; }
};

}  // namespace

std::optional<std::string> firstDuplicateKey(std::string_view json) {
  boost::json::basic_parser<KeyWatcher> parser{boost::json::parse_options{}};
  boost::system::error_code ec;
  parser.write_some(false, json.data(), json.size(), ec);
  return parser.handler().duplicate;
}

}  // namespace pushwren::sim
