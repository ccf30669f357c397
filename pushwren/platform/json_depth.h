#pragma once

#include <cstddef>

namespace pushwren {

// How deeply JSON read from outside (a manifest, the page's percent-encoded arguments) may nest.
// Deep enough for any real document with nested extras; Boost.JSON's parser keeps its own stack,
// so this bounds memory, not recursion, and deeper text is refused as bad input.
inline constexpr std::size_t kMaxJsonDepth = 512;

}  // namespace pushwren
