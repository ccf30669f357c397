#include "sim/playground/devices/device_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <iostream>

#include <boost/asio/post.hpp>

#include "sim/scenario/simulation.h"

extern char** environ;

namespace pushwren::sim::playground {
namespace {

// Pipe ends are kept above the descriptors a child is given (0 to 3), close-on-exec.
constexpr int kLowestKept = 10;
constexpr std::size_t kLongestErrorLine = 1000;
constexpr std::chrono::milliseconds kReapInterval{10};
constexpr std::chrono::seconds kReapLimit{2};
static_assert(Liveness::kSilenceLimit > Simulation::kSettleLimit,
              "a step waiting for its downloads is not a hang");
// How often the playground looks for a device's last sign of life.
constexpr std::chrono::milliseconds kWatchInterval{250};

struct Pipe {
  int read = -1;
  int write = -1;
};

int keptAbove(int fd) {
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kLowestKept);
  ::close(fd);
  return moved;
}

std::optional<Pipe> makePipe() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
  Pipe made{keptAbove(ends[0]), keptAbove(ends[1])};
  if (made.read < 0 || made.write < 0) {
    if (made.read >= 0) ::close(made.read);
    if (made.write >= 0) ::close(made.write);
    return std::nullopt;
  }
  return made;
}

void closeBoth(Pipe& pipe) {
  if (pipe.read >= 0) ::close(pipe.read);
  if (pipe.write >= 0) ::close(pipe.write);
  pipe = {};
}

std::string describeEnd(int status) {
  if (WIFEXITED(status)) {
    const int code = WEXITSTATUS(status);
    return code == 0 ? "it exited" : "it exited with status " + std::to_string(code);
  }
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = sigdescr_np(signal);
    return "it was killed by signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : "");
  }
  return "it ended";
}

}  // namespace

DeviceProcess::DeviceProcess(boost::asio::io_context& io, std::string name, Liveness liveness)
    : io_(io), name_(std::move(name)), liveness_(std::move(liveness)), watchdog_(io), reaper_(io), endLimit_(io) {}

DeviceProcess::~DeviceProcess() {
  if (pid_ > 0 && !ended_) {
    ::kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::optional<std::string> DeviceProcess::start(const std::vector<std::string>& command, Listener listener) {
  // A device that dies leaves its input pipe without a reader: writing to it must fail, not kill
  // the playground with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  listener_ = std::move(listener);
  auto toChild = makePipe();
  auto fromChild = makePipe();
  auto errors = makePipe();
  if (!toChild || !fromChild || !errors) {
    for (auto* made : {&toChild, &fromChild, &errors}) {
      if (*made) closeBoth(**made);
    }
    return "no pipe for it: " + std::error_code(errno, std::generic_category()).message();
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild->read, 0);
  posix_spawn_file_actions_adddup2(&actions, errors->write, 1);
  posix_spawn_file_actions_adddup2(&actions, errors->write, 2);
  posix_spawn_file_actions_adddup2(&actions, fromChild->write, 3);
  // The playground's sockets stay its own: a device holding a copy would keep a closed tab's
  // connection open.
  posix_spawn_file_actions_addclosefrom_np(&actions, 4);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group: a Ctrl-C in the playground's terminal is the playground's to handle,
  // which then ends its devices in order.
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  argv.reserve(command.size() + 1);
  for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const int failed = posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(toChild->read);
  ::close(fromChild->write);
  ::close(errors->write);
  if (failed != 0) {
    pid_ = -1;
    ::close(toChild->write);
    ::close(fromChild->read);
    ::close(errors->read);
    return command.front() + " cannot be started: " + std::error_code(failed, std::generic_category()).message();
  }

  const std::weak_ptr<DeviceProcess> weak = weak_from_this();
  frames_ = std::make_shared<FramePipe>(io_, fromChild->read, toChild->write);
  errors_ = std::make_unique<boost::asio::posix::stream_descriptor>(io_, errors->read);
  streamsOpen_ = 2;
  frames_->start(
      [weak](Frame frame) {
        if (const auto self = weak.lock()) self->heard(std::move(frame));
      },
      [weak](const std::string& why) {
        const auto self = weak.lock();
        if (!self) return;
        if (!why.empty()) self->kill("it wrote what is not a frame: " + why);
        self->streamEnded();
      });
  readErrors();
  lastSign_ = liveness_.now();
  watch();
  return std::nullopt;
}

void DeviceProcess::watch() {
  watchdog_.expires_after(kWatchInterval);
  watchdog_.async_wait([weak = weak_from_this()](boost::system::error_code ec) {
    const auto self = weak.lock();
    if (ec || !self || !self->running() || self->finishing_) return;
    const auto silence = self->liveness_.now() - self->lastSign_;
    if (silence < self->liveness_.silenceLimit) return self->watch();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g",
                  std::chrono::duration<double>(self->liveness_.silenceLimit).count());
    self->kill(std::string("it gave no sign of life for ") + seconds + " s, as if hung");
  });
}

void DeviceProcess::send(const Frame& frame) {
  if (running()) frames_->send(frame);
}

void DeviceProcess::afterRead(std::function<void()> then) {
  if (!running()) return boost::asio::post(io_, std::move(then));
  frames_->afterWritten(std::move(then));
}

void DeviceProcess::ask(Frame frame, std::function<void(std::optional<Frame>)> answered) {
  if (!running()) return answered(std::nullopt);
  frame.ask = ++lastAsk_;
  questions_[frame.ask] = std::move(answered);
  frames_->send(frame);
}

void DeviceProcess::heard(Frame frame) {
  lastSign_ = liveness_.now();
  if (frame.kind == "page") {
    if (listener_.page) listener_.page(std::move(frame.body));
  } else if (frame.kind == "answer") {
    const auto found = questions_.find(frame.ask);
    if (found == questions_.end()) return;
    auto question = std::move(found->second);
    questions_.erase(found);
    question(std::move(frame));
  } else if (frame.kind == "ready") {
    if (listener_.ready) listener_.ready();
  }
}

void DeviceProcess::finish(std::chrono::milliseconds grace) {
  if (!running()) return;
  // Ending takes its own time (a sanitizer's leak check, say): the grace is its bound now.
  finishing_ = true;
  watchdog_.cancel();
  frames_->closeWriting();
  endLimit_.expires_after(grace);
  endLimit_.async_wait([weak = weak_from_this()](boost::system::error_code ec) {
    const auto self = weak.lock();
    if (!ec && self) self->kill("it did not end when asked");
  });
}

void DeviceProcess::kill(const std::string& why) {
  if (!running()) return;
  if (!killedBecause_) killedBecause_ = why;
  // Its whole process group: anything it started holds its pipes open too.
  ::kill(-pid_, SIGKILL);
}

void DeviceProcess::readErrors() {
  errors_->async_read_some(boost::asio::buffer(errorBuffer_),
                           [weak = weak_from_this()](boost::system::error_code ec, std::size_t size) {
                             const auto self = weak.lock();
                             if (!self || ec == boost::asio::error::operation_aborted) return;
                             if (ec) {
                               if (!self->partialErrorLine_.empty()) self->keepErrorText("\n");
                               return self->streamEnded();
                             }
                             self->keepErrorText(std::string_view(self->errorBuffer_.data(), size));
                             self->readErrors();
                           });
}

void DeviceProcess::keepErrorText(std::string_view text) {
  for (const char c : text) {
    if (c != '\n' && partialErrorLine_.size() < kLongestErrorLine) {
      partialErrorLine_ += c;
      continue;
    }
    if (c != '\n') continue;  // the rest of an over-long line
    std::cerr << name_ << ": " << partialErrorLine_ << '\n';
    errorLines_.push_back(std::move(partialErrorLine_));
    partialErrorLine_.clear();
    if (errorLines_.size() > kErrorLinesKept) errorLines_.pop_front();
  }
}

void DeviceProcess::streamEnded() {
  if (--streamsOpen_ > 0) return;
  reapGiveUp_ = std::chrono::steady_clock::now() + kReapLimit;
  reap();
}

void DeviceProcess::reap() {
  int status = 0;
  const pid_t reaped = waitpid(pid_, &status, WNOHANG);
  if (reaped == pid_ || reaped < 0) {
    faulted_ = reaped == pid_ && ((WIFEXITED(status) && WEXITSTATUS(status) != 0) ||
                                  (WIFSIGNALED(status) && WTERMSIG(status) != SIGKILL));
    return over(killedBecause_.value_or(reaped == pid_ ? describeEnd(status) : "it ended"));
  }
  // Its pipes are closed but it lives on: it is not a device any more.
  if (std::chrono::steady_clock::now() >= reapGiveUp_) kill("it closed its pipes and went on");
  reaper_.expires_after(kReapInterval);
  reaper_.async_wait([weak = weak_from_this()](boost::system::error_code ec) {
    const auto self = weak.lock();
    if (!ec && self) self->reap();
  });
}

void DeviceProcess::over(const std::string& why) {
  ended_ = true;
  endLimit_.cancel();
  watchdog_.cancel();
  frames_->close();
  boost::system::error_code ignored;
  errors_->close(ignored);
  // The listener hears of the end before the questions left unanswered, so their askers can say
  // why.
  if (listener_.ended) listener_.ended(why);
  auto questions = std::move(questions_);
  questions_.clear();
  for (auto& [ask, question] : questions) question(std::nullopt);
}

}  // namespace pushwren::sim::playground
