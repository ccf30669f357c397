// What the push API asks of the fleet: which devices there are, a question to one, a message to
// the tabs.
#include <boost/json/object.hpp>
#include <boost/json/serialize.hpp>

#include "sim/playground/devices/device_fleet.h"

namespace pushwren::sim::playground {

std::vector<DeviceFleet::DeviceView> DeviceFleet::deviceViews() const {
  std::vector<DeviceView> views;
  for (const auto& [number, device] : devices_) views.push_back({device.id, device.shown, device.crash});
  return views;
}

void DeviceFleet::askDevice(const std::string& id, Frame frame, std::function<void(StepAnswer)> answer) {
  auto* device = find(id);
  if (!device || !device->process) {
    return answer({404, boost::json::serialize(boost::json::object{{"error", "no device \"" + id + "\""}})});
  }
  if (device->crash) {
    return answer({409, boost::json::serialize(boost::json::object{{"error", "device " + id + " has crashed"}})});
  }
  ask(*device, std::move(frame), std::move(answer));
}

void DeviceFleet::tellTab(const std::string& id, std::string message) {
  if (const auto* device = find(id); device && device->shown) tell(*device, std::move(message));
}

void DeviceFleet::tellEveryTab(const std::string& message) {
  for (const auto& [number, device] : devices_) {
    if (device.shown) tell(device, message);
  }
}

}  // namespace pushwren::sim::playground
