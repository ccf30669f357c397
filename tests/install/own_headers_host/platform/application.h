#pragma once

// The host's own application class, at the path the plugin's platform layer also uses.
namespace host {

struct Application {
  const char* name = "own application";
};

}  // namespace host
