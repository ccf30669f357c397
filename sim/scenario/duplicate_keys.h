#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pushwren::sim {

// The first key that an object of this JSON text names twice, at any depth; none when every
// object names each key once, or when the text is not JSON (parsing says why). The JSON reader
// would keep the last of the two silently, so a step would run with a value its writer may not
// have meant.
std::optional<std::string> firstDuplicateKey(std::string_view json);

}  // namespace pushwren::sim
