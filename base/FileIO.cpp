#include "base/FileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace base {

namespace {

bool writeAll(int fd, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<size_t>(count);
  }
  return true;
}

// The unique part that mkostemp gives each temporary file's name.
constexpr size_t kTemporaryUniqueLength = 6;

FolderFlush& folderFlush() {
  static FolderFlush flush = ::fsync;
  return flush;
}

// 0, or the errno of the failure.
int syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  int result = folderFlush()(fd) == 0 ? 0 : errno;
  ::close(fd);
  return result;
}

bool isAbandonedWriteName(std::string_view name, std::string_view fileName) {
  size_t mark = name.rfind(kAtomicWriteMark);
  if (mark == std::string_view::npos || mark == 0) return false;
  if (name.size() - mark - kAtomicWriteMark.size() != kTemporaryUniqueLength) return false;
  return fileName.empty() || name.substr(0, mark) == fileName;
}

// Runs cleanup without letting it change errno, which the caller reports.
template <typename Cleanup>
void keepingErrno(Cleanup cleanup) {
  int saved = errno;
  cleanup();
  errno = saved;
}

}  // namespace

std::string folderOf(std::string_view path) {
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::optional<std::string> readFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[64 * 1024];
  while (true) {
    ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      keepingErrno([fd] { ::close(fd); });
      return std::nullopt;
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<size_t>(count));
  }
  ::close(fd);
  return bytes;
}

namespace {

// Writes bytes to a temporary file beside path (flushed to disk first when flush is set) and
// renames it over path.
bool replaceThroughTemporary(const std::string& path, std::string_view bytes, bool flush) {
  std::string temporary = path + std::string(kAtomicWriteMark) + "XXXXXX";
  int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = writeAll(fd, bytes) && (!flush || ::fsync(fd) == 0);
  if (!written) keepingErrno([fd] { ::close(fd); });
  if (written && ::close(fd) != 0) written = false;
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    keepingErrno([&temporary] { ::unlink(temporary.c_str()); });
    return false;
  }
  return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, int* folderFlushError) {
  if (!replaceThroughTemporary(path, bytes, true)) return false;
  int flushError = syncFolder(folderOf(path));
  if (folderFlushError) *folderFlushError = flushError;
  return true;
}

bool replaceFileUnflushed(const std::string& path, std::string_view bytes) {
  return replaceThroughTemporary(path, bytes, false);
}

void removeAbandonedWrites(const std::string& folder, std::string_view fileName,
                           double minimumAgeSeconds) {
  DIR* directory = ::opendir(folder.c_str());
  if (!directory) return;
  const double now = static_cast<double>(std::time(nullptr));
  while (const dirent* entry = ::readdir(directory)) {
    if (!isAbandonedWriteName(entry->d_name, fileName)) continue;
    std::string full = folder + "/" + entry->d_name;
    struct stat info {};
    if (::lstat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (now - static_cast<double>(info.st_mtime) < minimumAgeSeconds) continue;
    ::unlink(full.c_str());
  }
  ::closedir(directory);
}

void setFolderFlushForTesting(FolderFlush flush) {
  folderFlush() = flush ? flush : ::fsync;
}

}  // namespace base
