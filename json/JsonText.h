#pragma once

// The text a writing makes, in the caller's string. The string is kept at its whole room, its
// bytes past what is written being room, and the length written is counted apart, until finish()
// cuts the string to it. A short member is then written in place, where appending it to a string
// took a call to copy its bytes (made on the stack first, whose reading back in wide loads right
// after its narrow stores stalled besides): most of the writing of records of short members.
// Growing the room fills it with zeros once per doubling.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace veskjson {

class JsonText {
 public:
  explicit JsonText(std::string& out) : out_(out), length_(out.size()) {
    out_.resize(out_.capacity());
  }
  JsonText(const JsonText&) = delete;
  JsonText& operator=(const JsonText&) = delete;

  // Cuts the string to what was written; nothing may be written after.
  void finish() { out_.resize(length_); }

  void operator+=(char byte) {
    makeRoom(1);
    out_[length_++] = byte;
  }
  void append(const char* bytes, size_t count) {
    makeRoom(count);
    std::memcpy(out_.data() + length_, bytes, count);
    length_ += count;
  }
  void append(std::string_view text) { append(text.data(), text.size()); }
  void append(size_t count, char byte) {
    makeRoom(count);
    std::memset(out_.data() + length_, byte, count);
    length_ += count;
  }
  // Where to write up to count bytes in place; commit() takes what was written.
  char* room(size_t count) {
    makeRoom(count);
    return out_.data() + length_;
  }
  void commit(const char* end) { length_ = static_cast<size_t>(end - out_.data()); }

 private:
  void makeRoom(size_t count) {
    if (out_.size() - length_ < count) grow(count);
  }
  void grow(size_t count) { out_.resize(std::max(2 * out_.size(), length_ + count + 128)); }

  std::string& out_;
  size_t length_;
};

}  // namespace veskjson
