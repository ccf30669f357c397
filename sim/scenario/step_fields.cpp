#include "sim/scenario/step_fields.h"

namespace pushwren::sim {

void wrongKind(std::string_view name, std::string_view kind) {
  throw StepError("field \"" + std::string(name) + "\" must be " + std::string(kind));
}

const boost::json::value& StepFields::required(std::string_view name, std::string_view kind) const {
  const auto* value = find(name);
  if (value == nullptr) wrongKind(name, kind);
  return *value;
}

std::string StepFields::string(std::string_view name) const {
  const auto& value = required(name, "a string");
  if (!value.is_string()) wrongKind(name, "a string");
  return std::string(value.get_string());
}

std::optional<std::string> StepFields::optionalString(std::string_view name) const {
  const auto* value = find(name);
  if (value == nullptr || value->is_null()) return std::nullopt;
  if (!value->is_string()) wrongKind(name, "a string");
  return std::string(value->get_string());
}

bool StepFields::boolean(std::string_view name) const {
  const auto& value = required(name, "a boolean");
  if (!value.is_bool()) wrongKind(name, "a boolean");
  return value.get_bool();
}

std::optional<bool> StepFields::optionalBoolean(std::string_view name) const {
  const auto* value = find(name);
  if (value == nullptr) return std::nullopt;
  if (!value->is_bool()) wrongKind(name, "a boolean");
  return value->get_bool();
}

std::int64_t StepFields::integer(std::string_view name) const {
  const auto& value = required(name, "an integer");
  if (value.is_int64()) return value.get_int64();
  if (value.is_uint64() && value.get_uint64() <= static_cast<std::uint64_t>(INT64_MAX)) {
    return static_cast<std::int64_t>(value.get_uint64());
  }
  wrongKind(name, "an integer");
}

std::optional<std::int64_t> StepFields::optionalInteger(std::string_view name) const {
  if (find(name) == nullptr) return std::nullopt;
  return integer(name);
}

const boost::json::object& StepFields::object(std::string_view name) const {
  const auto& value = required(name, "an object");
  if (!value.is_object()) wrongKind(name, "an object");
  return value.get_object();
}

std::optional<boost::json::object> StepFields::optionalObject(std::string_view name) const {
  const auto* value = find(name);
  if (value == nullptr || value->is_null()) return std::nullopt;
  if (!value->is_object()) wrongKind(name, "an object");
  return value->get_object();
}

}  // namespace pushwren::sim
