#include <gtest/gtest.h>

#include <string>

#include "sim/playground/site/client_script.h"

namespace pushwren::sim::playground {
namespace {

constexpr const char* kTag = R"(<script src="/__pushwren/pushwren.js"></script>)";

struct Document {
  std::string html;
  std::string edited;  // with "@" where the tag goes
};

class ClientScript : public ::testing::TestWithParam<Document> {};

TEST_P(ClientScript, GoesBeforeThePagesOwnScriptsOnce) {
  std::string expected = GetParam().edited;
  if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, kTag);
  EXPECT_EQ(withClientScript(GetParam().html), expected) << GetParam().html;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClientScript,
    ::testing::Values(
        Document{"<!doctype html><html><head><title>t</title><script src=a.js></script></head></html>",
                 "<!doctype html><html><head>@<title>t</title><script src=a.js></script></head></html>"},
        // Tag names in any case, with attributes; <header> is not a head.
        Document{"<HTML lang=en><HEAD data-x=\"1\"><body><header>h</header>", "<HTML lang=en><HEAD data-x=\"1\">@<body><header>h</header>"},
        Document{"<html><body><header>x</header></body></html>", "<html>@<body><header>x</header></body></html>"},
        // No head and no html: after the doctype, or at the very start.
        Document{"<!DOCTYPE html>\n<p>hi</p><script>go()</script>", "<!DOCTYPE html>@\n<p>hi</p><script>go()</script>"},
        Document{"<p>hi</p>", "@<p>hi</p>"}, Document{"", "@"},
        Document{"\xEF\xBB\xBF<p>bom</p>", "\xEF\xBB\xBF@<p>bom</p>"},
        // A script before the head still comes after the client.
        Document{"<script>early()</script><head></head>", "@<script>early()</script><head></head>"},
        // A page that loads the client itself is left as it is.
        Document{"<head><script src=\"/__pushwren/pushwren.js\"></script></head>",
                 "<head><script src=\"/__pushwren/pushwren.js\"></script></head>"},
        // A head tag that never closes is no place for the tag.
        Document{"<p>x</p><head", "@<p>x</p><head"}));

}  // namespace
}  // namespace pushwren::sim::playground
