#pragma once

// Making std::strings of short texts without a call to memcpy. A reader makes and moves millions
// of short strings (keys, words); for them the call costs more than the copy, and a std::string
// of a short text copies it by such a call both when it is made from bytes and when it is moved.
// These functions copy a short text in a few inline word moves instead.

#include <string>
#include <string_view>

namespace base {

// A string of the text's bytes, as std::string(text) makes it.
std::string stringOf(std::string_view text);

// A string with from's text, as std::string(std::move(from)) makes it: from is left valid, its
// text unspecified. A long text's buffer is taken over; a short one is copied.
std::string stringTakenFrom(std::string& from);

}  // namespace base
