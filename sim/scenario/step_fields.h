#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

namespace pushwren::sim {

// A scenario step that cannot run as written; the runner reports it with the file and line.
class StepError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The fields of one step, read with their kinds checked. Each reader throws StepError naming the
// field and the kind it must have.
class StepFields {
 public:
  explicit StepFields(const boost::json::object& step) : step_(step) {}

  const boost::json::object& all() const { return step_; }
  const boost::json::value* find(std::string_view name) const { return step_.if_contains(name); }

  std::string string(std::string_view name) const;
  std::optional<std::string> optionalString(std::string_view name) const;  // omitted or null: none
  bool boolean(std::string_view name) const;
  std::optional<bool> optionalBoolean(std::string_view name) const;
  std::int64_t integer(std::string_view name) const;
  std::optional<std::int64_t> optionalInteger(std::string_view name) const;
  const boost::json::object& object(std::string_view name) const;
  std::optional<boost::json::object> optionalObject(std::string_view name) const;  // omitted or null: none

 private:
  const boost::json::value& required(std::string_view name, std::string_view kind) const;

  const boost::json::object& step_;
};

// Throws StepError("field NAME must be KIND").
[[noreturn]] void wrongKind(std::string_view name, std::string_view kind);

}  // namespace pushwren::sim
