#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/json/object.hpp>

#include "sim/playground/devices/device_process.h"
#include "sim/playground/devices/live_device.h"
#include "sim/playground/devices/session_file.h"
#include "sim/playground/tab/tab_runner.h"

namespace pushwren::sim::playground {

// How the playground starts a device's process: `pushwren-sim device` with the options every
// device shares (device_command.h).
struct DeviceCommand {
  std::string executable;
  std::vector<std::string> sharedOptions;
};

// How far the fleet goes: how many device processes run at once, and when one counts as hung.
struct FleetLimits {
  static constexpr std::size_t kMostDevices = 16;
  std::size_t mostDevices = kMostDevices;
  Liveness liveness;
};

// The playground's devices, each a process of its own running the step engine (device_process.h),
// "device 1", "device 2", ... Each browser tab shows one device and each device is shown in at
// most one tab, so a tap sent to one never reaches another, and a crash ends one device, not the
// playground. Device 1 starts with the playground, so scripts can drive it before any tab opens.
//
// A tab's device: the one it asks for (a reloaded tab asks for its own) when no other tab shows
// it, else the first device no tab has shown yet, else a new one. A device whose tab has gone
// lives on until the playground stops, or until its place is needed: at most `mostDevices`
// processes run at once, relaunched ones included, and a tab or a relaunch that would need one
// more is refused.
//
// What waits for a device is bounded: a tab's messages wait in its own connection while the
// device has not read the last few MiB sent to it, steps beyond kMostWaiting are refused with
// 503, and a device that stops giving signs of life is killed (Liveness), which answers every
// request still waiting with why.
//
// Each device writes its session into the sessions folder as it goes (session_record.h), and
// serve sends a session from there.
//
// The shell hears of its device in messages of its own:
//   {"type": "app", "device": "2", "name": "device 2", "state": "running"}
//   {"type": "app", "device": "2", "name": "device 2", "state": "crashed", "why": "...",
//    "errorOutput": ["last lines", ...]}
//   {"type": "app", "state": "refused", "why": "..."}
class DeviceFleet {
 public:
  // Step requests one device may have waiting; more are refused until it answers.
  static constexpr std::size_t kMostWaiting = 64;
  // What a device may leave unread of its tab's messages before the tab waits for it.
  static constexpr std::size_t kTabBacklog = std::size_t{4} << 20;
  // How long a device asked to end is given to exit on its own, its leak check included, before
  // it is killed.
  static constexpr std::chrono::seconds kEndGrace{30};

  // `sessions`: an existing folder the devices write their sessions into.
  DeviceFleet(boost::asio::io_context& io, PlaygroundFiles files, DeviceCommand command,
              std::filesystem::path sessions, FleetLimits limits = {});
  ~DeviceFleet();

  // An option every device is started with from now on.
  void addSharedOption(const std::string& name, const std::string& value) {
    command_.sharedOptions.insert(command_.sharedOptions.end(), {name, value});
  }

  const PlaygroundFiles& files() const { return files_; }
  // The site for the shell: {"kind": "url" | "folder", "name": its URL or folder, "start": the
  // path the web view opens first}.
  boost::json::object siteDescription() const;

  // Starts device 1; `started` hears nothing once it has launched, or why it could not, with
  // its error output.
  void startFirstDevice(std::function<void(std::optional<std::string> failure)> started);

  // The device a tab shows from now on, or nothing when it is refused (it has been told why).
  std::optional<std::string> openTab(const std::shared_ptr<PageChannel>& tab, std::optional<std::string> wanted);
  // What a tab said; `readMore` runs once the tab may send more: at once, or when the device has
  // read enough of what waits for it, or has ended.
  void tabSaid(const std::string& device, std::string message, std::function<void()> readMore);
  void closeTab(const std::string& device, const PageChannel* tab);

  // Steps for device `device`, or for the one a tab opened last when it is not named. Answers
  // as live_steps.h says, and 400 for a device that does not exist, 409 for one that has crashed
  // (unless the step is its relaunch), 503 when it has kMostWaiting requests waiting or its
  // relaunch would pass the cap, 500 when it crashes or hangs on the way.
  void applySteps(std::optional<std::string> device, std::string body, std::string by,
                  std::function<void(StepAnswer)> answer);
  // A device's session so far: "jsonl" (its steps) or "trace". Heard as the slice of its file to
  // send, or as a refusal (404 no such device, 409 crashed, 500 crashed on the way).
  void session(const std::string& device, const std::string& which,
               std::function<void(StepAnswer refusal, std::optional<SessionSlice> slice)> answer);
  // GET /__pushwren/devices: [{"id", "name", "state", "pid", "shown"}].
  std::string deviceList() const;

  // For the push API (push_api/, device_fleet_push.cpp): each device with whether a tab shows it
  // and why it crashed; a question to one device's process (StepAnswer as above, 404 for a device
  // that does not exist, 409 for one that has crashed); a message to the tab that shows a device,
  // or to every tab.
  struct DeviceView {
    std::string id;
    bool shown = false;
    std::optional<std::string> crash;
  };
  std::vector<DeviceView> deviceViews() const;
  void askDevice(const std::string& device, Frame frame, std::function<void(StepAnswer)> answer);
  void tellTab(const std::string& device, std::string message);
  void tellEveryTab(const std::string& message);

  // Asks every device to end, giving each kEndGrace; `running()` says when they all have.
  void stop();
  bool running() const;
  // The devices that ended in a fault of their own (DeviceProcess::endedInFault), with why, so
  // that a crash or a sanitizer's report in a device is not lost when the playground stops.
  const std::vector<std::string>& faults() const { return faults_; }

 private:
  struct Device {
    std::string id;
    unsigned life = 1;
    std::shared_ptr<DeviceProcess> process;
    std::weak_ptr<PageChannel> tab;
    bool shown = false;      // a tab shows it now
    bool everShown = false;  // a tab has shown it
    std::optional<std::string> crash;
    std::vector<std::string> crashOutput;
    std::function<void(std::optional<std::string>)> onReady;
  };

  Device* find(std::string_view id);
  Device& spawn(bool awaitRelaunch, Device* reborn = nullptr);
  void start(Device& device, bool awaitRelaunch);
  bool makeRoom(const Device* staying);
  std::string capText(std::string_view then) const;
  void ended(const std::string& id, const std::shared_ptr<DeviceProcess>& process, const std::string& why);
  void attach(Device& device, const std::shared_ptr<PageChannel>& tab);
  void tell(const Device& device, std::string message);
  std::string appMessage(const Device& device) const;
  void relaunchCrashed(Device& device, std::string body, std::string by, std::function<void(StepAnswer)> answer);
  void ask(Device& device, Frame frame, std::function<void(StepAnswer)> answer);

  boost::asio::io_context& io_;
  PlaygroundFiles files_;
  DeviceCommand command_;
  std::filesystem::path sessions_;
  FleetLimits limits_;
  std::map<unsigned, Device> devices_;
  std::vector<std::string> opened_;  // by when a tab last opened them, the latest last
  unsigned nextId_ = 1;
  std::vector<std::string> faults_;
  bool stopping_ = false;
};

}  // namespace pushwren::sim::playground
