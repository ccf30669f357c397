#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>

#include <boost/beast/core/file.hpp>
#include <boost/beast/http/basic_file_body.hpp>

namespace pushwren::sim::playground {

// A device's session file as it stood when asked: its first `size` bytes are the session so far.
struct SessionSlice {
  std::filesystem::path file;
  std::uint64_t size = 0;
};

// The first bytes of a file, read as Beast's file bodies read files. A session file grows while
// it is sent; the answer is the session as it stood when asked, in whole lines, streamed a
// piece at a time so that no session is ever held in memory, however large.
class FilePrefix {
 public:
  bool is_open() const { return file_.is_open(); }
  void close(boost::beast::error_code& ec) { file_.close(ec); }
  void open(char const* path, boost::beast::file_mode mode, boost::beast::error_code& ec) {
    file_.open(path, mode, ec);
  }
  // Reads stop after this many bytes.
  void keepTo(std::uint64_t length) { length_ = length; }
  std::uint64_t size(boost::beast::error_code& ec) const;
  std::uint64_t pos(boost::beast::error_code& ec) const { return file_.pos(ec); }
  void seek(std::uint64_t offset, boost::beast::error_code& ec) { file_.seek(offset, ec); }
  std::size_t read(void* buffer, std::size_t n, boost::beast::error_code& ec);
  // Read only.
  std::size_t write(void const* buffer, std::size_t n, boost::beast::error_code& ec);

 private:
  boost::beast::file file_;
  std::uint64_t length_ = std::numeric_limits<std::uint64_t>::max();
};

using SessionFileBody = boost::beast::http::basic_file_body<FilePrefix>;

// The body for a slice: opened, cut to its size. `ec` says why it cannot be read.
SessionFileBody::value_type sessionFileBody(const SessionSlice& slice, boost::beast::error_code& ec);

}  // namespace pushwren::sim::playground
