#pragma once

#include <string>
#include <string_view>

namespace pushwren {

// ASCII letters in lower case, every other byte as it is. URL schemes are compared this way:
// whatever the user's locale, "HTTP" is "http" and no other byte changes.
inline std::string asciiLowercase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace pushwren
