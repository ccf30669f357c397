#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "sim/playground/server/origin_policy.h"

namespace pushwren::sim::playground {
namespace {

struct OriginCase {
  std::optional<std::string_view> origin;
  bool allowed;
};

class OriginAllowed : public ::testing::TestWithParam<OriginCase> {};

TEST_P(OriginAllowed, OnlyThePlaygroundsOwnPageOrNoPageAtAll) {
  EXPECT_EQ(originAllowed(GetParam().origin, 8080), GetParam().allowed) << GetParam().origin.value_or("(none)");
}

INSTANTIATE_TEST_SUITE_P(
    Table, OriginAllowed,
    ::testing::Values(OriginCase{"http://127.0.0.1:8080", true}, OriginCase{"http://localhost:8080", true},
                      // A script or a tool sends no Origin.
                      OriginCase{std::nullopt, true},
                      OriginCase{"http://127.0.0.1:8081", false}, OriginCase{"http://127.0.0.1", false},
                      OriginCase{"https://127.0.0.1:8080", false}, OriginCase{"http://evil.example", false},
                      OriginCase{"http://127.0.0.1:8080.evil.example", false},
                      OriginCase{"http://localhost:80800", false}, OriginCase{"null", false}, OriginCase{"", false},
                      OriginCase{"HTTP://127.0.0.1:8080/", false}));

}  // namespace
}  // namespace pushwren::sim::playground
