#include "json/ReadingStack.h"

#include <cstdlib>
#include <cstring>

namespace veskjson {

using base::Value;

ReadingStack::~ReadingStack() {
  clear(0);
}

void ReadingStack::clear(size_t keptBytes) {
  for (Value* value = bottom_; value != top_; ++value)
    value->~Value();
  top_ = bottom_;
  if (static_cast<size_t>(end_ - bottom_) * sizeof(Value) <= keptBytes) return;
  std::free(bottom_);
  bottom_ = top_ = end_ = nullptr;
}

void ReadingStack::reserve(size_t count) {
  if (count > static_cast<size_t>(end_ - bottom_)) growTo(count);
}

// Made before growing, like any container's element, though no caller passes one of the stack's.
Value& ReadingStack::emplaceGrowing(Value&& made) {
  growTo(2 * static_cast<size_t>(end_ - bottom_) + 16);
  return *new (top_++) Value(std::move(made));
}

void ReadingStack::growTo(size_t count) {
  size_t used = size();
  // The values move by their bytes, so the C library may move the block as it likes.
  void* grown = std::realloc(static_cast<void*>(bottom_), count * sizeof(Value));
  if (!grown) throw std::bad_alloc();
  bottom_ = static_cast<Value*>(grown);
  top_ = bottom_ + used;
  end_ = bottom_ + count;
}

}  // namespace veskjson
