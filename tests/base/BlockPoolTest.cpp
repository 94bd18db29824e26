#include "base/BlockPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "base/Value.h"

namespace base {
namespace {

// Containers made in a scope, as a reader makes them: enough to fill several chunks.
Array makePoints(size_t count) {
  Array points;
  points.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    points.emplace_back(Array{Value(int64_t(i)), Value(0.5), Value(std::string(40, 'x'))});
    points.emplace_back(Dictionary{{"id", Value(int64_t(i))}, {"name", "n"}});
  }
  return points;
}

// A block carved in a scope lives on after it, wherever it goes: moved out of its document,
// grown, or freed on another thread; each chunk goes back with the last of its blocks.
TEST(BlockPoolTest, BlocksOutliveTheirScopeAndChunksGoWithTheirLastBlock) {
  const int64_t before = BlockPool::chunksForTesting();
  const Array expected = makePoints(2000);  // outside a scope: the C library's
  EXPECT_EQ(BlockPool::chunksForTesting(), before);

  std::optional<Array> document;
  {
    BlockPool::Scope scope;
    document = makePoints(2000);
  }
  EXPECT_GT(BlockPool::chunksForTesting(), before + 2);
  Value kept = std::move((*document)[1]);
  Array grown = std::move(*(*document)[2].asArray());
  Array elsewhere = *document;  // a copy, independent of the pool
  std::thread([taken = std::move(*document)]() mutable { Array gone = std::move(taken); }).join();
  document.reset();
  EXPECT_GT(BlockPool::chunksForTesting(), before);  // kept and grown hold theirs

  for (int i = 0; i < 100; ++i)
    grown.emplace_back(i);
  EXPECT_EQ(grown.size(), 103u);
  EXPECT_EQ(grown[2], Value(std::string(40, 'x')));
  EXPECT_EQ(kept, expected[1]);
  EXPECT_EQ(elsewhere.size(), expected.size());
  kept = Value();
  grown = Array();
  EXPECT_EQ(BlockPool::chunksForTesting(), before);
}

// A container made as a reader makes it, of values that hold no blocks, is freed without visiting
// them; a value put in through any access that may change its elements is still freed with it
// (the text's block lies in a chunk of its own, which goes only with it).
TEST(BlockPoolTest, ContainersReadWithoutBlocksFreeWhatIsPutInThemLater) {
  using Put = void (*)(Array&, Dictionary&, Value &&);
  const std::pair<const char*, Put> puts[] = {
      {"index", [](Array& a, Dictionary&, Value&& v) { a[1] = std::move(v); }},
      {"at", [](Array& a, Dictionary&, Value&& v) { a.at(0) = std::move(v); }},
      {"front", [](Array& a, Dictionary&, Value&& v) { a.front() = std::move(v); }},
      {"back", [](Array& a, Dictionary&, Value&& v) { a.back() = std::move(v); }},
      {"begin", [](Array& a, Dictionary&, Value&& v) { *a.begin() = std::move(v); }},
      {"data", [](Array& a, Dictionary&, Value&& v) { a.data()[1] = std::move(v); }},
      {"end", [](Array& a, Dictionary&, Value&& v) { a.end()[-1] = std::move(v); }},
      {"emplace_back", [](Array& a, Dictionary&, Value&& v) { a.emplace_back(std::move(v)); }},
      {"find", [](Array&, Dictionary& d, Value&& v) { *d.find("k") = std::move(v); }},
      {"set", [](Array&, Dictionary& d, Value&& v) { d.set("other", std::move(v)); }},
  };
  for (auto [name, put] : puts) {
    SCOPED_TRACE(name);
    const int64_t before = BlockPool::chunksForTesting();
    {
      Value text;
      {
        BlockPool::Scope scope;
        text = Value(std::string(40, 'x'));
      }
      Value elements[] = {Value(1), Value(2)};  // hold nothing: their bytes may be taken
      Value members[] = {Value("k"), Value(3)};
      Array array = Array::movedFrom(elements, 2);
      Dictionary dictionary = Dictionary::movedFrom(members, 1);
      put(array, dictionary, std::move(text));
      EXPECT_EQ(BlockPool::chunksForTesting(), before + 1);
    }
    EXPECT_EQ(BlockPool::chunksForTesting(), before);
  }
}

// Every size of block, each the first of its scope's first chunk, is wholly its own: writing all
// of it touches no memory past its chunk (which the sanitizer build sees).
TEST(BlockPoolTest, EachBlockHoldsAllTheBytesAskedFor) {
  std::vector<std::pair<unsigned char*, size_t>> blocks;
  for (size_t bytes = 1; bytes <= 4200; bytes += (bytes < 64 ? 1 : 8)) {
    BlockPool::Scope scope;
    auto* block = static_cast<unsigned char*>(BlockPool::allocate(bytes));
    std::fill(block, block + bytes, static_cast<unsigned char>(bytes));
    blocks.emplace_back(block, bytes);
  }
  for (auto [block, bytes] : blocks) {
    EXPECT_EQ(std::count(block, block + bytes, static_cast<unsigned char>(bytes)),
              static_cast<std::ptrdiff_t>(bytes));
    BlockPool::deallocate(block);
  }
}

}  // namespace
}  // namespace base
