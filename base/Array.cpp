#include "base/Array.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "base/BlockPool.h"
#include "base/Value.h"

namespace base {

namespace {

// What a block holds past its header; each element is sixteen bytes, and sizes are 32 bits.
constexpr size_t kMaxElements = std::numeric_limits<uint32_t>::max() >> 1;
constexpr size_t kCopiedInPlace = 8;

}  // namespace

Array::Array(std::initializer_list<Value> values) {
  reserve(values.size());
  for (const Value& value : values)
    new (elements() + header()->size++) Value(value);
}

Array::Array(size_t count, const Value& value) {
  reserve(count);
  for (size_t i = 0; i < count; ++i)
    new (elements() + header()->size++) Value(value);
}

Array::Array(const Array& other) {
  reserve(other.size());
  for (const Value& value : other)
    new (elements() + header()->size++) Value(value);
}

Array Array::movedFrom(Value* first, size_t count) {
  Array array;
  if (count == 0) return array;
  if (count > kMaxElements) throw std::length_error("array too long");
  auto* header = static_cast<Header*>(BlockPool::allocate(sizeof(Header) + count * sizeof(Value)));
  header->size = static_cast<uint32_t>(count);
  header->capacity = static_cast<uint32_t>(count) & kMaxElements;
  array.block_ = reinterpret_cast<uintptr_t>(header);
  // Most arrays read are short (a point, a few ids): copied here rather than by a call.
  Value* to = array.elements();
  bool holdsBlocks = false;
  if (count > kCopiedInPlace) {
    std::memcpy(static_cast<void*>(to), static_cast<const void*>(first), count * sizeof(Value));
    for (size_t i = 0; i < count; ++i)
      holdsBlocks |= first[i].holdsBlock();
  } else {
    for (size_t i = 0; i < count; ++i) {
      holdsBlocks |= first[i].holdsBlock();
      std::memcpy(static_cast<void*>(to + i), static_cast<const void*>(first + i), sizeof(Value));
    }
  }
  header->holdsNoBlocks = !holdsBlocks;
  return array;
}

Array& Array::operator=(const Array& other) {
  if (this != &other) *this = Array(other);
  return *this;
}

Array& Array::operator=(Array&& other) noexcept {
  if (this == &other) return *this;
  uintptr_t taken = std::exchange(other.block_, 0);  // other may be an element of this one
  if (block_) release();
  block_ = taken;
  return *this;
}

void Array::release() noexcept {
  if (!header()->holdsNoBlocks) {
    BlockPool::Batch batch;
    Value* values = elements();
    for (size_t i = 0, n = header()->size; i < n; ++i) {
      if (!releaseBare(values[i])) values[i].~Value();
    }
  }
  BlockPool::deallocate(header());
}

void Array::reserve(size_t count) {
  if (count > capacity()) growTo(count);
}

void Array::clear() {
  if (!block_) return;
  Value* values = elements();
  size_t count = header()->size;
  header()->size = 0;
  for (size_t i = 0; i < count; ++i)
    values[i].~Value();
}

Value& Array::at(size_t at) {
  if (at >= size()) throw std::out_of_range("array index out of range");
  return writableElements()[at];
}

const Value& Array::at(size_t at) const {
  if (at >= size()) throw std::out_of_range("array index out of range");
  return elements()[at];
}

void Array::pop_back() {
  --header()->size;
  elements()[header()->size].~Value();
}

void Array::growTo(size_t count) {
  if (count > kMaxElements) throw std::length_error("array too long");
  auto* grown = static_cast<Header*>(BlockPool::allocate(sizeof(Header) + count * sizeof(Value)));
  grown->size = static_cast<uint32_t>(size());
  grown->capacity = static_cast<uint32_t>(count) & kMaxElements;
  grown->holdsNoBlocks = block_ ? header()->holdsNoBlocks : false;
  if (block_) {
    // The values' bytes are their whole state; the old copies are not destroyed.
    std::memcpy(static_cast<void*>(grown + 1), static_cast<const void*>(elements()),
                header()->size * sizeof(Value));
    BlockPool::deallocate(header());
  }
  block_ = reinterpret_cast<uintptr_t>(grown);
}

bool operator==(const Array& a, const Array& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!(a[i] == b[i])) return false;
  }
  return true;
}

}  // namespace base
