#pragma once

#include <cstddef>
#include <string>

#include <curl/curl.h>

#include "pushwren/platform/net/data_transfer.h"
#include "pushwren/platform/net/url_session.h"

namespace pushwren {

// One GET as a libcurl easy handle: redirects followed up to a limit, no headers of its own, no
// cache, the configured patience and body limit. The worker drives the handle; this object keeps
// what the handle writes into.
class CurlTransfer {
 public:
  CurlTransfer(const std::string& url, const URLSessionConfiguration& configuration);
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // None when libcurl could not make a handle.
  CURL* handle() const { return easy_; }

  // What the transfer ended with, given the result that libcurl reported for it.
  TransferOutcome outcome(CURLcode result);

  static constexpr long kMaximumRedirects = 16;

 private:
  static std::size_t receive(char* data, std::size_t size, std::size_t count, void* self);
  URLError errorFor(CURLcode result) const;

  CURL* easy_ = nullptr;
  curl_slist* headers_ = nullptr;
  std::string body_;
  std::size_t maximumBodyBytes_;
  long patienceSeconds_;
  bool bodyTooLarge_ = false;
  char errorText_[CURL_ERROR_SIZE] = {};
};

}  // namespace pushwren
