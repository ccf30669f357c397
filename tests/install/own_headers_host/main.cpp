// Builds only if the plugin's headers never pick up this host's platform/ and contracts/ headers,
// and the package forces no definition that takes io_service away. Prints one line per part.
#include <iostream>

#include <boost/asio/io_service.hpp>

#include "contracts/host/event_emitter.h"
#include "platform/application.h"
#include <pushwren/contracts/host/event_emitter.h>
#include <pushwren/contracts/host/register_module.h>
#include <pushwren/platform/application.h>
#include <pushwren/plugin/CVPushwren.h>

int main() {
  boost::asio::io_service io;
  io.post([] { std::cout << "io_service: ran\n"; });
  io.run();

  std::cout << "host: " << host::Application().name << ", " << host::EventEmitter().name << "\n";
  pushwren::CVPushwren::load();
  for (const auto& module : pushwren::CVRegisteredModules()) std::cout << "plugin: module " << module.className << "\n";
  return 0;
}
