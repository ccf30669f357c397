#include "subscriptions/manifest_reader.h"

#include <cstdint>
#include <string>
#include <vector>

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/parse_options.hpp>

namespace pushwren {
namespace {

namespace json = boost::json;

// What a container is to the manifest.
enum class Place : std::uint8_t {
  TopObject,
  SectionList,  // the top object's "sections"
  Section,      // an object in that list
  ItemList,     // a section's "items"
  Item,         // an object in that list
  Ignored,      // anything else, and all it holds
};

// The key whose value comes next, in an object that has keys worth reading.
enum class Field : std::uint8_t { None, Sections, Name, Items, Identifier };

struct Section {
  std::optional<std::string> name;
  CVPushwrenSubscriptionItems items;
};

class ManifestHandler {
 public:
  static constexpr std::size_t max_object_size = -1;
  static constexpr std::size_t max_array_size = -1;
  static constexpr std::size_t max_key_size = -1;
  static constexpr std::size_t max_string_size = -1;

  bool on_document_begin(json::error_code&) { return true; }
  bool on_document_end(json::error_code&) { return true; }

  bool on_object_begin(json::error_code&) { return open(false); }
  bool on_object_end(std::size_t, json::error_code&) { return close(); }
  bool on_array_begin(json::error_code&) { return open(true); }
  bool on_array_end(std::size_t, json::error_code&) { return close(); }

  bool on_key_part(json::string_view part, std::size_t, json::error_code&) {
    key_.append(part.data(), part.size());
    return true;
  }
  bool on_key(json::string_view part, std::size_t, json::error_code&) {
    key_.append(part.data(), part.size());
    field_ = fieldOfKey();
    key_.clear();
    return true;
  }

  bool on_string_part(json::string_view part, std::size_t, json::error_code&) {
    if (wantsString()) text_.append(part.data(), part.size());
    return true;
  }
  bool on_string(json::string_view part, std::size_t, json::error_code&) {
    if (wantsString()) {
      text_.append(part.data(), part.size());
      setText(std::move(text_));
      text_.clear();
    }
    return scalar();
  }

  bool on_number_part(json::string_view, json::error_code&) { return true; }
  bool on_int64(std::int64_t, json::string_view, json::error_code&) { return scalar(); }
  bool on_uint64(std::uint64_t, json::string_view, json::error_code&) { return scalar(); }
  bool on_double(double, json::string_view, json::error_code&) { return scalar(); }
  bool on_bool(bool, json::error_code&) { return scalar(); }
  bool on_null(json::error_code&) { return scalar(); }
  bool on_comment_part(json::string_view, json::error_code&) { return true; }
  bool on_comment(json::string_view, json::error_code&) { return true; }

  bool sawContainer() const { return sawContainer_; }
  CVPushwrenSubscriptionsSections takeSections() { return std::move(sections_); }

 private:
  // The key just read, as a field of the object it is in. Reading the key already settles the
  // field's old value: a later key of the same name replaces it, as in a document.
  Field fieldOfKey() {
    if (places_.empty()) return Field::None;
    switch (places_.back()) {
      case Place::TopObject:
        if (key_ == "sections") {
          sections_.clear();
          return Field::Sections;
        }
        return Field::None;
      case Place::Section:
        if (key_ == "name") {
          section_.name.reset();
          return Field::Name;
        }
        if (key_ == "items") {
          section_.items.clear();
          return Field::Items;
        }
        return Field::None;
      case Place::Item:
        if (key_ == "identifier") {
          identifier_.reset();
          return Field::Identifier;
        }
        if (key_ == "name") {
          name_.reset();
          return Field::Name;
        }
        return Field::None;
      default: return Field::None;
    }
  }

  bool wantsString() const { return field_ == Field::Name || field_ == Field::Identifier; }

  void setText(std::string text) {
    if (places_.back() == Place::Section) {
      section_.name = std::move(text);
    } else if (field_ == Field::Identifier) {
      identifier_ = std::move(text);
    } else {
      name_ = std::move(text);
    }
  }

  // A value that is no container: whatever it was for is settled.
  bool scalar() {
    field_ = Field::None;
    return true;
  }

  bool open(bool isArray) {
    Place place = Place::Ignored;
    if (places_.empty()) {
      sawContainer_ = true;
      place = isArray ? Place::Ignored : Place::TopObject;
    } else if (isArray && field_ == Field::Sections) {
      place = Place::SectionList;
    } else if (isArray && field_ == Field::Items) {
      place = Place::ItemList;
    } else if (!isArray && places_.back() == Place::SectionList) {
      place = Place::Section;
      section_ = Section{};
    } else if (!isArray && places_.back() == Place::ItemList) {
      place = Place::Item;
      identifier_.reset();
      name_.reset();
    }
    field_ = Field::None;
    places_.push_back(place);
    return true;
  }

  bool close() {
    const auto place = places_.back();
    places_.pop_back();
    if (place == Place::Section) {
      auto section = std::make_shared<CVPushwrenSubscriptionsSection>();
      section->setName(std::move(section_.name));
      section->setItems(std::move(section_.items));
      sections_.push_back(std::move(section));
    } else if (place == Place::Item) {
      section_.items.push_back(std::make_shared<CVPushwrenSubscriptionItem>(std::move(identifier_), std::move(name_)));
    }
    field_ = Field::None;
    return true;
  }

  std::vector<Place> places_;
  Field field_ = Field::None;
  std::string key_;
  std::string text_;
  bool sawContainer_ = false;
  CVPushwrenSubscriptionsSections sections_;
  Section section_;  // the section being read (sections do not nest)
  std::optional<std::string> identifier_;
  std::optional<std::string> name_;
};

}  // namespace

std::optional<CVPushwrenSubscriptionsSections> readManifestSections(std::string_view text) {
  json::parse_options options;
  // Deep enough for any manifest with nested extras; the parser keeps its own stack, so this is
  // a bound on memory, not on recursion.
  options.max_depth = 512;
  json::basic_parser<ManifestHandler> parser(options);
  json::error_code ec;
  // As boost::json::parse reads a whole text: one value, nothing after it but white space.
  const auto read = parser.write_some(false, text.data(), text.size(), ec);
  if (ec || read < text.size() || !parser.handler().sawContainer()) return std::nullopt;
  return parser.handler().takeSections();
}

}  // namespace pushwren
