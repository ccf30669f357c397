#pragma once
// Manifests and tag sets made up for the benchmarks: sections of topics, as a newsroom's app
// would publish them, grown to the size asked for.
#include <cstddef>
#include <string>

#include <boost/json/object.hpp>

namespace pushwren::bench {

inline std::string topicIdentifier(std::size_t n) { return "topic-" + std::to_string(n); }

// A manifest of about `bytes` bytes (never less), 100 topics to a section.
inline std::string generatedManifest(std::size_t bytes) {
  std::string out = R"({"sections": [)";
  std::size_t topic = 0;
  while (out.size() < bytes) {
    if (topic > 0) out += ", ";
    out += R"({"name": "Section )" + std::to_string(topic / 100) + R"(", "items": [)";
    for (std::size_t i = 0; i < 100 && out.size() < bytes; ++i, ++topic) {
      if (i > 0) out += ", ";
      out += R"({"identifier": ")" + topicIdentifier(topic) + R"(", "name": "Topic )" + std::to_string(topic) +
             R"( \u00e9dition"})";
    }
    out += "]}";
  }
  return out + "]}";
}

// A manifest of exactly `items` topics.
inline std::string manifestOfItems(std::size_t items) {
  std::string out = R"({"sections": [)";
  for (std::size_t topic = 0; topic < items; ++topic) {
    if (topic % 100 == 0) out += std::string(topic > 0 ? "]}, " : "") + R"({"name": "Section )" +
                                 std::to_string(topic / 100) + R"(", "items": [)";
    else out += ", ";
    out += R"({"identifier": ")" + topicIdentifier(topic) + R"(", "name": "Topic )" + std::to_string(topic) + R"("})";
  }
  return out + (items > 0 ? "]}]}" : "]}");
}

// The data tags of 10,000 users' worth of subscriptions: 10,000 keys, every third one a topic.
inline boost::json::object generatedTags() {
  boost::json::object tags;
  tags.reserve(10000);
  for (std::size_t n = 0; n < 10000; ++n) {
    if (n % 3 == 0) tags[topicIdentifier(n)] = "1";
    else tags["user-attribute-" + std::to_string(n)] = "value";
  }
  return tags;
}

}  // namespace pushwren::bench
