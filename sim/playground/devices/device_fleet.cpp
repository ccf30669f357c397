#include "sim/playground/devices/device_fleet.h"

#include <algorithm>
#include <charconv>
#include <iostream>

#include <boost/json/array.hpp>
#include <boost/json/serialize.hpp>

#include "sim/playground/devices/session_record.h"
#include "sim/scenario/scenario_reader.h"

namespace pushwren::sim::playground {
namespace {

std::string errorAnswer(const std::string& why, const std::vector<std::string>& errorOutput = {}) {
  boost::json::object answer{{"error", why}};
  if (!errorOutput.empty()) answer["errorOutput"] = boost::json::array(errorOutput.begin(), errorOutput.end());
  return boost::json::serialize(answer);
}

std::string nameOf(std::string_view id) { return "device " + std::string(id); }

}  // namespace

DeviceFleet::DeviceFleet(boost::asio::io_context& io, PlaygroundFiles files, DeviceCommand command,
                         std::filesystem::path sessions, FleetLimits limits)
    : io_(io),
      files_(std::move(files)),
      command_(std::move(command)),
      sessions_(std::move(sessions)),
      limits_(std::move(limits)) {}

DeviceFleet::~DeviceFleet() { stopping_ = true; }

boost::json::object DeviceFleet::siteDescription() const {
  if (const auto* upstream = std::get_if<UpstreamSite>(&files_.site)) {
    return {{"kind", "url"}, {"name", upstream->origin}, {"start", upstream->startPath}};
  }
  return {{"kind", "folder"}, {"name", siteName(files_.site)}, {"start", "/"}};
}

DeviceFleet::Device* DeviceFleet::find(std::string_view id) {
  unsigned number = 0;
  const auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), number);
  if (ec != std::errc() || end != id.data() + id.size()) return nullptr;
  const auto found = devices_.find(number);
  return found == devices_.end() ? nullptr : &found->second;
}

void DeviceFleet::startFirstDevice(std::function<void(std::optional<std::string>)> started) {
  auto& device = spawn(false);
  if (device.crash) return started(*device.crash);
  device.onReady = std::move(started);
}

DeviceFleet::Device& DeviceFleet::spawn(bool awaitRelaunch, Device* reborn) {
  if (!reborn) {
    const unsigned number = nextId_++;
    reborn = &devices_[number];
    reborn->id = std::to_string(number);
  } else {
    ++reborn->life;
    reborn->crash.reset();
    reborn->crashOutput.clear();
  }
  start(*reborn, awaitRelaunch);
  opened_.erase(std::remove(opened_.begin(), opened_.end(), reborn->id), opened_.end());
  opened_.push_back(reborn->id);
  return *reborn;
}

void DeviceFleet::start(Device& device, bool awaitRelaunch) {
  auto command = std::vector<std::string>{command_.executable, "device", "--id", device.id, "--life",
                                          std::to_string(device.life)};
  command.insert(command.end(), command_.sharedOptions.begin(), command_.sharedOptions.end());
  command.insert(command.end(), {"--record", sessions_.string()});
  if (awaitRelaunch) command.emplace_back("--await-relaunch");
  auto process = std::make_shared<DeviceProcess>(io_, nameOf(device.id), limits_.liveness);
  device.process = process;
  const auto id = device.id;
  const std::weak_ptr<DeviceProcess> weak = process;
  const auto problem = process->start(
      command, {[this, id] {
                  auto* device = find(id);
                  if (device && device->onReady) std::exchange(device->onReady, nullptr)(std::nullopt);
                },
                [this, id](std::string message) {
                  auto* device = find(id);
                  if (device && device->shown) tell(*device, std::move(message));
                },
                [this, id, weak](const std::string& why) { ended(id, weak.lock(), why); }});
  if (problem) {
    device.crash = *problem;
    std::cerr << "playground: " << nameOf(id) << ": " << *problem << '\n';
  }
}

void DeviceFleet::ended(const std::string& id, const std::shared_ptr<DeviceProcess>& process, const std::string& why) {
  if (process && process->endedInFault()) faults_.push_back(nameOf(id) + ": " + why);
  auto* device = find(id);
  // A device let go (or its earlier life) is not mourned.
  if (stopping_ || !device || device->process != process) return;
  device->crash = why;
  const auto& lines = process->lastErrorLines();
  device->crashOutput.assign(lines.begin(), lines.end());
  std::cerr << "playground: " << nameOf(id) << " crashed: " << why
            << (device->shown ? "; its tab offers to relaunch it\n" : "\n");
  if (device->onReady) {
    std::string failure = nameOf(id) + " did not start: " + why;
    for (const auto& line : device->crashOutput) failure += "\n  " + line;
    std::exchange(device->onReady, nullptr)(failure);
  }
  if (device->shown) tell(*device, appMessage(*device));
}

// Every running process counts, whether a tab shows it, a tab left it, or a relaunch brought it
// back; one that has crashed holds no place.
bool DeviceFleet::makeRoom(const Device* staying) {
  std::size_t live = 0;
  for (const auto& [number, device] : devices_) live += device.process && device.process->running() ? 1 : 0;
  if (live < limits_.mostDevices) return true;
  // The running device a tab left longest ago goes.
  for (auto place = opened_.begin(); place != opened_.end(); ++place) {
    auto* device = find(*place);
    if (!device || device == staying || device->shown || !device->process || !device->process->running()) continue;
    // Its process ends with it (DeviceProcess's destructor). The id is taken out of the list
    // before the erase: a reference into the list would name the next device once its element
    // is gone.
    const auto id = std::move(*place);
    opened_.erase(place);
    devices_.erase(static_cast<unsigned>(std::stoul(id)));
    return true;
  }
  return false;
}

std::string DeviceFleet::capText(std::string_view then) const {
  return "The playground runs " + std::to_string(limits_.mostDevices) + " devices, each shown in a tab; close a tab " +
         std::string(then) + ".";
}

std::optional<std::string> DeviceFleet::openTab(const std::shared_ptr<PageChannel>& tab,
                                                std::optional<std::string> wanted) {
  Device* device = wanted ? find(*wanted) : nullptr;
  if (device && device->shown) device = nullptr;
  if (!device) {
    for (auto& [number, each] : devices_) {
      if (!each.everShown && !each.shown) {
        device = &each;
        break;
      }
    }
  }
  if (!device) {
    if (stopping_ || !makeRoom(nullptr)) {
      tab->send(boost::json::serialize(
          boost::json::object{{"type", "app"}, {"state", "refused"}, {"why", capText("to open another")}}));
      return std::nullopt;
    }
    device = &spawn(false);
  }
  attach(*device, tab);
  return device->id;
}

void DeviceFleet::attach(Device& device, const std::shared_ptr<PageChannel>& tab) {
  device.tab = tab;
  device.shown = device.everShown = true;
  opened_.erase(std::remove(opened_.begin(), opened_.end(), device.id), opened_.end());
  opened_.push_back(device.id);
  tell(device, appMessage(device));
  if (!device.crash && device.process) device.process->send({"open", 0, "-", ""});
}

void DeviceFleet::tabSaid(const std::string& id, std::string message, std::function<void()> readMore) {
  auto* device = find(id);
  if (!device || !device->process || device->crash) return readMore();
  device->process->send({"said", 0, "-", std::move(message)});
  // A device that falls behind holds its tab back: the messages wait in the tab's connection,
  // not in the playground's memory.
  if (device->process->backlog() < kTabBacklog) return readMore();
  device->process->afterRead(std::move(readMore));
}

void DeviceFleet::closeTab(const std::string& id, const PageChannel* tab) {
  auto* device = find(id);
  if (!device || device->tab.lock().get() != tab) return;
  device->tab.reset();
  device->shown = false;
  if (device->process && !device->crash) device->process->send({"close", 0, "-", ""});
}

void DeviceFleet::tell(const Device& device, std::string message) {
  if (const auto tab = device.tab.lock()) tab->send(std::move(message));
}

std::string DeviceFleet::appMessage(const Device& device) const {
  boost::json::object message{{"type", "app"}, {"device", device.id}, {"name", nameOf(device.id)}};
  if (!device.crash) {
    message["state"] = "running";
  } else {
    message["state"] = "crashed";
    message["why"] = *device.crash;
    message["errorOutput"] = boost::json::array(device.crashOutput.begin(), device.crashOutput.end());
  }
  return boost::json::serialize(message);
}

void DeviceFleet::applySteps(std::optional<std::string> id, std::string body, std::string by,
                             std::function<void(StepAnswer)> answer) {
  Device* device = nullptr;
  if (id) {
    device = find(*id);
  } else if (!opened_.empty()) {
    device = find(opened_.back());
  }
  if (!device) {
    std::string known;
    for (const auto& [number, each] : devices_) known += (known.empty() ? "" : ", ") + each.id;
    return answer({400, errorAnswer(id ? "no device \"" + *id + "\": the devices are " + known
                                       : "no device runs: open the playground in a tab")});
  }
  if (device->crash) return relaunchCrashed(*device, std::move(body), std::move(by), std::move(answer));
  ask(*device, {"steps", 0, by, std::move(body)}, std::move(answer));
}

void DeviceFleet::ask(Device& device, Frame frame, std::function<void(StepAnswer)> answer) {
  if (device.process->questionsWaiting() >= kMostWaiting) {
    return answer({503, errorAnswer(nameOf(device.id) + " has " + std::to_string(kMostWaiting) +
                                    " requests waiting; send more once they are answered")});
  }
  device.process->ask(std::move(frame), [this, id = device.id, answer = std::move(answer)](std::optional<Frame> heard) {
    if (heard) {
      unsigned status = 500;
      std::from_chars(heard->arg.data(), heard->arg.data() + heard->arg.size(), status);
      return answer({status, std::move(heard->body)});
    }
    const auto* device = find(id);
    const auto why = device && device->crash ? *device->crash : std::string("it ended");
    answer({500, errorAnswer(nameOf(id) + " crashed on the way: " + why,
                             device ? device->crashOutput : std::vector<std::string>{})});
  });
}

// A crashed device takes one step: its relaunch, which starts its process anew. The new process
// keeps what the playground gives every device; the old one's state went with it.
void DeviceFleet::relaunchCrashed(Device& device, std::string body, std::string by,
                                  std::function<void(StepAnswer)> answer) {
  std::vector<ScenarioStep> steps;
  try {
    steps = readSteps(body);
  } catch (const StepError& e) {
    return answer({400, errorAnswer(e.what())});
  }
  if (steps.size() != 1 || steps.front().kind->name != "relaunch") {
    return answer({409, errorAnswer(nameOf(device.id) + " has crashed (" + *device.crash +
                                        R"(); relaunch it first: {"do": "relaunch"})",
                                    device.crashOutput)});
  }
  if (!makeRoom(&device)) return answer({503, errorAnswer(capText("to relaunch this one"))});
  spawn(true, &device);
  if (device.crash) return answer({500, errorAnswer(nameOf(device.id) + ": " + *device.crash)});
  ask(device, {"steps", 0, std::move(by), std::move(body)},
      [this, id = device.id, answer = std::move(answer)](StepAnswer result) {
    // The tab shows the new process once it has launched: its page is the new process's page.
    if (auto* device = find(id); device && device->shown && !device->crash) {
      tell(*device, appMessage(*device));
      device->process->send({"open", 0, "-", ""});
    }
    answer(std::move(result));
  });
}

void DeviceFleet::session(const std::string& id, const std::string& which,
                          std::function<void(StepAnswer, std::optional<SessionSlice>)> answer) {
  auto* device = find(id);
  if (!device) return answer({404, errorAnswer("no device \"" + id + "\"")}, std::nullopt);
  if (device->crash) {
    return answer({409, errorAnswer(nameOf(id) + " has crashed (" + *device->crash +
                                    "): its session ended with its process; serve --record DIR keeps every "
                                    "session on disk as it goes")},
                  std::nullopt);
  }
  auto file = sessions_ / sessionFileName(id, device->life, which == "trace" ? "trace" : "jsonl");
  ask(*device, {"session", 0, which, ""}, [file = std::move(file), answer = std::move(answer)](StepAnswer heard) {
    std::uint64_t size = 0;
    const auto& text = heard.body;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (heard.status != 200 || ec != std::errc() || end != text.data() + text.size()) {
      if (heard.status == 200) heard = {500, errorAnswer("the device did not say how long its session is")};
      return answer(std::move(heard), std::nullopt);
    }
    answer({200, ""}, SessionSlice{file, size});
  });
}

std::string DeviceFleet::deviceList() const {
  boost::json::array list;
  for (const auto& [number, device] : devices_) {
    list.push_back({{"id", device.id},
                    {"name", nameOf(device.id)},
                    {"state", device.crash ? "crashed" : "running"},
                    {"pid", device.process ? device.process->pid() : -1},
                    {"shown", device.shown}});
  }
  return boost::json::serialize(boost::json::object{{"devices", std::move(list)}});
}

void DeviceFleet::stop() {
  stopping_ = true;
  for (auto& [number, device] : devices_) {
    if (device.process) device.process->finish(kEndGrace);
  }
}

bool DeviceFleet::running() const {
  return std::any_of(devices_.begin(), devices_.end(),
                     [](const auto& entry) { return entry.second.process && entry.second.process->running(); });
}

}  // namespace pushwren::sim::playground
