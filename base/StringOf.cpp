#include "base/StringOf.h"

#include <cstring>
#include <utility>

namespace base {

namespace {

// How long a text a std::string holds in its own room, without allocating.
size_t localRoom() {
  return std::string().capacity();
}

// Copies a short text's bytes in words that may overlap, reading and writing only the text's own.
void copyShort(char* to, const char* from, size_t size) {
  if (size >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + size - 8, from + size - 8, 8);
  } else if (size >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + size - 4, from + size - 4, 4);
  } else if (size > 0) {
    to[0] = from[0];
    to[size / 2] = from[size / 2];
    to[size - 1] = from[size - 1];
  }
}

// A text that fits in a string's own room: the string is made at that fixed length, which takes no
// call, and cut down. (One string is returned throughout, so that it is made in place of the
// result.)
std::string shortStringOf(std::string_view text) {
  std::string out(localRoom(), '\0');
  copyShort(out.data(), text.data(), text.size());
  out.resize(text.size());
  return out;
}

}  // namespace

std::string stringOf(std::string_view text) {
  if (text.size() > localRoom()) return std::string(text);
  return shortStringOf(text);
}

std::string stringTakenFrom(std::string& from) {
  if (from.size() > localRoom()) return std::string(std::move(from));
  return shortStringOf(from);
}

}  // namespace base
