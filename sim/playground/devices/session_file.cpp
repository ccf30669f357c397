#include "sim/playground/devices/session_file.h"

#include <algorithm>

namespace pushwren::sim::playground {

std::uint64_t FilePrefix::size(boost::beast::error_code& ec) const { return std::min(file_.size(ec), length_); }

std::size_t FilePrefix::read(void* buffer, std::size_t n, boost::beast::error_code& ec) {
  const auto at = file_.pos(ec);
  if (ec) return 0;
  const auto left = at < length_ ? length_ - at : 0;
  return file_.read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(n, left)), ec);
}

std::size_t FilePrefix::write(void const*, std::size_t, boost::beast::error_code& ec) {
  ec = make_error_code(boost::system::errc::operation_not_supported);
  return 0;
}

SessionFileBody::value_type sessionFileBody(const SessionSlice& slice, boost::beast::error_code& ec) {
  FilePrefix file;
  file.open(slice.file.c_str(), boost::beast::file_mode::scan, ec);
  SessionFileBody::value_type body;
  if (ec) return body;
  file.keepTo(slice.size);
  body.reset(std::move(file), ec);
  return body;
}

}  // namespace pushwren::sim::playground
