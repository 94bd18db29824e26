#pragma once

#include <unistd.h>

#include "base/FileIO.h"

namespace test_support {

// Counts the flushes of folders after a rename while it lives, each done by flush (the real one
// unless given); the real flush is back when it goes, however the test ended.
class FolderFlushes {
 public:
  explicit FolderFlushes(base::FolderFlush flush = ::fsync) {
    made() = 0;
    doing() = flush;
    base::setFolderFlushForTesting([](int fd) { return ++made(), doing()(fd); });
  }
  ~FolderFlushes() { base::setFolderFlushForTesting(nullptr); }
  FolderFlushes(const FolderFlushes&) = delete;
  FolderFlushes& operator=(const FolderFlushes&) = delete;

  static int& made() {
    static int count = 0;
    return count;
  }

 private:
  static base::FolderFlush& doing() {
    static base::FolderFlush flush = ::fsync;
    return flush;
  }
};

}  // namespace test_support
