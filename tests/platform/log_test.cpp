#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pushwren/platform/log.h"

namespace pushwren {
namespace {

TEST(NSLog, ControlCharactersAreWrittenAsJSONWritesThemSoALineStaysOneLine) {
  struct Case {
    std::string line;
    std::string written;
  };
  const Case cases[] = {
      {"plain line", "plain line"},
      {"two\nlines", "two\\nlines"},
      {"tab\there", "tab\\there"},
      {"cr\r and ff\f and bs\b", R"(cr\r and ff\f and bs\b)"},
      {"escape \x1b[31m", "escape \\u001b[31m"},
      {std::string("nul \0 byte", 10), "nul \\u0000 byte"},
      {"back\\slash and \"quotes\" and \xC3\xA9", "back\\slash and \"quotes\" and \xC3\xA9"},
  };
  std::vector<std::string> lines;
  setLogSink([&](std::string_view line) { lines.emplace_back(line); });
  for (const auto& c : cases) NSLog(c.line);
  setLogSink(nullptr);
  ASSERT_EQ(lines.size(), std::size(cases));
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], cases[i].written) << cases[i].line;
}

TEST(NSLog, AnAbsentObjectPrintsAsNull) {
  EXPECT_EQ(logDescription(std::nullopt), "(null)");
  EXPECT_EQ(logDescription(std::string()), "");
  EXPECT_EQ(logDescription(std::string("http://x/")), "http://x/");
}

}  // namespace
}  // namespace pushwren
