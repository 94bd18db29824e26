#include "Classes/quillbeckEarlierFiles.h"

#include <system_error>

bool quillbeckMoveEarlierFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  if (!std::filesystem::exists(from, error) || std::filesystem::exists(to, error) || error) {
    return false;
  }
  std::filesystem::create_directories(to.parent_path(), error);
  if (error) return false;
  // Both folders are under the user's home, normally on one file system; a rename that cannot
  // cross file systems leaves the earlier copy where it is, still readable by hand.
  std::filesystem::rename(from, to, error);
  return !error;
}
