#include "sim/playground/server/request_framing.h"

#include <vector>

#include <boost/beast/core/string.hpp>
#include <boost/range/iterator_range_core.hpp>

namespace pushwren::sim::playground {
namespace http = boost::beast::http;

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> framingFault(const http::request_header<>& request) {
  const auto fields = request.equal_range(http::field::transfer_encoding);
  if (fields.first == fields.second) return std::nullopt;
  if (request.find(http::field::content_length) != request.end()) {
    return "a request may carry Transfer-Encoding or Content-Length, not both";
  }
  std::vector<std::string_view> codings;
  std::string written;
  for (const auto& field : boost::make_iterator_range(fields)) {
    std::string_view list(field.value().data(), field.value().size());
    if (!written.empty()) written += ", ";
    written += list;
    while (!list.empty()) {
      const auto comma = list.find(',');
      const auto coding = trimmed(list.substr(0, comma));
      if (!coding.empty()) codings.push_back(coding);
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
  }
  if (request.version() < 11) return "Transfer-Encoding needs HTTP/1.1";
  if (codings.size() == 1 && boost::beast::iequals(codings.front(), "chunked")) return std::nullopt;
  return "Transfer-Encoding \"" + written + "\" is not supported: send the body with Content-Length, or with "
         "Transfer-Encoding: chunked alone";
}

}  // namespace pushwren::sim::playground
