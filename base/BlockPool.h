#pragma once

// Storage for the blocks of base::Value's containers: the elements of arrays and the entries of
// dictionaries. A reader of a large document makes one small block for nearly every container in
// it (a point of two numbers, an object of a dozen members), and the C library's allocator spends
// more on making and freeing them than the reader spends on the text. So, while a
// BlockPool::Scope is open on a thread, small blocks are carved one after the other from larger
// chunks; everywhere else every block comes from the C library, as it would.
//
// A block carved from a chunk is independent of the scope and of the thread that made it: it may
// be moved anywhere, outlive everything else read with it, and be freed on any thread. Each chunk
// counts the blocks not yet freed and is given back with the last of them; a value kept from a
// document keeps at most its own chunks alive.

#include <cstddef>
#include <cstdint>

namespace base {

class BlockPool {
 public:
  // Room for bytes, aligned for any object of at most eight-byte alignment. Throws std::bad_alloc
  // as operator new does.
  static void* allocate(size_t bytes);
  // Frees a block that allocate() gave; any thread may.
  static void deallocate(void* block) noexcept;

  // Pooled allocation on this thread for the scope's life; a scope opened inside another shares
  // the outer one's chunks.
  class Scope {
   public:
    Scope();
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
  };

  // Frees made on a thread while a batch is open there are counted together: a run of blocks of
  // one chunk, as freeing a read tree gives them, with one atomic operation on that chunk instead
  // of one per block. What is counted is settled when the outermost batch closes.
  class Batch {
   public:
    Batch() noexcept;
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
  };

  // For tests: how many chunks are alive in the process.
  static int64_t chunksForTesting();
};

}  // namespace base
