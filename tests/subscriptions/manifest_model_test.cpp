#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "pushwren/subscriptions/CVPushwrenSubscriptionsModel.h"

namespace pushwren {
namespace {

// A model as one line: sections joined by " | ", each "name{identifier/name, ...}", with "~" for
// an absent value; "none" for no model.
std::string describe(const std::shared_ptr<CVPushwrenSubscriptionsModel>& model) {
  if (!model) return "none";
  const auto text = [](const std::optional<std::string>& value) { return value.value_or("~"); };
  std::string out;
  for (const auto& section : *model->sections()) {
    if (!out.empty()) out += " | ";
    out += text(section->name()) + "{";
    bool first = true;
    for (const auto& item : *section->items()) {
      out += (first ? "" : ", ") + text(item->identifier()) + "/" + text(item->name());
      first = false;
    }
    out += "}";
  }
  return out;
}

std::string read(std::string_view bytes) { return describe(CVPushwrenSubscriptionsModel::modelWithJSONData(bytes)); }

// The document in UTF-16 or UTF-32, either byte order, with or without a byte order mark.
template <class Char>
std::string encoded(std::basic_string_view<Char> text, bool bigEndian, bool withMark) {
  std::basic_string<Char> units(text);
  if (withMark) units.insert(units.begin(), Char(0xFEFF));
  std::string bytes;
  for (const auto unit : units) {
    for (std::size_t i = 0; i < sizeof(Char); ++i) {
      const auto shift = 8 * (bigEndian ? sizeof(Char) - 1 - i : i);
      bytes += static_cast<char>((static_cast<std::uint32_t>(unit) >> shift) & 0xFF);
    }
  }
  return bytes;
}
std::string utf16(std::u16string_view text, bool bigEndian, bool withMark = false) { return encoded(text, bigEndian, withMark); }
std::string utf32(std::u32string_view text, bool bigEndian, bool withMark = false) { return encoded(text, bigEndian, withMark); }

struct ReadCase {
  const char* what;
  std::string bytes;
  const char* model;
};

TEST(ModelWithJSONData, ReadsWhatItCanAndRefusesWhatIsNotADocument) {
  const ReadCase cases[] = {
      {"empty bytes", "", "none"},
      {"not JSON", "sections", "none"},
      {"truncated", R"({"sections": [)", "none"},
      {"trailing garbage", "{} x", "none"},
      {"trailing comma", R"({"sections": [],})", "none"},
      {"comment", "{} // c", "none"},
      {"bare number", "5", "none"},
      {"bare null", "null", "none"},
      {"bare string", R"("x")", "none"},
      {"bare true", "true", "none"},
      {"invalid UTF-8 in a string", "{\"sections\": [{\"name\": \"\xC3\x28\"}]}", "none"},
      {"empty object", "{}", ""},
      {"top-level array", R"([{"sections": [{"name": "A"}]}])", ""},
      {"sections an object", R"({"sections": {"name": "A"}})", ""},
      {"sections a string", R"({"sections": "A"})", ""},
      {"sections a number", R"({"sections": 3})", ""},
      {"entries that are not objects skipped", R"({"sections": [1, {"name": "A"}, "B", null, [], true]})", "A{}"},
      {"items absent or not a list keep their section in place",
       R"({"sections": [{"name": "A", "items": {}}, {"name": "B", "items": [{"identifier": "b", "name": "Bee"}]},
                        {"name": "C"}, {"name": "D", "items": "x"}]})",
       "A{} | B{b/Bee} | C{} | D{}"},
      {"section without a name", R"({"sections": [{"items": [{"identifier": "a", "name": "A"}]}]})", "~{a/A}"},
      {"item entries that are not objects skipped",
       R"({"sections": [{"name": "S", "items": [1, "x", null, [], {"identifier": "a", "name": "A"}, false]}]})",
       "S{a/A}"},
      {"missing names and identifiers", R"({"sections": [{"name": "S", "items": [{}, {"identifier": "a"}, {"name": "N"}]}]})",
       "S{~/~, a/~, ~/N}"},
      {"names and identifiers that are not strings count as absent",
       R"({"sections": [{"name": 7, "items": [{"identifier": 5, "name": null}, {"identifier": ["a"], "name": {"n": 1}},
                                              {"identifier": true, "name": 1.5}]}]})",
       "~{~/~, ~/~, ~/~}"},
      {"empty strings kept", R"({"sections": [{"name": "", "items": [{"identifier": "", "name": ""}]}]})", "{/}"},
      {"order and duplicates kept",
       R"({"sections": [{"name": "S", "items": [{"identifier": "z", "name": "1"}, {"identifier": "a", "name": "2"},
                                               {"identifier": "z", "name": "3"}]}, {"name": "S"}]})",
       "S{z/1, a/2, z/3} | S{}"},
      {"unknown keys ignored", R"({"version": 2, "sections": [{"name": "S", "colour": "red", "items": [{"identifier": "a", "extra": {}}]}]})",
       "S{a/~}"},
      {"a key given twice: the last one counts",
       R"({"sections": [{"name": "Old"}], "sections": [{"name": "A", "items": [{"identifier": "x"}], "name": 5,
           "items": [{"identifier": "a", "name": "Aye", "identifier": "b"}]}, {"name": "B", "name": "C"}]})",
       "~{b/Aye} | C{}"},
      {"a key given twice whose last value is of the wrong kind", R"({"sections": [{"name": "A"}], "sections": 1})", ""},
      {"look-alikes in nested values ignored",
       R"({"extra": {"sections": [{"name": "X"}]}, "sections": [{"name": "S", "meta": {"items": [{"identifier": "m"}]},
           "items": [{"identifier": "a", "more": {"identifier": "z", "name": "Z"}}, [{"identifier": "n"}]]}, [{"name": "N"}]]})",
       "S{a/~}"},
      {"nested 512 deep", R"({"sections": [{"name": "S", "x": )" + std::string(509, '[') + std::string(509, ']') + "}]}",
       "S{}"},
      {"nested past 512", R"({"sections": [{"name": "S", "x": )" + std::string(510, '[') + std::string(510, ']') + "}]}",
       "none"},
      {"surrounding white space", " \r\n\t{\"sections\": [{\"name\": \"S\"}]} \n", "S{}"},
      {"UTF-8 with a byte order mark", "\xEF\xBB\xBF{\"sections\": [{\"name\": \"Caf\xC3\xA9\"}]}", "Caf\xC3\xA9{}"},
      {"escaped characters", R"({"sections": [{"name": "\u00e9\ud83c\udfb5\n"}]})", "\xC3\xA9\xF0\x9F\x8E\xB5\n{}"},
  };
  for (const auto& c : cases) EXPECT_EQ(read(c.bytes), c.model) << c.what;
}

TEST(ModelWithJSONData, ReadsUTF16AndUTF32Documents) {
  const std::u16string text16 = u"{\"sections\": [{\"name\": \"Caf\u00e9 \U0001F3B5\"}]}";
  const std::u32string text32 = U"{\"sections\": [{\"name\": \"Caf\u00e9 \U0001F3B5\"}]}";
  const std::string expected = "Caf\xC3\xA9 \xF0\x9F\x8E\xB5{}";
  const ReadCase cases[] = {
      {"UTF-16 big endian", utf16(text16, true), expected.c_str()},
      {"UTF-16 little endian", utf16(text16, false), expected.c_str()},
      {"UTF-16 big endian with a mark", utf16(text16, true, true), expected.c_str()},
      {"UTF-16 little endian with a mark", utf16(text16, false, true), expected.c_str()},
      {"UTF-32 big endian", utf32(text32, true), expected.c_str()},
      {"UTF-32 little endian", utf32(text32, false), expected.c_str()},
      {"UTF-32 big endian with a mark", utf32(text32, true, true), expected.c_str()},
      {"UTF-32 little endian with a mark", utf32(text32, false, true), expected.c_str()},
      {"UTF-16 of the shortest document", utf16(u"{}", false), ""},
      {"UTF-16 bare value", utf16(u"12", true), "none"},
      {"UTF-16 with an odd byte count", utf16(text16, false) + " ", "none"},
      {"UTF-16 with a lone high surrogate", utf16(u"{\"sections\": [{\"name\": \"\xD83C\"}]}", false), "none"},
      {"UTF-16 with a lone low surrogate", utf16(u"{\"sections\": [{\"name\": \"\xDF35\"}]}", true), "none"},
      {"UTF-32 past U+10FFFF", utf32(U"{\"sections\": [{\"name\": \"\x110000\"}]}", true), "none"},
      {"UTF-32 with a surrogate", utf32(U"{\"sections\": [{\"name\": \"\xD800\"}]}", false), "none"},
      {"UTF-32 with a partial unit", utf32(text32, true).substr(1), "none"},
  };
  for (const auto& c : cases) EXPECT_EQ(read(c.bytes), c.model) << c.what;
}

struct MarkCase {
  const char* what;
  const char* tags;
  const char* subscribed;  // one digit per item, in document order
};

TEST(MarkSubscribedItems, AnItemIsOnWhenItsIdentifierIsATagKey) {
  const auto manifest = R"({"sections": [
      {"name": "A", "items": [{"identifier": "news", "name": "News"}, {"name": "No id"}, {"identifier": "news"}]},
      {"name": "B", "items": [{"identifier": "sports"}, {"identifier": ""}]}]})";
  const MarkCase cases[] = {
      {"no tags", "{}", "00000"},
      {"one key marks both items with it", R"({"news": "1"})", "10100"},
      {"any value counts", R"({"news": "0", "sports": "word"})", "10110"},
      {"keys are case-sensitive", R"({"News": "1", "SPORTS": "1", " news": "1"})", "00000"},
      {"the empty key", R"({"": "1"})", "00001"},
      {"other keys mark nothing", R"({"weather": "1"})", "00000"},
  };
  for (const auto& c : cases) {
    const auto model = CVPushwrenSubscriptionsModel::modelWithJSONData(manifest);
    ASSERT_TRUE(model);
    model->markSubscribedItems(boost::json::parse(c.tags).as_object());
    std::string subscribed;
    for (const auto& section : *model->sections()) {
      for (const auto& item : *section->items()) subscribed += item->isSubscribed() ? '1' : '0';
    }
    EXPECT_EQ(subscribed, c.subscribed) << c.what;
  }
}

}  // namespace
}  // namespace pushwren
