#pragma once

// The host's own event emitter, at the path the plugin's host contract also uses.
namespace host {

struct EventEmitter {
  const char* name = "own event emitter";
};

}  // namespace host
