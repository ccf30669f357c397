#include <gtest/gtest.h>

#include <string>

#include "sim/playground/site/upstream_rewrites.h"

namespace pushwren::sim::playground {
namespace {

UpstreamSite devServer() { return {"localhost", "5173", "http://localhost:5173", "localhost:5173", "/"}; }

struct Rewrite {
  std::string from;
  std::string to;
};

class Location : public ::testing::TestWithParam<Rewrite> {};

TEST_P(Location, PointsAtThePlaygroundWhenItNamedTheSite) {
  EXPECT_EQ(locationForPlayground(GetParam().from, devServer()), GetParam().to) << GetParam().from;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Location,
    ::testing::Values(Rewrite{"http://localhost:5173/login?next=%2Fa#top", "/login?next=%2Fa#top"},
                      Rewrite{"http://LOCALHOST:5173", "/"}, Rewrite{"//localhost:5173/a", "/a"},
                      Rewrite{"/already/relative", "/already/relative"}, Rewrite{"next", "next"},
                      // Another port, scheme, host or a user name: not the site.
                      Rewrite{"http://localhost:5174/a", "http://localhost:5174/a"},
                      Rewrite{"https://localhost:5173/a", "https://localhost:5173/a"},
                      Rewrite{"http://example.com/a", "http://example.com/a"},
                      Rewrite{"http://u@localhost:5173/a", "http://u@localhost:5173/a"},
                      Rewrite{"not a url", "not a url"}));

TEST(Location, ThePortDefaultsToEighty) {
  const UpstreamSite site{"127.0.0.1", "80", "http://127.0.0.1", "127.0.0.1", "/"};
  EXPECT_EQ(locationForPlayground("http://127.0.0.1/x", site), "/x");
  EXPECT_EQ(locationForPlayground("http://127.0.0.1:80/x", site), "/x");
}

class Cookie : public ::testing::TestWithParam<Rewrite> {};

TEST_P(Cookie, LosesItsDomainAndKeepsTheRest) { EXPECT_EQ(cookieForPlayground(GetParam().from), GetParam().to); }

INSTANTIATE_TEST_SUITE_P(
    Table, Cookie,
    ::testing::Values(Rewrite{"sid=1; Domain=localhost; Path=/; HttpOnly", "sid=1; Path=/; HttpOnly"},
                      Rewrite{"sid=1;domain=.example.com;Secure", "sid=1;Secure"}, Rewrite{"sid=1", "sid=1"},
                      // The cookie itself may be called domain.
                      Rewrite{"domain=kept; DOMAIN = localhost", "domain=kept"}));

class Policy : public ::testing::TestWithParam<Rewrite> {};

TEST_P(Policy, KeepsEverythingButFrameAncestors) { EXPECT_EQ(policyForWebView(GetParam().from), GetParam().to); }

INSTANTIATE_TEST_SUITE_P(
    Table, Policy,
    ::testing::Values(Rewrite{"default-src 'self'; frame-ancestors 'none'", "default-src 'self'"},
                      Rewrite{"FRAME-ANCESTORS 'none';script-src 'self'  ; img-src *", "script-src 'self'; img-src *"},
                      Rewrite{"frame-ancestors 'none'", ""}, Rewrite{"script-src 'self'", "script-src 'self'"},
                      // Only the directive of that name, not one that starts alike.
                      Rewrite{"frame-ancestorsx a; frame-src 'self'", "frame-ancestorsx a; frame-src 'self'"}));

TEST(AddressForSite, OnlyThePlaygroundsOwnAddressesChange) {
  const auto site = devServer();
  EXPECT_EQ(addressForSite("http://127.0.0.1:8080", "http://127.0.0.1:8080", site), "http://localhost:5173");
  EXPECT_EQ(addressForSite("http://127.0.0.1:8080/a?b", "http://127.0.0.1:8080", site), "http://localhost:5173/a?b");
  EXPECT_EQ(addressForSite("http://127.0.0.1:80801/a", "http://127.0.0.1:8080", site), "http://127.0.0.1:80801/a");
  EXPECT_EQ(addressForSite("https://example.com/", "http://127.0.0.1:8080", site), "https://example.com/");
}

}  // namespace
}  // namespace pushwren::sim::playground
