#pragma once

// Making std::strings of short texts without a call to memcpy. A reader makes and moves millions
// of short strings (keys, words); for them the call costs more than the copy, and a std::string
// of a short text copies it by such a call both when it is made from bytes and when it is moved.
// These functions copy a short text in a few inline word moves instead; they are inline
// themselves, as the call to them cost as much again.

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace base {

// Copies a text of at most sixteen bytes in words that may overlap, reading and writing only its
// own bytes.
inline void copyShort(char* to, const char* from, size_t size) {
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

namespace stringof_detail {

// How long a text a std::string holds in its own room, without allocating.
inline size_t localRoom() {
  return std::string().capacity();
}

// A text that fits in a string's own room: the string is made at that fixed length, which takes no
// call, and cut down. (One string is returned throughout, so that it is made in place of the
// result.)
inline std::string shortStringOf(std::string_view text) {
  std::string out(localRoom(), '\0');
  copyShort(out.data(), text.data(), text.size());
  out.resize(text.size());
  return out;
}

}  // namespace stringof_detail

// A string of the text's bytes, as std::string(text) makes it.
inline std::string stringOf(std::string_view text) {
  if (text.size() > stringof_detail::localRoom()) return std::string(text);
  return stringof_detail::shortStringOf(text);
}

// A string with from's text, as std::string(std::move(from)) makes it: from is left valid, its
// text unspecified. A long text's buffer is taken over; a short one is copied.
inline std::string stringTakenFrom(std::string& from) {
  if (from.size() > stringof_detail::localRoom()) return std::string(std::move(from));
  return stringof_detail::shortStringOf(from);
}

}  // namespace base
