#include "pushwren/platform/net/curl_transfer.h"

#include <algorithm>

#include "pushwren/platform/ascii.h"

namespace pushwren {

CurlTransfer::CurlTransfer(const std::string& url, const URLSessionConfiguration& configuration)
    : easy_(curl_easy_init()),
      maximumBodyBytes_(configuration.maximumBodyBytes),
      patienceSeconds_(std::max<long>(1, static_cast<long>(configuration.timeoutIntervalForRequest.count()))) {
  if (easy_ == nullptr) return;
  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https,file");
  // A server must not send the client to a local file.
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaximumRedirects);
  // A plain GET: the only header libcurl adds by itself is "Accept: */*"; an empty value drops it.
  headers_ = curl_slist_append(nullptr, "Accept:");
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
  // The transfer runs on a thread of its own; signals are not for it.
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  // Patience: a connection that is not made, or a transfer during which not a byte arrives, for
  // that long ends in an error.
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, patienceSeconds_);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, patienceSeconds_);
  // A body announced larger than the limit is refused before it is read; one that is not
  // announced is stopped by receive().
  curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumBodyBytes_));
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::receive);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
}

CurlTransfer::~CurlTransfer() {
  if (easy_ != nullptr) curl_easy_cleanup(easy_);
  curl_slist_free_all(headers_);
}

std::size_t CurlTransfer::receive(char* data, std::size_t size, std::size_t count, void* self) {
  auto& transfer = *static_cast<CurlTransfer*>(self);
  const std::size_t bytes = size * count;
  if (bytes > transfer.maximumBodyBytes_ - std::min(transfer.maximumBodyBytes_, transfer.body_.size())) {
    transfer.bodyTooLarge_ = true;
    return 0;  // libcurl ends the transfer with a write error
  }
  transfer.body_.append(data, bytes);
  return bytes;
}

TransferOutcome CurlTransfer::outcome(CURLcode result) {
  if (result != CURLE_OK) return {{}, nullptr, errorFor(result)};
  auto response = std::make_shared<URLResponse>();
  if (const char* effective = nullptr; curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
    response->url = effective;
  }
  const char* scheme = nullptr;
  curl_easy_getinfo(easy_, CURLINFO_SCHEME, &scheme);
  if (scheme != nullptr && (asciiLowercase(scheme) == "http" || asciiLowercase(scheme) == "https")) {
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    response->statusCode = status;
  }
  return {std::move(body_), std::move(response), std::nullopt};
}

URLError CurlTransfer::errorFor(CURLcode result) const {
  if (bodyTooLarge_ || result == CURLE_FILESIZE_EXCEEDED) {
    return {"the response body is too large: more than " + std::to_string(maximumBodyBytes_) + " bytes"};
  }
  const std::string detail = errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(result);
  if (result == CURLE_OPERATION_TIMEDOUT) {
    return {"the request timed out: nothing arrived for " + std::to_string(patienceSeconds_) + " s (" + detail + ")"};
  }
  return {detail};
}

}  // namespace pushwren
