#pragma once

#include <errno.h>
#include <unistd.h>

#include "base/FileIO.h"

namespace test_support {

// Counts the flushes of folders after a rename while the object lives, flushing for real or
// failing each with EIO; the real flush is back when the object goes, however the test ended.
class FolderFlushes {
 public:
  enum class Outcome { Flush, Fail };
  explicit FolderFlushes(Outcome outcome = Outcome::Flush) {
    count() = 0;
    base::setFolderFlushForTesting(outcome == Outcome::Flush ? flush : fail);
  }
  ~FolderFlushes() { base::setFolderFlushForTesting(nullptr); }
  FolderFlushes(const FolderFlushes&) = delete;
  FolderFlushes& operator=(const FolderFlushes&) = delete;

  int made() const { return count(); }

 private:
  static int& count() {
    static int flushes = 0;
    return flushes;
  }
  static int flush(int fd) {
    ++count();
    return ::fsync(fd);
  }
  static int fail(int) {
    ++count();
    errno = EIO;
    return -1;
  }
};

}  // namespace test_support
