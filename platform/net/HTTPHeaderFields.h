#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The header fields of an HTTP request or response: names as they were written, in the order they
// came, one entry per name. Names compare without regard to case, as HTTP has it; a field given
// twice keeps its first spelling and its values joined with ", ".
class HTTPHeaderFields {
 public:
  using Field = std::pair<std::string, std::string>;

  HTTPHeaderFields() = default;
  HTTPHeaderFields(std::initializer_list<Field> fields);

  std::optional<std::string> value(std::string_view name) const;
  bool contains(std::string_view name) const { return find(name) != nullptr; }
  // Replaces the value of name, or adds the field at the end.
  void set(std::string_view name, std::string_view value);
  // Adds value to name's value after ", ", or adds the field at the end.
  void add(std::string_view name, std::string_view value);
  void remove(std::string_view name);

  size_t size() const { return fields_.size(); }
  bool empty() const { return fields_.empty(); }
  std::vector<Field>::const_iterator begin() const { return fields_.begin(); }
  std::vector<Field>::const_iterator end() const { return fields_.end(); }

  // Whether two field names are the same, compared without regard to ASCII case.
  static bool sameName(std::string_view a, std::string_view b);

  friend bool operator==(const HTTPHeaderFields&, const HTTPHeaderFields&) = default;

 private:
  const Field* find(std::string_view name) const;
  Field* find(std::string_view name);

  std::vector<Field> fields_;
};

}  // namespace platform
