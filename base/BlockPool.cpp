#include "base/BlockPool.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace base {

namespace {

// Blocks larger than this (its header included) always come from the C library: they are few, and
// a chunk should hold many blocks. Every pooled block fits in a new chunk of any size.
constexpr size_t kMaxPooled = 2048;
// A scope's first chunk is small, so that reading a small document ties up little memory; each
// next one is twice as large, up to kLargestChunk.
constexpr size_t kFirstChunk = 4096;
constexpr size_t kLargestChunk = 64 * 1024;
// Every block is preceded by the chunk it was carved from, or null for the C library's.
constexpr size_t kHeader = 8;

// A chunk's count starts at kUnclaimed and is not touched while the chunk is carved: when the
// scope moves on from it, kUnclaimed less the blocks carved is taken off at once. So carving needs
// no atomic operation, and the count reaches zero exactly when the chunk is done with and its last
// block freed.
constexpr uint64_t kUnclaimed = uint64_t{1} << 62;

struct alignas(16) Chunk {
  std::atomic<uint64_t> live{kUnclaimed};
};

static_assert(sizeof(Chunk) + kMaxPooled <= kFirstChunk,
              "a new chunk must hold the largest pooled block");

std::atomic<int64_t> chunksAlive{0};

void release(Chunk* chunk, uint64_t count) noexcept {
  if (chunk->live.fetch_sub(count, std::memory_order_acq_rel) == count) {
    chunk->~Chunk();
    std::free(chunk);
    chunksAlive.fetch_sub(1, std::memory_order_relaxed);
  }
}

struct ThreadPool {
  int depth = 0;
  Chunk* chunk = nullptr;
  char* next = nullptr;
  char* end = nullptr;
  uint64_t carved = 0;
  size_t nextSize = kFirstChunk;
  // Frees counted but not yet taken off their chunk, while a batch is open.
  int batchDepth = 0;
  Chunk* freedChunk = nullptr;
  uint64_t freedCount = 0;

  void settleFreed() noexcept {
    if (freedChunk) release(freedChunk, freedCount);
    freedChunk = nullptr;
    freedCount = 0;
  }

  void retire() noexcept {
    if (chunk) release(chunk, kUnclaimed - carved);
    chunk = nullptr;
    next = end = nullptr;
    carved = 0;
  }

  void startChunk() {
    retire();
    void* memory = std::malloc(nextSize);
    if (!memory) throw std::bad_alloc();
    chunk = new (memory) Chunk;
    chunksAlive.fetch_add(1, std::memory_order_relaxed);
    next = static_cast<char*>(memory) + sizeof(Chunk);
    end = static_cast<char*>(memory) + nextSize;
    nextSize = nextSize < kLargestChunk ? nextSize * 2 : kLargestChunk;
  }
};

thread_local ThreadPool pool;

}  // namespace

void* BlockPool::allocate(size_t bytes) {
  size_t total = (bytes + 7) / 8 * 8 + kHeader;
  if (pool.depth > 0 && total <= kMaxPooled) {
    if (static_cast<size_t>(pool.end - pool.next) < total) pool.startChunk();
    char* block = pool.next;
    pool.next += total;
    ++pool.carved;
    *reinterpret_cast<Chunk**>(block) = pool.chunk;
    return block + kHeader;
  }
  auto* block = static_cast<char*>(std::malloc(total));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<Chunk**>(block) = nullptr;
  return block + kHeader;
}

void BlockPool::deallocate(void* block) noexcept {
  char* start = static_cast<char*>(block) - kHeader;
  Chunk* chunk = *reinterpret_cast<Chunk**>(start);
  if (!chunk) {
    std::free(start);
  } else if (pool.batchDepth == 0) {
    release(chunk, 1);
  } else if (chunk == pool.freedChunk) {
    ++pool.freedCount;
  } else {
    pool.settleFreed();
    pool.freedChunk = chunk;
    pool.freedCount = 1;
  }
}

BlockPool::Batch::Batch() noexcept {
  ++pool.batchDepth;
}

BlockPool::Batch::~Batch() {
  if (--pool.batchDepth == 0) pool.settleFreed();
}

BlockPool::Scope::Scope() {
  ++pool.depth;
}

BlockPool::Scope::~Scope() {
  if (--pool.depth > 0) return;
  pool.retire();
  pool.nextSize = kFirstChunk;
}

int64_t BlockPool::chunksForTesting() {
  return chunksAlive.load(std::memory_order_relaxed);
}

}  // namespace base
