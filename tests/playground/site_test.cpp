#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sim/playground/site/site.h"

namespace pushwren::sim::playground {
namespace {

TEST(ReadSite, AnHttpUrlIsProxied) {
  std::string why;
  const auto site = readSite("http://localhost:5173/app/?v=1", why);
  ASSERT_TRUE(site) << why;
  const auto& upstream = std::get<UpstreamSite>(*site);
  EXPECT_EQ(upstream.host, "localhost");
  EXPECT_EQ(upstream.port, "5173");
  EXPECT_EQ(upstream.origin, "http://localhost:5173");
  EXPECT_EQ(upstream.authority, "localhost:5173");
  EXPECT_EQ(upstream.startPath, "/app/?v=1");

  const auto plain = readSite("http://127.0.0.1", why);
  ASSERT_TRUE(plain);
  EXPECT_EQ(std::get<UpstreamSite>(*plain).port, "80");
  EXPECT_EQ(std::get<UpstreamSite>(*plain).startPath, "/");
}

TEST(ReadSite, AFolderIsServedFromItsRealPlace) {
  std::string why;
  const auto temp = std::filesystem::temp_directory_path();
  const auto site = readSite((temp / "." / "").string(), why);
  ASSERT_TRUE(site) << why;
  EXPECT_EQ(std::get<FolderSite>(*site).root, std::filesystem::canonical(temp));
}

struct Refused {
  const char* text;
  const char* says;
};

class ReadSiteRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(ReadSiteRefuses, SayingWhy) {
  std::string why;
  EXPECT_FALSE(readSite(GetParam().text, why));
  EXPECT_NE(why.find(GetParam().says), std::string::npos) << why;
}

INSTANTIATE_TEST_SUITE_P(Table, ReadSiteRefuses,
                         ::testing::Values(Refused{"https://example.com", "only http URLs are proxied"},
                                           Refused{"ftp://example.com/", "only http URLs are proxied"},
                                           Refused{"http://user@localhost:1/", "no user name"},
                                           Refused{"http://exa mple.com/", "not a well-formed URL"},
                                           Refused{"/no/such/folder", "neither an http URL nor a folder"},
                                           Refused{"", "neither an http URL nor a folder"}));

}  // namespace
}  // namespace pushwren::sim::playground
