#include "platform/net/HTTPHeaderFields.h"

#include <algorithm>

#include "base/ASCII.h"

namespace platform {

bool HTTPHeaderFields::sameName(std::string_view a, std::string_view b) {
  return base::equalsIgnoringCase(a, b);
}

HTTPHeaderFields::HTTPHeaderFields(std::initializer_list<Field> fields) {
  for (const Field& field : fields)
    add(field.first, field.second);
}

const HTTPHeaderFields::Field* HTTPHeaderFields::find(std::string_view name) const {
  auto found = std::find_if(fields_.begin(), fields_.end(),
                            [&](const Field& field) { return sameName(field.first, name); });
  return found == fields_.end() ? nullptr : &*found;
}

HTTPHeaderFields::Field* HTTPHeaderFields::find(std::string_view name) {
  return const_cast<Field*>(std::as_const(*this).find(name));
}

std::optional<std::string> HTTPHeaderFields::value(std::string_view name) const {
  const Field* field = find(name);
  if (!field) return std::nullopt;
  return field->second;
}

void HTTPHeaderFields::set(std::string_view name, std::string_view value) {
  if (Field* field = find(name)) {
    field->second = value;
    return;
  }
  fields_.emplace_back(name, value);
}

void HTTPHeaderFields::add(std::string_view name, std::string_view value) {
  if (Field* field = find(name)) {
    field->second.append(", ").append(value);
    return;
  }
  fields_.emplace_back(name, value);
}

void HTTPHeaderFields::remove(std::string_view name) {
  std::erase_if(fields_, [&](const Field& field) { return sameName(field.first, name); });
}

}  // namespace platform
