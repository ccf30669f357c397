#pragma once

#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/steady_timer.hpp>

#include "sim/playground/devices/frame_pipe.h"

namespace pushwren::sim::playground {

// How the playground tells a hung device from a busy one. A device says it is alive every
// kHeartbeat while its main queue runs, in the middle of a step or of a download's wait too; one
// silent for `silenceLimit` has stopped answering (stopped by a signal, stuck in a loop) and is
// killed. The limit counts from the last frame heard, so a long step or queued steps are never
// a hang. The clock is a parameter so that tests decide when time has passed.
struct Liveness {
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // Longer than anything a live device does without returning to its queue: a step's wait for
  // its downloads (Simulation::kSettleLimit), or fetching a file of the playground's site.
  static constexpr std::chrono::seconds kSilenceLimit{30};

  std::chrono::milliseconds silenceLimit = kSilenceLimit;
  Clock now = [] { return std::chrono::steady_clock::now(); };
};

// One device's process as the playground sees it: started with a command line, spoken to in
// frames, its error output passed on to the playground's own with the device's name before each
// line and its last lines kept. A process that ends, or stops giving signs of life (Liveness),
// is over: the listener hears why once, with those last lines, and every question still waiting
// is answered with nothing. Starting one makes the whole process ignore SIGPIPE.
class DeviceProcess : public std::enable_shared_from_this<DeviceProcess> {
 public:
  static constexpr std::size_t kErrorLinesKept = 20;

  struct Listener {
    std::function<void()> ready;
    std::function<void(std::string message)> page;
    // The process has ended: `why` as a person reads it ("it was killed by signal 9").
    std::function<void(const std::string& why)> ended;
  };

  DeviceProcess(boost::asio::io_context& io, std::string name, Liveness liveness = {});
  ~DeviceProcess();

  // Starts `command` (the executable first); returns why it could not be started.
  std::optional<std::string> start(const std::vector<std::string>& command, Listener listener);
  void send(const Frame& frame);
  // Bytes sent that the process has not read yet.
  std::size_t backlog() const { return frames_ ? frames_->backlog() : 0; }
  // `then` runs once the process has read everything sent so far, or once it has ended.
  void afterRead(std::function<void()> then);
  // Sends a question (its `ask` is filled in) and hears the answer, or nothing once the process
  // has ended (hung ones are killed first). However long the answer takes, a process that stays
  // alive is waited for.
  void ask(Frame frame, std::function<void(std::optional<Frame>)> answered);
  std::size_t questionsWaiting() const { return questions_.size(); }
  // Asks it to end (its frames in end) and kills it if it has not within `grace`. Its error
  // output is read to the end meanwhile: a sanitizer's report comes as it exits.
  void finish(std::chrono::milliseconds grace);

  bool running() const { return pid_ > 0 && !ended_; }
  // Whether it ended as a fault of its own: a status other than 0, or a signal other than the
  // SIGKILL a person or the playground ends a device with (a sanitizer's report, a crash).
  bool endedInFault() const { return faulted_; }
  pid_t pid() const { return pid_; }
  const std::deque<std::string>& lastErrorLines() const { return errorLines_; }

 private:
  using Question = std::function<void(std::optional<Frame>)>;
  void heard(Frame frame);
  void watch();
  // Kills its whole process group, keeping the first reason given as why it ended.
  void kill(const std::string& why);
  void readErrors();
  void keepErrorText(std::string_view text);
  void streamEnded();
  void reap();
  void over(const std::string& why);

  boost::asio::io_context& io_;
  std::string name_;
  Liveness liveness_;
  std::chrono::steady_clock::time_point lastSign_;
  boost::asio::steady_timer watchdog_;
  bool finishing_ = false;
  pid_t pid_ = -1;
  std::shared_ptr<FramePipe> frames_;
  std::unique_ptr<boost::asio::posix::stream_descriptor> errors_;
  std::array<char, 4096> errorBuffer_{};
  std::string partialErrorLine_;
  std::deque<std::string> errorLines_;
  Listener listener_;
  std::map<std::uint64_t, Question> questions_;
  std::uint64_t lastAsk_ = 0;
  int streamsOpen_ = 0;
  std::optional<std::string> killedBecause_;
  boost::asio::steady_timer reaper_;
  boost::asio::steady_timer endLimit_;
  std::chrono::steady_clock::time_point reapGiveUp_;
  bool ended_ = false;
  bool faulted_ = false;
};

}  // namespace pushwren::sim::playground
