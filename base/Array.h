#pragma once

// The elements of an array value, in one block: its size, its room and the elements themselves,
// held by a single word. An array therefore fits in a value's first word and costs one allocation
// however it was made; an empty array holds no block at all. The block comes from BlockPool, so a
// reader's arrays are carved from its chunks.
//
// Values are moved between blocks by their bytes: a value's move copies its two words and leaves
// a null, which owns nothing, so growing never runs a value's move or destructor.
//
// An array that a reader made of values none of which holds a block (numbers, short texts) is
// marked so, and is freed without visiting its elements. Any access through which an element
// could change takes the mark away, so a caller may still put anything in it.
//
// The members that touch elements are defined in base/Value.h, where Value is complete.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace base {

class Value;

class Array {
 public:
  using value_type = Value;
  using size_type = size_t;
  using iterator = Value*;
  using const_iterator = const Value*;

  Array() noexcept = default;
  Array(std::initializer_list<Value> values);
  Array(size_t count, const Value& value);
  Array(const Array& other);
  Array(Array&& other) noexcept : block_(std::exchange(other.block_, 0)) {}
  Array& operator=(const Array& other);
  Array& operator=(Array&& other) noexcept;
  // Inline for the empty case: every container a reader takes is first moved out of a temporary.
  ~Array() {
    if (block_) release();
  }

  // Exactly count values taken by their bytes from [first, first + count), which the caller then
  // forgets without destroying: what a reader does when an array closes, with every element made.
  // Marked as holding no blocks when none of them does.
  static Array movedFrom(Value* first, size_t count);

  size_t size() const { return block_ ? header()->size : 0; }
  bool empty() const { return size() == 0; }
  size_t capacity() const { return block_ ? header()->capacity : 0; }
  void reserve(size_t count);
  void clear();

  Value* data() { return writableElements(); }
  const Value* data() const { return elements(); }
  Value* begin() { return writableElements(); }
  const Value* begin() const { return elements(); }
  Value* end();
  const Value* end() const;
  Value& operator[](size_t at);
  const Value& operator[](size_t at) const;
  // Throw std::out_of_range past the end.
  Value& at(size_t at);
  const Value& at(size_t at) const;
  Value& front() { return *writableElements(); }
  const Value& front() const { return *elements(); }
  Value& back();
  const Value& back() const;

  void push_back(const Value& value);
  void push_back(Value&& value);
  template <typename... Args>
  Value& emplace_back(Args&&... args);
  void pop_back();

  friend bool operator==(const Array& a, const Array& b);

  // For the destructors of containers: when value is an array marked as holding no blocks, frees
  // its block without a call through the value and returns true; the value's bytes are then not
  // to be used again. A read document's points and lists of ids go so.
  static bool releaseBare(Value& value) noexcept;

 private:
  struct Header {
    uint32_t size;
    uint32_t capacity : 31;
    uint32_t holdsNoBlocks : 1;  // no element holds a block: they need no destructor
  };

  Header* header() const { return reinterpret_cast<Header*>(block_); }
  Value* elements() const { return block_ ? reinterpret_cast<Value*>(header() + 1) : nullptr; }
  // The elements, for an access that may change them.
  Value* writableElements() {
    if (!block_) return nullptr;
    header()->holdsNoBlocks = false;
    return elements();
  }
  // Room for at least count values, the elements moved into a new block when it grows.
  void growTo(size_t count);
  void grow() { growTo(size() < 4 ? 4 : size() * 2); }
  void release() noexcept;

  // The block's address, in the type of a value's first word, which holds it.
  uintptr_t block_ = 0;
};

}  // namespace base
