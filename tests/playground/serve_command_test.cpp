#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/playground/serve_command.h"

namespace pushwren::sim::playground {
namespace {

struct BadServe {
  std::vector<std::string> args;
  const char* says;
};

class ServeRefuses : public ::testing::TestWithParam<BadServe> {};

TEST_P(ServeRefuses, WithExitTwoAndWhatIsWrong) {
  std::ostringstream out, err;
  EXPECT_EQ(serveCommand(GetParam().args, out, err), 2);
  EXPECT_NE(err.str().find(GetParam().says), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ServeRefuses,
    ::testing::Values(BadServe{{"--port"}, "--port needs a value"},
                      BadServe{{"--port", "http"}, "--port must be a number from 0 to 65535, not http"},
                      BadServe{{"--port", "65536"}, "not 65536"}, BadServe{{"--port", "-1"}, "not -1"},
                      BadServe{{"--verbose"}, "unknown option --verbose"},
                      BadServe{{"--config", "/nonexistent/config.json"}, "/nonexistent/config.json: cannot be read"},
                      BadServe{{"--manifest", "/nonexistent/topics.json"}, "/nonexistent/topics.json: cannot be read"},
                      BadServe{{"--site"}, "--site needs a value"},
                      BadServe{{"--record"}, "--record needs a value"},
                      BadServe{{"--port", "0", "--record", "/dev/null/sessions"}, "--record /dev/null/sessions: cannot be made"},
                      BadServe{{"--site", "/nonexistent/site"}, "/nonexistent/site is neither an http URL nor a folder"},
                      BadServe{{"--site", "https://localhost:5173"}, "only http URLs are proxied"},
                      // A site whose server is down is waited for (tests/browser/site_start.test.mjs);
                      // a malformed one is refused.
                      BadServe{{"--site", "http://"}, "the URL needs a host"}));

class ServeConfigFile : public ::testing::Test {
 protected:
  ~ServeConfigFile() override { std::remove(path.c_str()); }
  int serveWith(const std::string& content) {
    std::ofstream(path) << content;
    return serveCommand({"--port", "0", "--config", path}, out, err);
  }

  std::string path = ::testing::TempDir() + "pushwren-serve-config.json";
  std::ostringstream out, err;
};

TEST_F(ServeConfigFile, ThatIsNotJsonIsRefused) {
  EXPECT_EQ(serveWith("{\"oneSignalV5Enabled\": "), 2);
  EXPECT_NE(err.str().find(path + ": not JSON"), std::string::npos) << err.str();
}

TEST_F(ServeConfigFile, MustBeAnObjectOfKnownProperties) {
  EXPECT_EQ(serveWith("[true]"), 2);
  EXPECT_NE(err.str().find("must be a JSON object of host configuration properties"), std::string::npos);
  err.str("");
  EXPECT_EQ(serveWith(R"({"oneSignalV5Enabled": true, "oneSignalV6": 1})"), 2);
  EXPECT_NE(err.str().find(path + ": unknown host configuration property \"oneSignalV6\""), std::string::npos)
      << err.str();
  err.str("");
  EXPECT_EQ(serveWith(R"({"oneSignalV5Enabled": "yes"})"), 2);
  EXPECT_NE(err.str().find("oneSignalV5Enabled"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "") << "nothing is served";
}

}  // namespace
}  // namespace pushwren::sim::playground
