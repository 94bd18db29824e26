#pragma once

#include <cstddef>
#include <new>
#include <utility>

#include "base/Value.h"

namespace veskjson {

// The values of a reading's open containers, innermost last: each element, and each member as its
// key (held as a text value) followed by its value, so that the run of a closed container is laid
// out exactly as its block wants it. A closing container takes its run away by the values' bytes
// (a value's bytes are its whole state) and the stack then forgets that run without destroying it,
// so every value is written once on the stack and once in its container. What is still on the
// stack when it is cleared or destroyed is destroyed with it.
//
// Room is kept from reading to reading, up to a limit, as the stack belongs to a thread.
class ReadingStack {
 public:
  ReadingStack() = default;
  ~ReadingStack();
  ReadingStack(const ReadingStack&) = delete;
  ReadingStack& operator=(const ReadingStack&) = delete;

  template <typename... Args>
  base::Value& emplace_back(Args&&... args) {
    if (top_ == end_) return emplaceGrowing(base::Value(std::forward<Args>(args)...));
    return *new (top_++) base::Value(std::forward<Args>(args)...);
  }

  size_t size() const { return static_cast<size_t>(top_ - bottom_); }
  base::Value* at(size_t index) { return bottom_ + index; }
  base::Value& back() { return top_[-1]; }
  // Forgets the values from index up, whose bytes were taken: none is destroyed.
  void forgetFrom(size_t index) { top_ = bottom_ + index; }

  // Destroys every value; keeps the room when it is at most keptBytes.
  void clear(size_t keptBytes);
  void reserve(size_t count);

 private:
  base::Value& emplaceGrowing(base::Value&& made);
  void growTo(size_t count);

  base::Value* bottom_ = nullptr;
  base::Value* top_ = nullptr;
  base::Value* end_ = nullptr;
};

}  // namespace veskjson
