#include "stacktrace/RookSymbolName.h"

#include <cxxabi.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace {

// "ns::f(int, char const*) const" -> "ns::f". Templates and lambdas inside the parameter list
// carry their own parentheses, so the list is found by matching back from its closing one.
std::string_view withoutParameterList(std::string_view name) {
  const size_t close = name.rfind(')');
  if (close == std::string_view::npos) return name;
  int depth = 0;
  for (size_t i = close + 1; i-- > 0;) {
    if (name[i] == ')') ++depth;
    if (name[i] == '(' && --depth == 0) return i == 0 ? name : name.substr(0, i);
  }
  return name;
}

// "f[abi:cxx11]" -> "f": the tags tell linkers apart library versions, not readers functions.
std::string withoutAbiTags(std::string_view name) {
  static constexpr std::string_view kTag = "[abi:";
  std::string result;
  result.reserve(name.size());
  for (size_t tag; (tag = name.find(kTag)) != std::string_view::npos;) {
    const size_t close = name.find(']', tag);
    if (close == std::string_view::npos) break;
    result.append(name.substr(0, tag));
    name.remove_prefix(close + 1);
  }
  result.append(name);
  return result;
}

// Demangled names must outlive the call, like the loader's own strings. The set only grows with
// the number of distinct functions ever seen on a stack.
const char* intern(std::string_view name) {
  static std::mutex mutex;
  static std::unordered_set<std::string> names;
  std::lock_guard lock(mutex);
  return names.emplace(name).first->c_str();
}

}  // namespace

const char* RookReadableSymbolName(const char* symbol) {
  if (symbol == nullptr || std::strncmp(symbol, "_Z", 2) != 0) return symbol;
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(symbol, nullptr, nullptr, &status), &std::free);
  if (status != 0 || !demangled) return symbol;
  return intern(withoutParameterList(withoutAbiTags(demangled.get())));
}
