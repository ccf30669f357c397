#include "sim/server/scenario_server.h"

#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>

#include "sim/server/http_exchange.h"

namespace pushwren::sim {

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

struct PendingAnswer {
  std::shared_ptr<HttpExchange> exchange;
  ServedResponse response;
};

ServedResponse notFound() {
  ServedResponse response;
  response.status = 404;
  return response;
}

}  // namespace

class ScenarioServer::State {
 public:
  explicit State(std::function<void()> onHold) : onHold_(std::move(onHold)) {
    boost::system::error_code ec;
    acceptor_.open(tcp::v4(), ec);
    if (!ec) acceptor_.bind({asio::ip::make_address_v4("127.0.0.1"), 0}, ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
      failure_ = "cannot listen on 127.0.0.1: " + ec.message();
      return;
    }
    address_ = "127.0.0.1:" + std::to_string(acceptor_.local_endpoint().port());
    accept();
    thread_ = std::thread([this] { io_.run(); });
  }

  ~State() {
    io_.stop();
    if (thread_.joinable()) thread_.join();
    // The exchanges waiting here go with their connections.
    held_.clear();
    gated_.clear();
  }

  const std::string& failure() const { return failure_; }
  const std::string& address() const { return address_; }

  void serve(const std::string& path, ServedResponse response) {
    std::lock_guard lock(mutex_);
    served_[path] = std::move(response);
  }

  void release(const std::string& path) {
    std::vector<PendingAnswer> released;
    {
      // The held count drops now, not when the server's thread gets to it: a host that waits
      // for every download but the held ones must wait for these from here on.
      std::lock_guard lock(mutex_);
      const auto held = held_.find(path);
      if (held == held_.end()) return;
      released = std::move(held->second);
      held_.erase(held);
      heldCount_ -= static_cast<int>(released.size());
    }
    for (auto& pending : released) {
      asio::post(io_, [this, pending = std::move(pending)] { answerInTime(pending); });
    }
  }

  void setGateOpen(bool open) {
    std::vector<PendingAnswer> waiting;
    {
      std::lock_guard lock(mutex_);
      gateOpen_ = open;
      if (open) waiting = std::exchange(gated_, {});
    }
    for (auto& pending : waiting) {
      asio::post(io_, [this, pending = std::move(pending)] { answerWhenGateOpen(pending); });
    }
  }

  int heldRequests() const {
    std::lock_guard lock(mutex_);
    return heldCount_;
  }

  int requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto count = requests_.find(path);
    return count == requests_.end() ? 0 : count->second;
  }

  std::optional<ReceivedRequest> lastRequest(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto last = lastRequests_.find(path);
    if (last == lastRequests_.end()) return std::nullopt;
    return last->second;
  }

 private:
  void accept() {
    acceptor_.async_accept([this](boost::system::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted) return;
      if (!ec) {
        std::make_shared<HttpExchange>(std::move(socket))
            ->readRequest([this](std::shared_ptr<HttpExchange> exchange, ReceivedRequest request) {
              received(std::move(exchange), std::move(request));
            });
      }
      accept();
    });
  }

  void received(std::shared_ptr<HttpExchange> exchange, ReceivedRequest request) {
    const std::string path = request.path();
    PendingAnswer pending{std::move(exchange), notFound()};
    bool held = false;
    {
      std::lock_guard lock(mutex_);
      ++requests_[path];
      lastRequests_[path] = std::move(request);
      if (const auto served = served_.find(path); served != served_.end()) pending.response = served->second;
      if (pending.response.hold) {
        pending.response.hold = false;
        held_[path].push_back(pending);
        ++heldCount_;
        held = true;
      }
    }
    if (!held) {
      answerInTime(pending);
    } else if (onHold_) {
      onHold_();
    }
  }

  void answerInTime(const PendingAnswer& pending) {
    pending.exchange->wait(pending.response.delay, [this, pending] { answerWhenGateOpen(pending); });
  }

  void answerWhenGateOpen(const PendingAnswer& pending) {
    {
      std::lock_guard lock(mutex_);
      if (!gateOpen_) {
        gated_.push_back(pending);
        return;
      }
    }
    pending.exchange->answer(pending.response);
  }

  asio::io_context io_;
  asio::executor_work_guard<asio::io_context::executor_type> work_{io_.get_executor()};
  tcp::acceptor acceptor_{io_};
  std::function<void()> onHold_;
  std::string failure_;
  std::string address_;
  std::thread thread_;

  mutable std::mutex mutex_;
  std::map<std::string, ServedResponse, std::less<>> served_;
  std::map<std::string, int, std::less<>> requests_;
  std::map<std::string, ReceivedRequest, std::less<>> lastRequests_;
  std::map<std::string, std::vector<PendingAnswer>, std::less<>> held_;
  int heldCount_ = 0;
  bool gateOpen_ = true;
  std::vector<PendingAnswer> gated_;
};

ScenarioServer::ScenarioServer(std::function<void()> onHold) : state_(std::make_unique<State>(std::move(onHold))) {}

ScenarioServer::~ScenarioServer() = default;

const std::string& ScenarioServer::failure() const { return state_->failure(); }
std::string ScenarioServer::address() const { return state_->address(); }
void ScenarioServer::serve(const std::string& path, ServedResponse response) { state_->serve(path, std::move(response)); }
void ScenarioServer::release(const std::string& path) { state_->release(path); }
void ScenarioServer::setGateOpen(bool open) { state_->setGateOpen(open); }
int ScenarioServer::heldRequests() const { return state_->heldRequests(); }
int ScenarioServer::requests(const std::string& path) const { return state_->requests(path); }
std::optional<ReceivedRequest> ScenarioServer::lastRequest(const std::string& path) const {
  return state_->lastRequest(path);
}

}  // namespace pushwren::sim
