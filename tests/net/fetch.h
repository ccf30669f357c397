#pragma once

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "pushwren/platform/main_queue.h"
#include "pushwren/platform/net/url_session.h"

namespace pushwren::testing {

struct Fetched {
  std::string body;
  std::shared_ptr<const URLResponse> response;
  std::optional<URLError> error;
  std::thread::id thread;  // where the completion handler ran
};

// The plugin's configuration. A transfer that must succeed keeps a limit no busy machine reaches;
// a test about the time-out sets a short one itself.
inline URLSessionConfiguration testConfiguration() {
  auto configuration = URLSessionConfiguration::defaultSessionConfiguration();
  configuration.requestCachePolicy = URLSessionConfiguration::CachePolicy::ReloadIgnoringLocalCacheData;
  configuration.urlCache = false;
  return configuration;
}

// Starts a GET the way the plugin does, keeping neither the session nor the task.
inline std::future<Fetched> startFetch(const std::string& url, URLSessionConfiguration configuration = testConfiguration()) {
  auto promise = std::make_shared<std::promise<Fetched>>();
  auto future = promise->get_future();
  URLSession::sessionWithConfiguration(configuration)
      ->dataTaskWithURL(url,
                        [promise](std::string body, std::shared_ptr<const URLResponse> response,
                                  std::optional<URLError> error) {
                          promise->set_value({std::move(body), std::move(response), std::move(error),
                                              std::this_thread::get_id()});
                        })
      ->resume();
  return future;
}

// A bound on waiting, so that a broken transfer fails the test instead of hanging it; longer than
// the transfer's own limit, so a transfer that ends by itself is never cut short here.
inline Fetched await(std::future<Fetched> future) {
  if (future.wait_for(std::chrono::seconds(90)) != std::future_status::ready) {
    return {{}, nullptr, URLError{"test: the completion handler did not run"}, {}};
  }
  return future.get();
}

inline Fetched fetch(const std::string& url, URLSessionConfiguration configuration = testConfiguration()) {
  return await(startFetch(url, configuration));
}

// Waits until no data task counts as outside work any more; false when that did not happen.
inline bool waitForNoOutsideWork() {
  auto& queue = MainQueue::shared();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  for (;;) {
    const auto seen = queue.generation();
    if (queue.outsideWork() == 0) return true;
    if (!queue.waitForActivity(seen, deadline)) return false;
  }
}

}  // namespace pushwren::testing
